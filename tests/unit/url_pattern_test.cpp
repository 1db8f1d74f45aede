// The program's address test against the standard library's regular expression of the same
// pattern (which the program itself cannot carry), on tricky texts and on every short text
// over an alphabet of the characters that matter.
#include "net/url_pattern.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const std::regex kPattern(R"(^((http|https):\/\/)?([\w.-]+)(\.[\w.-]+)+([\/?#].*)?$)",
                          std::regex::ECMAScript);

bool Reference(const std::string& text) { return std::regex_match(text, kPattern); }

TEST(LooksLikeUrl, AgreesWithTheRegularExpressionOnTrickyTexts) {
    const std::vector<std::string> corpus = {"",
                                             "setup",
                                             "setup.exe",
                                             "12345/setup",
                                             "a.b",
                                             "a.",
                                             ".a",
                                             "..",
                                             "...",
                                             "a..b",
                                             ".a.b",
                                             "a.b.",
                                             "-.-",
                                             "_._",
                                             "a.b/",
                                             "a.b?x",
                                             "a.b#x",
                                             "a.b:80",
                                             "a.b:80/x",
                                             "host.example:443",
                                             "http://a.b",
                                             "https://a.b/c?d#e",
                                             "HTTP://a.b",
                                             "Https://a.b",
                                             "ftp://a.b",
                                             "http:/a.b",
                                             "http//a.b",
                                             "http://",
                                             "http://a",
                                             "https://.b",
                                             "http://a.b.c/d e",
                                             "a.b/c\nd",
                                             "a.b/c\rd",
                                             "a.b\n",
                                             "a b.c",
                                             "a.b c",
                                             "www.example.com/path/file.exe",
                                             "example.com?x=1",
                                             "files/setup.exe",
                                             "setup.exe?dl=1",
                                             "setup.exe/",
                                             "a.b//c",
                                             "http://http://a.b",
                                             "https://a.b:8443/x",
                                             "a_b-c.d_e",
                                             "\xe9t\xe9.exe",
                                             "a.b/\xe9",
                                             "a.b/\t",
                                             std::string("a.b/\0x", 5),
                                             std::string("a\0.b", 4),
                                             "http://a.b/\x7f",
                                             "1.2",
                                             "1.2.3.4",
                                             "1.2.3.4/x",
                                             "[::1]/x",
                                             "user@a.b",
                                             "a.b\\c",
                                             "a\\b.c"};
    for (const std::string& text : corpus) {
        EXPECT_EQ(LooksLikeUrlBytes(text), Reference(text)) << "\"" << text << "\"";
    }
}

// Every text of up to five characters over an alphabet where each character has a part to
// play, alone and after each scheme spelling.
TEST(LooksLikeUrl, AgreesWithTheRegularExpressionOnEveryShortText) {
    const std::string alphabet = "a.-/?#:\n";
    std::vector<std::string> texts = {""};
    for (size_t from = 0, length = 0; length < 5; ++length) {
        const size_t to = texts.size();
        for (size_t i = from; i < to; ++i) {
            for (char c : alphabet) texts.push_back(texts[i] + c);
        }
        from = to;
    }
    size_t matches = 0;
    for (const std::string& rest : texts) {
        for (const char* scheme : {"", "http://", "https://", "HTTP://", "http:/"}) {
            const std::string text = scheme + rest;
            const bool expected = Reference(text);
            ASSERT_EQ(LooksLikeUrlBytes(text), expected) << "\"" << text << "\"";
            matches += expected;
        }
    }
    EXPECT_GT(matches, 1000u) << "the corpus holds matching texts too";
}

TEST(LooksLikeUrl, TakesWideTextInTheAnsiCodePage) {
    EXPECT_TRUE(LooksLikeUrl(L"setup.exe"));
    EXPECT_TRUE(LooksLikeUrl(L"https://files.example/f/setup.exe"));
    // A host name needs a dot, even after a scheme.
    EXPECT_FALSE(LooksLikeUrl(L"https://localhost/f/setup.exe"));
    EXPECT_FALSE(LooksLikeUrl(L""));
    EXPECT_FALSE(LooksLikeUrl(L"12345/setup"));
    EXPECT_TRUE(LooksLikeUrl(L"a.b/\u00e9"));
    EXPECT_FALSE(LooksLikeUrl(L"\u00e9t\u00e9.exe"));
}

}  // namespace
