// The standard exception classes with the program's own members of their message strings
// (base/cow_string.cpp), linked into this test as into the program.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <stdexcept>
#include <string>

TEST(StandardExceptions, KeepTheirMessagesThroughCopiesAndAssignment) {
    const std::runtime_error first("first message");
    std::runtime_error copy = first;
    EXPECT_STREQ(copy.what(), "first message");
    std::runtime_error assigned("other");
    assigned = first;
    EXPECT_STREQ(assigned.what(), "first message");
    EXPECT_STREQ(first.what(), "first message");

    const std::logic_error wide(std::string(100000, 'y'));
    EXPECT_EQ(std::strlen(wide.what()), 100000u);
    const std::invalid_argument empty("");
    EXPECT_STREQ(empty.what(), "");
}

TEST(StandardExceptions, ThrownByTheLibrariesCarryTheirTexts) {
    try {
        static_cast<void>(std::string("ab").substr(5));
        FAIL();
    } catch (const std::out_of_range& error) {
        EXPECT_NE(std::string(error.what()).find("substr"), std::string::npos);
    }
    try {
        static_cast<void>(nlohmann::json(1).get<std::string>());
        FAIL();
    } catch (const nlohmann::json::type_error& error) {
        EXPECT_NE(std::string(error.what()).find("type must be string"), std::string::npos);
    }
}
