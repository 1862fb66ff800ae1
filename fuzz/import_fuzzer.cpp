// Scrambled XML files through XMLXSL_XML2CP into a codeplug in memory: any
// bytes as the file, imported, then let go with XMLXSL_CloseXMLFile. The
// library is linked directly and opened once.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_folder.h"
#include "host/memory_codeplug.h"
#include "interface/xmlxsl.h"
#include "platform/com.h"

namespace {

const std::string& file_path() {
    static const ScratchFolder folder;
    static const std::string path = folder.file("codeplug.xml");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (CoInitialize(nullptr) != S_OK || XMLXSL_Open() != XMLXSL_S_OK) {
        std::fprintf(stderr, "the library does not open\n");
        std::abort();
    }
    file_path();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteWholeFile(file_path(), data, size);
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create();
    const DWORD imported = XMLXSL_XML2CP(file_path().c_str(), codeplug.get());

    // A file is held for the codeplug exactly when the import did not fail.
    const DWORD closed = XMLXSL_CloseXMLFile(reinterpret_cast<std::uintptr_t>(codeplug.get()));
    const DWORD expected = IsFailure(imported) ? XMLXSL_E_HANDLE : XMLXSL_S_OK;
    if (closed != expected) {
        std::fprintf(stderr, "import gives %#x, closing then %#x\n", static_cast<unsigned>(imported),
                     static_cast<unsigned>(closed));
        std::abort();
    }
    return 0;
}
