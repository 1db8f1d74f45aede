#include "base/text.h"

#include <gtest/gtest.h>

namespace {

using std::string;
using std::wstring;

TEST(ReplaceAll, FillsEveryOccurrenceOnceEvenWhenTheValueHoldsTheToken) {
    EXPECT_EQ(ReplaceAll(wstring(L"[A]-[A]"), wstring(L"[A]"), wstring(L"x[A]")), L"x[A]-x[A]");
    EXPECT_EQ(ReplaceAll(string("{a}{a}{b}"), string("{a}"), string("")), "{b}");
    EXPECT_EQ(ReplaceAll(string("aaa"), string("aa"), string("b")), "ba");
    EXPECT_EQ(ReplaceAll(string("text"), string(""), string("x")), "text");
}

}  // namespace
