#include "i18n/locale_texts.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <string>

namespace {

TextTable Parse(const std::string& xml, std::optional<std::string>* error = nullptr) {
    tinyxml2::XMLDocument doc;
    TextTable texts;
    EXPECT_FALSE(ParseXmlBytes(xml.data(), xml.size(), doc));
    auto result = ReadLocaleTexts(doc, texts);
    if (error) *error = result;
    return texts;
}

}  // namespace

TEST(LocaleTexts, ReadsElementsDecodingEntitiesAndSkippingComments) {
    auto texts = Parse(
        "<Locale name='en_US'><!-- note --><A>one &amp; two</A>"
        "<B><!-- c -->&lt;a href=\"x\"&gt;link&lt;/a&gt;&#13;&#10;next</B><A>again</A></Locale>");
    EXPECT_EQ(texts["A"], "again");
    EXPECT_EQ(texts["B"], "<a href=\"x\">link</a>\r\nnext");
}

TEST(LocaleTexts, StopsAtAnElementWithoutTextKeepingWhatCameBefore) {
    std::optional<std::string> error;
    auto texts = Parse("<Locale name='x'><A>a</A><B/><C>c</C></Locale>", &error);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "No name or text attribute");
    EXPECT_EQ(texts.count("A"), 1u);
    EXPECT_EQ(texts.count("C"), 0u);
}

TEST(LocaleTexts, ReportsAMissingLocaleRootAndParserErrors) {
    std::optional<std::string> error;
    Parse("<Other><A>a</A></Other>", &error);
    EXPECT_EQ(error.value_or(""), "No Locale element");

    tinyxml2::XMLDocument doc;
    EXPECT_TRUE(ParseXmlBytes("", 0, doc));
    const std::string cut = "<Locale name='x'><A>a</Locale>";
    auto parseError = ParseXmlBytes(cut.data(), cut.size(), doc);
    ASSERT_TRUE(parseError);
    EXPECT_NE(parseError->find("XML_ERROR"), std::string::npos);
}

TEST(LocaleTexts, ExtraTextsSkipElementsWithoutText) {
    const std::string xml = "<A>a</A>\n<B></B>\n<C>c {A}</C>";
    tinyxml2::XMLDocument doc;
    ASSERT_FALSE(ParseXmlBytes(xml.data(), xml.size(), doc));
    TextTable texts;
    ReadExtraTexts(doc, texts);
    EXPECT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts["C"], "c {A}");
}

TEST(ExpandReferences, ExpandsNestedReferencesInAnyKeyOrder) {
    TextTable texts{{"A_SPLASH", "Click {BUTTON_NEXT} for {PRODUCT_TITLE}"},
                    {"BUTTON_NEXT", "{Z_WORD}"},
                    {"PRODUCT_TITLE", "My App"},
                    {"Z_WORD", "Next"}};
    ExpandReferences(texts);
    EXPECT_EQ(texts["A_SPLASH"], "Click Next for My App");
    EXPECT_EQ(texts["BUTTON_NEXT"], "Next");
}

TEST(ExpandReferences, LeavesUnknownNamesAndStrayBracesAlone) {
    TextTable texts{{"A", "{MISSING} and { and {B} and }"}, {"B", "b"}};
    ExpandReferences(texts);
    EXPECT_EQ(texts["A"], "{MISSING} and { and {B} and }");  // "{ and {B}" is one unknown name

    TextTable plain{{"A", "{MISSING} {B}"}, {"B", "b"}, {"C", "open {"}};
    ExpandReferences(plain);
    EXPECT_EQ(plain["A"], "{MISSING} b");
    EXPECT_EQ(plain["C"], "open {");
}

TEST(ExpandReferences, SelfReferencesTerminate) {
    TextTable texts{
        {"A", "x{A}"}, {"B", "{C}"}, {"C", "{B}"}, {"PRODUCT_TITLE", "Evil {PRODUCT_TITLE}"}};
    ExpandReferences(texts);
    EXPECT_LE(texts["A"].size(), 16u * 1024);
    EXPECT_EQ(texts["A"].rfind("xx", 0), 0u);
    EXPECT_LE(texts["PRODUCT_TITLE"].size(), 16u * 1024);
    EXPECT_EQ(texts["PRODUCT_TITLE"].rfind("Evil Evil", 0), 0u);
}
