// The writer and the reader against the JSON library's own serialiser and parser, which they
// replace in the program.
#include "base/json_parse.h"
#include "base/json_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>

using nlohmann::json;

namespace {

std::string Reference(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

TEST(JsonText, WritesDocumentsAsTheLibraryDoes) {
    const json documents[] = {
        json::object(),
        json::array(),
        nullptr,
        {{"b", 1}, {"a", "x"}, {"c", {true, false, nullptr}}},
        {{"neg", -9223372036854775807LL - 1}, {"big", 18446744073709551615ULL}, {"zero", 0}},
        {{"nested", {{"list", json::array({1, "2", json::object()})}}}},
        {{"\"quoted\\key\"", "tab\there\nnew\rret\bback\fform"}},
        {{"control", std::string("\x01\x1f\x7f", 3)}, {"nul", std::string("a\0b", 3)}},
        {{"text", "Grüße, 日本語, 𝄞"}},
    };
    for (const json& document : documents) EXPECT_EQ(JsonText(document), Reference(document));
}

TEST(JsonText, ReplacesInvalidUtf8AsTheLibraryDoes) {
    const char* const texts[] = {
        "\xFF",
        "\xC0\xAF",
        "\xE0\x80\xAF",
        "\xED\xA0\x80",  // overlong, surrogate
        "\xF4\x90\x80\x80",
        "\xF5\x80",
        "\xC3",
        "a\xE2\x82",  // too high, cut short
        "\xE2\x82x",
        "\xF0\x9F\x98\x80\x80",
        "\x80\x80",
        "\xC3\xA9\xE9",
        "\xF0\x9F\x98",
        "ok \xE2\x82\xAC",
    };
    for (const char* text : texts) {
        const json document = {{"5", text}};
        EXPECT_EQ(JsonText(document), Reference(document)) << text;
    }
}

TEST(JsonText, FloatsStayNumbers) {
    for (double number : {0.5, -2.0, 1e300, 3.141592653589793}) {
        EXPECT_EQ(json::parse(JsonText(number)).get<double>(), number);
        EXPECT_TRUE(json::parse(JsonText(number)).is_number_float());
    }
    EXPECT_EQ(JsonText(std::nan("")), "null");
}

namespace {

// The library's verdict on a text: its document, or nothing when it refuses the text.
std::optional<json> LibraryParse(const std::string& text) {
    try {
        return json::parse(text, nullptr, true, false);
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

std::optional<json> OwnParse(const std::string& text) {
    try {
        return JsonFromText(text);
    } catch (const json::parse_error&) {
        return std::nullopt;
    }
}

}  // namespace

TEST(JsonFromText, ReadsAndRefusesWhatTheLibraryDoes) {
    const std::string texts[] = {
        // accepted
        R"({"l":{"a":"b"},"o":[{"ov":4294967357,"n":-12,"f":1.5e3}],"x":null})",
        " \t\r\n[true , false,null ] ",
        "\xEF\xBB\xBF{}",
        "0",
        "-0",
        "-0.0e-0",
        "1E+2",
        "18446744073709551615",
        "18446744073709551616",
        "-9223372036854775808",
        "-9223372036854775809",
        "123456789012345678901234567890",
        "0.1",
        "2.5e-308",
        R"({"a":1,"a":2})",
        R"("\u00e9\u20AC\ud834\udd1e\/\b\f\n\r\t\"\\")",
        "\"Gr\xC3\xBC\xC3\x9Fe \xF0\x9D\x84\x9E\"",
        "[[[[[]]]]]",
        R"({"":""})",
        // refused
        "",
        " ",
        "{",
        "}",
        "[1,]",
        R"({"a":1,})",
        "{\"a\" 1}",
        "{a:1}",
        "01",
        "1.",
        ".5",
        "-",
        "1e",
        "1e+",
        "+1",
        "0x10",
        "NaN",
        "Infinity",
        "tru",
        "nul",
        "[1 2]",
        "{} {}",
        "\"tab\there\"",
        "\"unterminated",
        R"("\x41")",
        R"("\u12")",
        R"("\ud834")",
        R"("\udd1e")",
        R"("\ud834\u0041")",
        "\"\xFF\"",
        "\"\xC0\xAF\"",
        "\"\xED\xA0\x80\"",
        "\"\xE2\x82\"",
        "{} // comment",
        "/* c */ {}",
        "\v{}",
        "\f[]",
        "1e400",
        "-1e400",
        std::string("[0]\0", 4),
        "\xEF\xBB{}",
    };
    for (const std::string& text : texts) {
        const auto expected = LibraryParse(text);
        const auto actual = OwnParse(text);
        ASSERT_EQ(actual.has_value(), expected.has_value()) << text;
        if (!actual) continue;
        EXPECT_EQ(*actual, *expected) << text;
        EXPECT_EQ(actual->type(), expected->type()) << text;
        EXPECT_EQ(JsonText(*actual), JsonText(*expected)) << text;
    }
}

TEST(JsonFromText, RefusesDeepNestingInsteadOfExhaustingTheStack) {
    EXPECT_NO_THROW(JsonFromText(std::string(512, '[') + std::string(512, ']')));
    EXPECT_THROW(JsonFromText(std::string(513, '[') + std::string(513, ']')), json::parse_error);
    EXPECT_THROW(JsonFromText(std::string(100000, '[')), json::parse_error);
    EXPECT_THROW(JsonFromText(std::string(100000, '{')), json::parse_error);
}
