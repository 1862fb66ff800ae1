#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/unique_bstr.h"
#include "tests/support/loaded_library.h"

namespace {

std::u16string text_of(const unique_bstr& text) { return {text.get(), text.length()}; }

TEST(GetReportError, GivesExactlyTheInitialLineAfterLoad) {
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    unique_bstr text;
    EXPECT_EQ(library.GetReportError(text.put()), XMLXSL_S_OK);
    EXPECT_EQ(text_of(text), u"Errors: \n");
}

TEST(GetReportError, WorksWhileClosedAndLeavesTheTextUnchanged) {
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    library.errorText() += "Template could not be opened.\n";
    unique_bstr first;
    unique_bstr second;
    EXPECT_EQ(library.GetReportError(first.put()), XMLXSL_S_OK);
    EXPECT_EQ(library.GetReportError(second.put()), XMLXSL_S_OK);
    EXPECT_EQ(text_of(first), u"Errors: \nTemplate could not be opened.\n");
    EXPECT_EQ(text_of(second), text_of(first));
    EXPECT_EQ(library.errorText(), "Errors: \nTemplate could not be opened.\n");
}

TEST(GetReportError, WidensThroughTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1252u);
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    library.errorText() += "Caf\xE9 \x80\n";
    unique_bstr text;
    ASSERT_EQ(library.GetReportError(text.put()), XMLXSL_S_OK);
    EXPECT_EQ(text_of(text), u"Errors: \nCaf\u00E9 \u20AC\n");
}

TEST(GetReportError, RefusesANullOutPointer) {
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    EXPECT_EQ(library.GetReportError(nullptr), static_cast<DWORD>(E_POINTER));
}

TEST(GetReportError, StartsAgainFromTheInitialLineAfterReload) {
    {
        LoadedLibrary library;
        ASSERT_TRUE(library.loaded());
        library.errorText() += "Unknown exception";
    }
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    EXPECT_EQ(library.errorText(), "Errors: \n");
}

}  // namespace
