#include <gtest/gtest.h>

#include <filesystem>

#include "codeplug/idocumentserver.h"
#include "host/codeplug_generator.h"
#include "host/memory_codeplug.h"
#include "platform/ansi.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/loaded_library.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/temp_folder.h"

namespace {

std::string scrambled(std::string text) {
    for (char& byte : text) byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD4);
    return text;
}

std::uintptr_t handle_of(const com_ptr<MemoryCodeplug>& codeplug) {
    return reinterpret_cast<std::uintptr_t>(static_cast<ICodeplug*>(codeplug.get()));
}

class XmlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    }

    // The document the server holds, narrowed as the file function narrows it.
    std::string latestDocument() {
        unique_bstr text;
        EXPECT_TRUE(IsServerSuccess(static_cast<HRESULT>(library.WriteXML(text.put(), 1))));
        return to_ansi(text.get());
    }

    ComApartment com;
    TempFolder folder;
    LoadedLibrary library;
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(SmallCodeplug());
    std::string file = folder.file("radio.xml");
};

TEST_F(XmlFiles, ExportWritesTheDocumentScrambledAndNothingElse) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    std::string expected = latestDocument();
    EXPECT_EQ(expected.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>", 0), 0u);
    EXPECT_EQ(ReadFileBytes(file), scrambled(expected));
}

TEST_F(XmlFiles, RandomCodeplugsSurviveTheFileBlockByBlock) {
    for (std::uint32_t seed = 100; seed < 120; ++seed) {
        Codeplug original = GenerateRandomCodeplug(seed);
        auto from = MemoryCodeplug::Create(original);
        ASSERT_EQ(library.CP2XML(file.c_str(), from.get()), XMLXSL_S_OK) << seed;
        ASSERT_EQ(library.CloseXMLFile(handle_of(from)), XMLXSL_S_OK);

        auto into = MemoryCodeplug::Create();
        ASSERT_EQ(library.XML2CP(file.c_str(), into.get()), XMLXSL_S_OK) << seed;
        EXPECT_EQ(into->codeplug(), original) << seed;
        ASSERT_EQ(library.CloseXMLFile(handle_of(into)), XMLXSL_S_OK);
    }
}

// Every character survives the file: one equal to the key becomes a zero
// byte there, one that code page 1252 lacks a character reference.
TEST_F(XmlFiles, EveryCharacterOfAValueSurvives) {
    const std::pair<std::u16string, const char*> values[] = {
        {u"\u00D4\u00D4 before and after \u00D4", "\xD4\xD4 before"},
        {u"\u0141\u00F3d\u017A Ost", "&#x141;\xF3" "d&#x17A; Ost"},
        {u"\u6771\u4EAC \U0001F692 4096 \u2713", "&#x6771;&#x4EAC; &#x1F692; 4096 &#x2713;"},
    };
    for (const auto& [value, written] : values) {
        Codeplug original = SmallCodeplug();
        std::get<TypeRows>(original.blocks[field::RRW_BLOCK])[0].value = value;
        auto from = MemoryCodeplug::Create(original);
        ASSERT_EQ(library.CP2XML(file.c_str(), from.get()), XMLXSL_S_OK);
        EXPECT_NE(scrambled(ReadFileBytes(file)).find(written), std::string::npos) << written;
        ASSERT_EQ(library.CloseXMLFile(handle_of(from)), XMLXSL_S_OK);

        auto into = MemoryCodeplug::Create();
        ASSERT_EQ(library.XML2CP(file.c_str(), into.get()), XMLXSL_S_OK);
        EXPECT_EQ(into->codeplug(), original) << written;
        ASSERT_EQ(library.CloseXMLFile(handle_of(into)), XMLXSL_S_OK);
    }
}

TEST_F(XmlFiles, ReadsAFileWhoseLengthIsAMultipleOfTheChunk) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    ASSERT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    std::string text = scrambled(ReadFileBytes(file));
    text.append(511 * 8 - text.size() % 511, '\n');
    ASSERT_EQ(text.size() % 511, 0u);
    WriteFileBytes(file, scrambled(text));

    auto into = MemoryCodeplug::Create();
    ASSERT_EQ(library.XML2CP(file.c_str(), into.get()), XMLXSL_S_OK);
    EXPECT_EQ(into->codeplug(), codeplug->codeplug());
}

TEST_F(XmlFiles, TheFileStaysLockedUntilReleasedEvenAcrossCloseAndOpen) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_FALSE(AnotherProcessCanLock(file));
    ASSERT_EQ(library.Close(), XMLXSL_S_OK);
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_E_HANDLE);
}

TEST_F(XmlFiles, AHeldFileCannotBeReadOrTakenByAnotherCodeplug) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    auto other = MemoryCodeplug::Create(SmallCodeplug());
    EXPECT_EQ(library.XML2CP(file.c_str(), other.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(library.CP2XML(file.c_str(), other.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(library.CloseXMLFile(handle_of(other)), XMLXSL_E_HANDLE);
}

TEST_F(XmlFiles, ExportingAgainUnderTheSameNameRewritesTheHeldFile) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    codeplug->codeplug().blocks[field::RRW_BLOCK] = TypeRows{};
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_EQ(ReadFileBytes(file), scrambled(latestDocument()));
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_E_HANDLE);
}

TEST_F(XmlFiles, ExportingUnderAnotherNameMovesTheEntryAndLetsTheOldFileGo) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    std::string first = ReadFileBytes(file);
    std::string second = folder.file("copy.xml");
    codeplug->codeplug().blocks[field::RRW_BLOCK] = TypeRows{};
    ASSERT_EQ(library.CP2XML(second.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_EQ(ReadFileBytes(file), first);
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_FALSE(AnotherProcessCanLock(second));
}

TEST_F(XmlFiles, TheSameFileNamedAnotherWayIsRewrittenInPlace) {
    const std::filesystem::path workingFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const std::string at = folder.path().string();
    const std::string names[] = {"radio.xml", "./radio.xml", at + "/./radio.xml", at + "//radio.xml",
                                 "../" + folder.path().filename().string() + "/radio.xml"};
    for (const std::string& name : names) {
        ASSERT_EQ(library.CP2XML("radio.xml", codeplug.get()), XMLXSL_S_OK);
        EXPECT_EQ(library.CP2XML(name.c_str(), codeplug.get()), XMLXSL_S_OK) << name;
        EXPECT_FALSE(AnotherProcessCanLock(file)) << name;
        EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
        EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_E_HANDLE) << name;
    }
    std::filesystem::current_path(workingFolder);
}

TEST_F(XmlFiles, AFailedWriteLeavesTheEntryWithItsOldFile) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_EQ(library.CP2XML("/dev/full", codeplug.get()), XMLXSL_E_FILEIO);
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(file));
}

TEST_F(XmlFiles, ImportReplacingAnEntrysFileLetsTheOldOneGo) {
    std::string second = folder.file("second.xml");
    ASSERT_EQ(library.CP2XML(second.c_str(), codeplug.get()), XMLXSL_S_OK);
    ASSERT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);

    ASSERT_EQ(library.XML2CP(second.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_FALSE(AnotherProcessCanLock(second));
}

TEST_F(XmlFiles, AFailedImportLeavesTheTableAndTheCodeplugsEntryAlone) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    std::string broken = folder.file("broken.xml");
    WriteFileBytes(broken, scrambled("<TORVALE_CODEPLUG VERSION=\"1.0\"><RRO>"));
    EXPECT_TRUE(IsFailure(library.XML2CP(broken.c_str(), codeplug.get())));
    EXPECT_TRUE(AnotherProcessCanLock(broken));
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
}

TEST_F(XmlFiles, FilesThatCannotBeReadGiveAStatusAndChangeNothing) {
    std::string empty = folder.file("empty.xml");
    WriteFileBytes(empty, "");
    auto into = MemoryCodeplug::Create();
    EXPECT_TRUE(IsFailure(library.XML2CP(empty.c_str(), into.get())));
    EXPECT_EQ(library.XML2CP(folder.file("missing.xml").c_str(), into.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(library.XML2CP(folder.path().string().c_str(), into.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(library.CP2XML(folder.path().string().c_str(), codeplug.get()), XMLXSL_E_FILEOPEN);
    EXPECT_EQ(library.XML2CP(nullptr, into.get()), XMLXSL_E_FILEOPEN);
    EXPECT_TRUE(into->setOrder().empty());
    EXPECT_EQ(library.CloseXMLFile(handle_of(into)), XMLXSL_E_HANDLE);
    EXPECT_EQ(library.errorText(), "Errors: \n");
}

TEST_F(XmlFiles, NothingHappensWhileTheLibraryIsClosed) {
    ASSERT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(library.XML2CP(file.c_str(), codeplug.get()), XMLXSL_E_NOTOPEN);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(codeplug->getOrder().empty());
}

TEST_F(XmlFiles, UnloadingReleasesTheFilesStillHeld) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    library.unload();
    EXPECT_TRUE(AnotherProcessCanLock(file));
}

TEST_F(XmlFiles, TwoCodeplugsHoldTwoEntries) {
    auto other = MemoryCodeplug::Create(SmallCodeplug());
    std::string second = folder.file("second.xml");
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    ASSERT_EQ(library.CP2XML(second.c_str(), other.get()), XMLXSL_S_OK);
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    EXPECT_FALSE(AnotherProcessCanLock(second));
    EXPECT_EQ(library.CloseXMLFile(handle_of(other)), XMLXSL_S_OK);
}

}  // namespace

namespace {

// What a call may answer when an allocation fails: the library's own status,
// the document server's or the codeplug object's passed on, or the one for
// an exception out of the codeplug object, which records its calls.
bool tells_memory_ran_out(DWORD status) {
    return status == XMLXSL_E_MEMORY || status == 0x80040407u || status == static_cast<DWORD>(E_OUTOFMEMORY) ||
           status == XMLXSL_E_GETBLOCK || status == XMLXSL_E_SETBLOCK;
}

// Every allocation of a same-name rewrite is failed in turn: the call either
// succeeds or tells that memory ran out, and then the entry still holds its
// file, open, locked and as the first export wrote it.
TEST_F(XmlFiles, RunningOutOfMemoryInARewriteKeepsTheFileHeldAndWhole) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    const std::string written = ReadFileBytes(file);
    int failures = 0;
    for (int allowed = 0;; ++allowed) {
        FailAllocationsAfter(allowed);
        const DWORD status = library.CP2XML(file.c_str(), codeplug.get());
        const bool failed = !AllocationFailurePending();
        FailAllocationsAfter(-1);
        if (!failed) break;
        ++failures;
        if (status != XMLXSL_S_OK) EXPECT_TRUE(tells_memory_ran_out(status)) << allowed << ": " << std::hex << status;
        EXPECT_FALSE(AnotherProcessCanLock(file)) << allowed;
        EXPECT_EQ(ReadFileBytes(file), written) << allowed;
    }
    EXPECT_GT(failures, 10);
    EXPECT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
}

TEST_F(XmlFiles, RunningOutOfMemoryInAnImportLeavesTheTableAlone) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    ASSERT_EQ(library.CloseXMLFile(handle_of(codeplug)), XMLXSL_S_OK);
    int failures = 0;
    for (int allowed = 0;; ++allowed) {
        auto into = MemoryCodeplug::Create();
        FailAllocationsAfter(allowed);
        const DWORD status = library.XML2CP(file.c_str(), into.get());
        const bool failed = !AllocationFailurePending();
        FailAllocationsAfter(-1);
        if (!failed) break;
        ++failures;
        if (status == XMLXSL_S_OK) {
            EXPECT_EQ(library.CloseXMLFile(handle_of(into)), XMLXSL_S_OK);
            continue;
        }
        EXPECT_TRUE(tells_memory_ran_out(status)) << allowed << ": " << std::hex << status;
        EXPECT_EQ(library.CloseXMLFile(handle_of(into)), XMLXSL_E_HANDLE) << allowed;
        EXPECT_TRUE(AnotherProcessCanLock(file)) << allowed;
    }
    EXPECT_GT(failures, 10);
}

}  // namespace
