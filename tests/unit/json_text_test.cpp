// The writer against the JSON library's own serialiser, which it replaces in the program.
#include "base/json_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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
