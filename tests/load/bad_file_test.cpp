#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <random>
#include <string_view>

#include "host/codeplug_generator.h"
#include "platform/file.h"
#include "tests/load/open_library.h"

namespace {

namespace fs = std::filesystem;

constexpr DWORD kMalformed = 0x80040404;  // the document server's status for text it cannot parse

// The size and a hash of a file's bytes, or what a folder holds: enough to
// see that nothing was written, without two copies of a large file.
std::string Fingerprint(const std::string& path) {
    if (fs::is_directory(path))
        return "folder of " + std::to_string(std::distance(fs::directory_iterator(path), fs::directory_iterator()));
    std::ifstream in(path, std::ios::binary);
    std::string chunk(1 << 20, '\0');
    std::size_t size = 0;
    std::size_t hash = 0;
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        std::string_view read(chunk.data(), static_cast<std::size_t>(in.gcount()));
        size += read.size();
        hash = hash * 31 + std::hash<std::string_view>{}(read);
    }
    return std::to_string(size) + " bytes, hash " + std::to_string(hash);
}

std::string Scrambled(std::string text) {
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD4);
    return text;
}

// Bytes that no XML parser reads: scrambled or not, all 256 values alike.
std::string RandomBytes(std::size_t count) {
    std::mt19937 random(20240611);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

// 100 MB that open a codeplug document and then run on as text without
// markup, scrambled as the library writes: the reader takes all of it and
// the parser gets to its end before it finds the elements unclosed.
std::string LargeScrambledDocument() {
    constexpr std::size_t kSize = 100u << 20;
    constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \n";
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<TORVALE_CODEPLUG VERSION=\"1.0\"><RRO>";
    text.reserve(kSize);
    std::mt19937_64 random(20240611);
    while (text.size() + 8 <= kSize)
        for (std::uint64_t bits = random(), n = 0; n < 8; ++n, bits >>= 8) text.push_back(kAlphabet[bits & 63]);
    return Scrambled(std::move(text));
}

struct BadFileCase {
    const char* name;
    // Puts the bad file at path; validFile holds a good scrambled document,
    // and holder is this process's own opener, separate from the library.
    void (*arrange)(const std::string& path, const std::string& validFile, CFile& holder);
    DWORD importStatus;
    // Whether exporting onto it is refused too; a readable file would simply
    // be replaced.
    bool exportRefused;
};

void PrintTo(const BadFileCase& badFile, std::ostream* out) { *out << badFile.name; }

const BadFileCase kBadFiles[] = {
    {"LockedByAnotherOpener",
     [](const std::string& path, const std::string& valid, CFile& holder) {
         WriteFileBytes(path, ReadFileBytes(valid));
         ASSERT_TRUE(holder.Open(path.c_str(), CFile::modeRead));
     },
     XMLXSL_E_FILEOPEN, true},
    {"Folder", [](const std::string& path, const std::string&, CFile&) { fs::create_directory(path); },
     XMLXSL_E_FILEOPEN, true},
    {"Empty", [](const std::string& path, const std::string&, CFile&) { WriteFileBytes(path, ""); }, kMalformed, false},
    {"RandomBytes",
     [](const std::string& path, const std::string&, CFile&) { WriteFileBytes(path, RandomBytes(4096)); }, kMalformed,
     false},
    {"HundredMegabytes",
     [](const std::string& path, const std::string&, CFile&) { WriteFileBytes(path, LargeScrambledDocument()); },
     kMalformed, false},
};

// The codeplug holds a file of the table when the bad file comes, so that
// the test sees the table survive it.
class BadFile : public OpenLibrary, public ::testing::WithParamInterface<BadFileCase> {
protected:
    void SetUp() override {
        OpenLibrary::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(library.CP2XML(heldFile.c_str(), codeplug.get()), XMLXSL_S_OK);
        heldBytes = ReadFileBytes(heldFile);
        codeplug->clearCalls();
        GetParam().arrange(path, heldFile, holder);
        if (HasFatalFailure()) return;
        before = Fingerprint(path);
    }

    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(GenerateRealisticCodeplug(1));
    std::string heldFile = folder.file("held.xml");
    std::string heldBytes;
    std::string path = folder.file("bad.xml");
    std::string before;
    CFile holder;
};

TEST_P(BadFile, GivesAStatusAndChangesNothing) {
    EXPECT_EQ(AnotherProcessCanLock(path), !holder.IsOpen());
    Codeplug kept = codeplug->codeplug();

    EXPECT_EQ(library.XML2CP(path.c_str(), codeplug.get()), GetParam().importStatus);
    if (GetParam().exportRefused) {
        EXPECT_EQ(library.CP2XML(path.c_str(), codeplug.get()), XMLXSL_E_FILEOPEN);
    }
    EXPECT_TRUE(codeplug->setOrder().empty());
    EXPECT_EQ(codeplug->codeplug(), kept);
    EXPECT_EQ(Fingerprint(path), before);

    holder.Abort();
    EXPECT_TRUE(AnotherProcessCanLock(path));
    EXPECT_FALSE(AnotherProcessCanLock(heldFile));
    EXPECT_EQ(ReadFileBytes(heldFile), heldBytes);
    EXPECT_EQ(library.CloseXMLFile(HandleOf(codeplug)), XMLXSL_S_OK);
    EXPECT_EQ(library.CloseXMLFile(HandleOf(codeplug)), XMLXSL_E_HANDLE);
    EXPECT_EQ(library.errorText(), "Errors: \n");
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
