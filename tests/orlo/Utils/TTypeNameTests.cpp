#include "orlo/Utils/TTypeName.h"

#include <gtest/gtest.h>

#include "orlo/Math/TVector2.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

namespace {

struct PlainRecord {};
struct KeyedRecord {};

} // namespace

template <>
struct orlo::TIsStructKeyed<KeyedRecord> {
    static constexpr bool value = true;
};

namespace {

using orlo::TTypeName;

TEST(TTypeName, SpellsTypesWithKeywordsAndSpacedClosingBrackets) {
    EXPECT_STREQ(TTypeName<unsigned char>::Get(), "unsigned char");
    EXPECT_STREQ(TTypeName<unsigned long>::Get(), "unsigned long");
    EXPECT_STREQ(TTypeName<float>::Get(), "float");
    EXPECT_STREQ(TTypeName<orlo::UBaseString<unsigned char>>::Get(), "class orlo::UBaseString<unsigned char>");
    EXPECT_STREQ(TTypeName<orlo::UArray<orlo::TVector2<float>>>::Get(),
                 "class orlo::UArray<class orlo::TVector2<float> >");
    EXPECT_STREQ(TTypeName<orlo::UArray<unsigned int>>::Get(), "class orlo::UArray<unsigned int>");
    EXPECT_STREQ(TTypeName<PlainRecord>::Get(), "class {anonymous}::PlainRecord");
    EXPECT_STREQ(TTypeName<KeyedRecord>::Get(), "struct {anonymous}::KeyedRecord");
}

TEST(TTypeName, MemberNamesFollowTheClassSpelling) {
    char name[orlo::MEMBER_NAME_SIZE];
    EXPECT_STREQ(ORLO_MEMBER_NAME(orlo::UArray<float>, "~UArray", name), "orlo::UArray<float>::~UArray");
    EXPECT_STREQ(ORLO_MEMBER_NAME(orlo::UArray<orlo::UArray<orlo::TVector2<float>>>, "~UArray", name),
                 "orlo::UArray<class orlo::UArray<class orlo::TVector2<float> > >::~UArray");
    EXPECT_STREQ(ORLO_MEMBER_NAME(KeyedRecord, "Read", name), "{anonymous}::KeyedRecord::Read");
}

} // namespace
