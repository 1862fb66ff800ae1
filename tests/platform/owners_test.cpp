#include <gtest/gtest.h>

#include "platform/unique_safearray.h"
#include "platform/unique_variant.h"
#include "tests/platform/ole_fakes.h"

TEST(UniqueVariant, PutResetReleaseMoveAndCopyToKeepTheReferencesExact) {
    counting_unknown object;
    {
        unique_variant held(object_variant(&object));
        EXPECT_EQ(held.put()->vt, VT_EMPTY);
        EXPECT_EQ(object.releases, 1);
        held.reset(object_variant(&object));
        held.reset(object_variant(&object));
        unique_variant moved(std::move(held));
        EXPECT_EQ(held.vt(), VT_EMPTY);
        unique_variant copy;
        ASSERT_EQ(moved.copy_to(copy.get()), S_OK);
        VARIANT out = moved.release();
        EXPECT_EQ(moved.vt(), VT_EMPTY);
        EXPECT_EQ(object.references, 3u);
        EXPECT_EQ(VariantClear(&out), S_OK);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(UniqueSafearray, PutMoveAndDestructionDestroyWhatWasHeld) {
    counting_unknown object;
    LONG index = 0;
    {
        unique_safearray held(SafeArrayCreateVector(VT_UNKNOWN, 0, 1));
        ASSERT_EQ(SafeArrayPutElement(held.get(), &index, &object), S_OK);
        SAFEARRAY** out = held.put();
        EXPECT_EQ(*out, nullptr);
        EXPECT_EQ(object.references, 1u);
        *out = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
        ASSERT_EQ(SafeArrayPutElement(held.get(), &index, &object), S_OK);
        unique_safearray moved(std::move(held));
        EXPECT_FALSE(held);
        SAFEARRAY* copy = nullptr;
        ASSERT_EQ(unique_safearray().copy_to(&copy), S_OK);
        EXPECT_EQ(copy, nullptr);
    }
    EXPECT_EQ(object.references, 1u);
}
