#include <gtest/gtest.h>

#include <filesystem>

#include "codeplug/idocumentserver.h"
#include "platform/ansi.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/loaded_library.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/scripted_codeplug.h"
#include "tests/support/temp_folder.h"

namespace {

// The file's bytes are the text's, each XORed with 0xD4.
std::string scrambled(std::string text) {
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD4);
    return text;
}

class XmlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    }

    DWORD release(const com_ptr<ScriptedCodeplug>& of) {
        return library.CloseXMLFile(reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(of.get())));
    }

    ComApartment com;
    TempFolder folder;
    LoadedLibrary library;
    com_ptr<ScriptedCodeplug> codeplug = ScriptedCodeplug::Create(SmallCodeplug());
    std::string file = folder.file("radio.xml");
};

// A character equal to the scrambling key becomes a zero byte in the file,
// one that code page 1252 lacks a character reference; every one survives
// the way back, from a file whose length is a multiple of the 511-byte chunk.
TEST_F(XmlFiles, EveryCharacterOfAValueSurvivesTheFile) {
    std::get<TypeRows>(codeplug->codeplug().blocks[field::RRW_BLOCK])[0].value =
        u"\u00D4\u00D4 \u0141\u00F3 \u6771\u4EAC \U0001F692 \u00D4";
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    std::string text = scrambled(ReadFileBytes(file));
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>", 0), 0u);
    EXPECT_NE(text.find("\xD4\xD4 &#x141;\xF3 &#x6771;&#x4EAC; &#x1F692; \xD4"), std::string::npos);
    ASSERT_EQ(release(codeplug), XMLXSL_S_OK);
    WriteFileBytes(file, scrambled(text.append(511 * 8 - text.size() % 511, '\n')));

    auto into = ScriptedCodeplug::Create();
    ASSERT_EQ(library.XML2CP(file.c_str(), into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug(), codeplug->codeplug());
}

// Each codeplug's file stays held, through a close of the library too,
// until released or the library unloads; another codeplug can neither read
// nor take it.
TEST_F(XmlFiles, TheFileStaysLockedUntilReleasedOrUnloaded) {
    const std::string second = folder.file("second.xml");
    auto other = ScriptedCodeplug::Create(SmallCodeplug());
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_EQ(library.XML2CP(file.c_str(), other.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(library.CP2XML(file.c_str(), other.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(release(other), XMLXSL_E_HANDLE);
    ASSERT_EQ(library.CP2XML(second.c_str(), other.get()), XMLXSL_S_OK);
    ASSERT_EQ(library.Close(), XMLXSL_S_OK);
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(release(codeplug), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_FALSE(AnotherProcessCanLock(second));
    EXPECT_EQ(release(codeplug), XMLXSL_E_HANDLE);
    library.unload();
    EXPECT_TRUE(AnotherProcessCanLock(second));
}

// Under the same name, here spelt relative to the working folder: one
// entry, its file held, rewritten in place with the document scrambled and
// nothing else.
TEST_F(XmlFiles, ExportingAgainUnderTheSameNameRewritesTheHeldFile) {
    const std::filesystem::path workingFolder = std::filesystem::current_path();
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    codeplug->codeplug().blocks[field::RRW_BLOCK] = TypeRows{};
    std::filesystem::current_path(folder.path());
    EXPECT_EQ(library.CP2XML("./radio.xml", codeplug.get()), XMLXSL_S_OK);
    std::filesystem::current_path(workingFolder);
    unique_bstr text;  // the document the server holds, narrowed as the file function narrows it
    ASSERT_TRUE(IsServerSuccess(static_cast<HRESULT>(library.WriteXML(text.put(), 1))));
    EXPECT_EQ(ReadFileBytes(file), scrambled(to_ansi(text.get())));
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(release(codeplug), XMLXSL_S_OK);
    EXPECT_EQ(release(codeplug), XMLXSL_E_HANDLE);
}

// A failed export (another name, the disk full) or import (a file that is
// no codeplug, no name) leaves the codeplug, the entry and the error text
// alone. A successful one under another name makes the entry hold the new
// file, written before the entry lets the old one go.
TEST_F(XmlFiles, OnlyASuccessfulCallUnderAnotherNameMovesTheEntry) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    const std::string first = ReadFileBytes(file), broken = folder.file("broken.xml"), copy = folder.file("copy.xml");
    EXPECT_EQ(library.CP2XML("/dev/full", codeplug.get()), XMLXSL_E_FILEIO);
    WriteFileBytes(broken, scrambled("<TORVALE_CODEPLUG VERSION=\"1.0\"><RRO>"));
    EXPECT_TRUE(IsFailure(library.XML2CP(broken.c_str(), codeplug.get())));
    EXPECT_EQ(library.XML2CP(nullptr, codeplug.get()), XMLXSL_E_FILEOPEN);
    EXPECT_TRUE(codeplug->setOrder().empty());
    EXPECT_TRUE(AnotherProcessCanLock(broken));
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.errorText(), "Errors: \n");

    codeplug->codeplug().blocks[field::RRW_BLOCK] = TypeRows{};
    ASSERT_EQ(library.CP2XML(copy.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_EQ(ReadFileBytes(file), first);
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_FALSE(AnotherProcessCanLock(copy));
    ASSERT_EQ(library.XML2CP(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(copy));
    EXPECT_FALSE(AnotherProcessCanLock(file));
}

// Fails every allocation of call in turn, first to last, and gives the
// number of runs in which one failed; check sees each such run's status. A
// run may still succeed; else it tells that memory ran out: the library's
// own status, the document server's or the codeplug object's passed on, or
// the one for an exception out of the codeplug object, which records its
// calls.
template <class Call, class Check>
int FailEachAllocation(Call call, Check check) {
    for (int allowed = 0;; ++allowed) {
        FailAllocationsAfter(allowed);
        const DWORD status = call();
        const bool failed = !AllocationFailurePending();
        FailAllocationsAfter(-1);
        if (!failed) return allowed;
        SCOPED_TRACE(allowed);
        EXPECT_TRUE(status == XMLXSL_S_OK || status == XMLXSL_E_MEMORY || status == 0x80040407u ||
                    status == static_cast<DWORD>(E_OUTOFMEMORY) || status == XMLXSL_E_GETBLOCK ||
                    status == XMLXSL_E_SETBLOCK)
            << std::hex << status;
        check(status);
    }
}

// The entry of a same-name rewrite still holds its file, open, locked and as
// the first export wrote it.
TEST_F(XmlFiles, RunningOutOfMemoryInARewriteKeepsTheFileHeldAndWhole) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    const std::string written = ReadFileBytes(file);
    const int failures = FailEachAllocation([&] { return library.CP2XML(file.c_str(), codeplug.get()); },
                                            [&](DWORD) {
                                                EXPECT_FALSE(AnotherProcessCanLock(file));
                                                EXPECT_EQ(ReadFileBytes(file), written);
                                            });
    EXPECT_GT(failures, 10);
    EXPECT_EQ(release(codeplug), XMLXSL_S_OK);
}

// A failed import makes no entry and leaves the file free.
TEST_F(XmlFiles, RunningOutOfMemoryInAnImportLeavesTheTableAlone) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    ASSERT_EQ(release(codeplug), XMLXSL_S_OK);
    auto into = ScriptedCodeplug::Create();
    const int failures =
        FailEachAllocation([&] { return library.XML2CP(file.c_str(), into.get()); },
                           [&](DWORD status) {
                               EXPECT_EQ(release(into), status == XMLXSL_S_OK ? XMLXSL_S_OK : XMLXSL_E_HANDLE);
                               EXPECT_TRUE(AnotherProcessCanLock(file));
                               into = ScriptedCodeplug::Create();
                           });
    EXPECT_GT(failures, 10);
}

}  // namespace
