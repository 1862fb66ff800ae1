#include <gtest/gtest.h>

#include <thread>

#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/counting_server.h"
#include "tests/support/loaded_library.h"

namespace {

// Each test loads the library afresh, with the counting server standing in
// for the built-in one. Members go in reverse: unload, revoke, uninitialise.
class OpenState : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.loaded()); }

    ComApartment com;
    ServerCalls calls;
    CountingServerRegistration registration{calls};
    LoadedLibrary library;
};

TEST_F(OpenState, SecondOpenCreatesNoSecondServer) {
    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 1);
}

TEST_F(OpenState, CloseWhileClosedMakesNoServerCall) {
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 0);
    EXPECT_EQ(calls.reset, 0);
    EXPECT_EQ(calls.release, 0);
}

TEST_F(OpenState, CloseResetsAndReleasesOnceAndReopenCreatesAnew) {
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(calls.reset, 1);
    EXPECT_EQ(calls.release, 1);

    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 2);
}

TEST_F(OpenState, CloseSwallowsAnExceptionFromReset) {
    calls.resetThrows = true;
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
    EXPECT_EQ(calls.release, 1);
    BSTR text = nullptr;
    EXPECT_EQ(library.WriteXML(&text, 1), XMLXSL_E_NOTOPEN);
}

TEST_F(OpenState, OpenOnThreadWithoutComFailsAndLeavesLibraryClosed) {
    DWORD status = 0;
    std::thread([&] { status = library.Open(); }).join();
    EXPECT_EQ(status, XMLXSL_E_SERVER);
    EXPECT_EQ(calls.created, 0);

    BSTR text = nullptr;
    EXPECT_EQ(library.WriteXML(&text, 1), XMLXSL_E_NOTOPEN);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(calls.getXml, 0);

    // A failed creation is tried again by the next open.
    EXPECT_EQ(library.Open(), XMLXSL_S_OK);
    EXPECT_EQ(calls.created, 1);
}

TEST_F(OpenState, WriteXmlPassesOptionThroughAndReturnsServerStatus) {
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    unique_bstr text;
    EXPECT_EQ(library.WriteXML(text.put(), 7), 0x00040400u);
    EXPECT_EQ(calls.lastOption, 7);
    EXPECT_EQ(std::u16string(text.get(), text.length()), u"<TORVALE_CODEPLUG/>");

    calls.getXmlStatus = static_cast<HRESULT>(0x80040499);
    EXPECT_EQ(library.WriteXML(text.put(), 0), 0x80040499u);
    EXPECT_EQ(calls.lastOption, 0);
}

TEST_F(OpenState, UnloadingAnOpenLibraryResetsAndReleasesOnce) {
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    library.unload();
    EXPECT_EQ(calls.reset, 1);
    EXPECT_EQ(calls.release, 1);
}

TEST_F(OpenState, UnloadingAClosedLibraryMakesNoServerCall) {
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    ASSERT_EQ(library.Close(), XMLXSL_S_OK);
    library.unload();
    EXPECT_EQ(calls.reset, 1);
    EXPECT_EQ(calls.release, 1);
}

// The built-in server, found among the component classes when nothing
// stands in for it.
TEST(OpenStateWithBuiltInServer, OpensAndHandsOutTheServersOwnStatus) {
    ComApartment com;
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    ASSERT_EQ(library.Open(), XMLXSL_S_OK);
    unique_bstr text;
    // Nothing was built yet: whatever the server answers is its own word.
    EXPECT_NE(library.WriteXML(text.put(), 1), XMLXSL_S_OK);
    EXPECT_EQ(library.Close(), XMLXSL_S_OK);
}

}  // namespace
