#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"
#include "tests/support/com_apartment.h"
#include "tests/support/loaded_library.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/scripted_codeplug.h"
#include "tests/support/scripted_server.h"
#include "tests/support/temp_folder.h"

namespace {

// Each test loads the library afresh, with the scripted server standing in
// for the built-in one. Members go in reverse: unload, revoke, uninitialise.
class OpenState : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.loaded()); }

    ComApartment com;
    ServerScript calls;
    ScriptedServerRegistration registration{calls, Behind::Nothing};
    LoadedLibrary library;
};

// A second open creates no second server, a second close makes no call;
// an exception from Reset is swallowed, in a close or at unload alike, and
// unloading an open library closes it. WriteXML passes its option through
// and returns the server's status.
TEST_F(OpenState, OpensAndClosesOnceAndPassesWriteXmlToTheServer) {
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(calls.calls.size(), 0u);
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 1);
    unique_bstr text;
    EXPECT_EQ(library.WriteXML(text.put(), 7), 0x00040400u);
    EXPECT_EQ(calls.lastOption, 7);
    EXPECT_EQ(std::u16string(text.get(), text.length()), u"<TORVALE_CODEPLUG/>");
    calls.getXmlStatus = static_cast<HRESULT>(0x80040499);
    EXPECT_EQ(library.WriteXML(text.put(), 0), 0x80040499u);
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(calls.count("Reset"), 1);
    EXPECT_EQ(calls.release, 1);

    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 2);
    calls.resetThrows = true;
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    library.unload();
    EXPECT_EQ(calls.count("Reset"), 3);
    EXPECT_EQ(calls.release, 3);
}

// The one test of a closed library: every call that needs it open refuses,
// touching neither the server, a file nor the codeplug. A failed creation
// is tried again by the next open.
TEST_F(OpenState, OpenOnAThreadWithoutComFailsAndTheLibraryStaysClosed) {
    DWORD status = 0;
    std::thread([&] { status = library.Open(); }).join();
    EXPECT_EQ(status, XMLXSL_E_SERVER);
    EXPECT_EQ(calls.created, 0);

    TempFolder folder;
    const std::string file = folder.file("radio.xml");
    auto codeplug = ScriptedCodeplug::Create(SmallCodeplug());
    BSTR text = nullptr;
    unique_variant language;
    EXPECT_EQ(library.WriteXML(&text, 1), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(library.CP2XML(file.c_str(), codeplug.get()), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(library.XML2CP(file.c_str(), codeplug.get()), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(library.CreateHTML(codeplug.get(), file.c_str(), language.get(), &text), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(text, nullptr);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(codeplug->getOrder().empty());
    EXPECT_EQ(calls.count("GetXML"), 0);

    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 1);
}

}  // namespace
