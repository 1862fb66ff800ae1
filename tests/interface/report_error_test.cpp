#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/unique_bstr.h"
#include "tests/support/loaded_library.h"

namespace {

// While the library is closed too; reading leaves the text as it was.
TEST(GetReportError, GivesTheWholeTextWidenedThroughTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1252u);
    LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    library.errorText() += "Caf\xE9 \x80\n";
    unique_bstr text;
    ASSERT_EQ(library.GetReportError(text.put()), XMLXSL_S_OK);
    EXPECT_EQ(std::u16string(text.get(), text.length()), u"Errors: \nCaf\u00E9 \u20AC\n");
    EXPECT_EQ(library.errorText(), "Errors: \nCaf\xE9 \x80\n");
    EXPECT_EQ(library.GetReportError(nullptr), static_cast<DWORD>(E_POINTER));
}

}  // namespace
