#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>

#include "host/codeplug_generator.h"
#include "tests/load/open_library.h"
#include "tests/support/sample_codeplugs.h"

namespace {

// E_ACCESSDENIED: a failure of the codeplug object's own, which the library
// passes on unchanged.
constexpr HRESULT kRefused = static_cast<HRESULT>(0x80070005);

struct CodeplugFault {
    const char* name;
    CodeplugCall call;
    bool throws;
    DWORD status;  // what the library answers
};

const CodeplugFault kFaults[] = {
    {"SetBlockFails", CodeplugCall::Set, false, 0x80070005},
    {"SetBlockThrows", CodeplugCall::Set, true, XMLXSL_E_SETBLOCK},
    {"GetBlockFails", CodeplugCall::Get, false, 0x80070005},
    {"GetBlockThrows", CodeplugCall::Get, true, XMLXSL_E_GETBLOCK},
};

void PrintTo(const CodeplugFault& fault, std::ostream* out) { *out << fault.name; }

void inject(MemoryCodeplug& codeplug, const CodeplugFault& fault, LONG block) {
    if (fault.call == CodeplugCall::Set)
        fault.throws ? codeplug.throwOnSet(block) : codeplug.failOnSet(block, kRefused);
    else
        fault.throws ? codeplug.throwOnGet(block) : codeplug.failOnGet(block, kRefused);
}

// Each fault at each of the 16 blocks. Both codeplugs hold a file of the
// table when the faulty call comes, so that the test sees the table and the
// disk survive it.
class CodeplugFaultAtBlock : public OpenLibrary, public ::testing::WithParamInterface<std::tuple<CodeplugFault, int>> {
protected:
    void SetUp() override {
        OpenLibrary::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(library.CP2XML(sourceFile.c_str(), source.get()), XMLXSL_S_OK);
        ASSERT_EQ(library.CP2XML(targetFile.c_str(), target.get()), XMLXSL_S_OK);
        sourceBytes = ReadFileBytes(sourceFile);
        targetBytes = ReadFileBytes(targetFile);
        source->clearCalls();
        target->clearCalls();
    }

    const CodeplugFault& fault() const { return std::get<0>(GetParam()); }
    std::size_t failing() const { return static_cast<std::size_t>(std::get<1>(GetParam())); }

    std::vector<LONG> order = BlocksInOrder();
    com_ptr<MemoryCodeplug> source = MemoryCodeplug::Create(GenerateRealisticCodeplug(2));
    com_ptr<MemoryCodeplug> target = MemoryCodeplug::Create(EmptyCodeplug());
    std::string sourceFile = folder.file("source.xml");
    std::string targetFile = folder.file("target.xml");
    std::string sourceBytes;
    std::string targetBytes;
};

TEST_P(CodeplugFaultAtBlock, EndsTheCallThereAndLeavesTheFilesAlone) {
    std::vector<LONG> reached(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(failing()) + 1);
    LONG block = order[failing()];

    if (fault().call == CodeplugCall::Set) {
        ASSERT_EQ(library.CloseXMLFile(HandleOf(source)), XMLXSL_S_OK);
        Codeplug before = target->codeplug();
        inject(*target.get(), fault(), block);
        EXPECT_EQ(library.XML2CP(sourceFile.c_str(), target.get()), fault().status);
        EXPECT_EQ(target->setOrder(), reached);
        for (std::size_t at = 0; at < order.size(); ++at) {
            const Codeplug& expected = at < failing() ? source->codeplug() : before;
            EXPECT_EQ(target->codeplug().blocks.at(order[at]), expected.blocks.at(order[at])) << order[at];
        }
        // The file read stays free; the target's own file stays held.
        EXPECT_TRUE(AnotherProcessCanLock(sourceFile));
    } else {
        std::get<TypeRows>(source->codeplug().blocks[field::RRW_BLOCK]).clear();
        inject(*source.get(), fault(), block);
        EXPECT_EQ(library.CP2XML(sourceFile.c_str(), source.get()), fault().status);
        EXPECT_EQ(source->getOrder(), reached);
        EXPECT_FALSE(AnotherProcessCanLock(sourceFile));
        EXPECT_EQ(library.CloseXMLFile(HandleOf(source)), XMLXSL_S_OK);
    }

    EXPECT_EQ(ReadFileBytes(sourceFile), sourceBytes);
    EXPECT_EQ(ReadFileBytes(targetFile), targetBytes);
    EXPECT_FALSE(AnotherProcessCanLock(targetFile));
    EXPECT_EQ(library.CloseXMLFile(HandleOf(target)), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(targetFile));
    EXPECT_EQ(library.errorText(), "Errors: \n");
}

INSTANTIATE_TEST_SUITE_P(EveryBlock, CodeplugFaultAtBlock,
                         ::testing::Combine(::testing::ValuesIn(kFaults),
                                            ::testing::Range(0, static_cast<int>(BlocksInOrder().size()))),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "At" +
                                    std::to_string(std::get<1>(info.param));
                         });

class FailedWrite : public OpenLibrary {
protected:
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(GenerateRealisticCodeplug(1));
    std::string file = folder.file("radio.xml");
};

TEST_F(FailedWrite, ToAFullDeviceKeepsTheEntrysOldFileHeld) {
    ASSERT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    std::string before = ReadFileBytes(file);
    std::get<TypeRows>(codeplug->codeplug().blocks[field::RRW_BLOCK]).clear();

    EXPECT_EQ(library.CP2XML("/dev/full", codeplug.get()), XMLXSL_E_FILEIO);
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_FALSE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(HandleOf(codeplug)), XMLXSL_S_OK);
    EXPECT_TRUE(AnotherProcessCanLock(file));
    EXPECT_EQ(library.CloseXMLFile(HandleOf(codeplug)), XMLXSL_E_HANDLE);
}

TEST_F(FailedWrite, ToAFullDeviceMakesNoEntry) {
    EXPECT_EQ(library.CP2XML("/dev/full", codeplug.get()), XMLXSL_E_FILEIO);
    EXPECT_EQ(library.CloseXMLFile(HandleOf(codeplug)), XMLXSL_E_HANDLE);
    // The library goes on working after the failure.
    EXPECT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_S_OK);
    EXPECT_EQ(library.CloseXMLFile(HandleOf(codeplug)), XMLXSL_S_OK);
}

}  // namespace
