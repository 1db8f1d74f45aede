#include "base/text.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using std::string;
using std::wstring;

TEST(ReplaceAll, FillsEveryOccurrenceOnceEvenWhenTheValueHoldsTheToken) {
    EXPECT_EQ(ReplaceAll(wstring(L"[A]-[A]"), wstring(L"[A]"), wstring(L"x[A]")), L"x[A]-x[A]");
    EXPECT_EQ(ReplaceAll(string("{a}{a}{b}"), string("{a}"), string("")), "{b}");
    EXPECT_EQ(ReplaceAll(string("aaa"), string("aa"), string("b")), "ba");
    EXPECT_EQ(ReplaceAll(string("text"), string(""), string("x")), "text");
}

TEST(LeadingFloat, ReadsTheLeadingNumberAndRefusesTextWithout) {
    EXPECT_EQ(LeadingFloat(L"11.0.19041.1"), 11.0f);
    EXPECT_EQ(LeadingFloat(L"  8.5"), 8.5f);
    EXPECT_EQ(LeadingFloat(L"-.5x"), -0.5f);
    EXPECT_EQ(LeadingFloat(L"9"), 9.0f);
    for (const wchar_t* text : {L"", L"abc", L".", L"-", L"+.x", L" "}) {
        EXPECT_THROW(LeadingFloat(text), std::invalid_argument) << text;
    }
    EXPECT_THROW(LeadingFloat(L"1e39"), std::out_of_range);
    EXPECT_THROW(LeadingFloat(L"1e-50"), std::out_of_range);
}

}  // namespace
