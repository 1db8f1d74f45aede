// The remote configuration document as the loading page reads it: which members fill the
// configuration record, which types they must have, and what turns the offers off.
#include "config/remote_configuration.h"

#include "config/configuration_manager.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <climits>

using nlohmann::json;

namespace {

class RemoteConfiguration : public ::testing::Test {
protected:
    void SetUp() override { m_config->m_wizardType = WizardType::DLM; }
    void TearDown() override {
        m_config->m_wizardType = WizardType::DLM;
        for (std::wstring* text :
             {&m_config->m_productTitle, &m_config->m_downloadUrl, &m_config->m_productImageUrl,
              &m_config->m_fileName, &m_config->m_privacyUrl, &m_config->m_termsUrl,
              &m_config->m_channel, &m_config->m_cfl}) {
            text->clear();
        }
        for (std::string* text : {&m_config->m_countryCode, &m_config->m_publisherId,
                                  &m_config->m_ispb, &m_config->m_downloadSha256}) {
            text->clear();
        }
    }

    bool Read(const char* document) { return ReadProductData(json::parse(document), *m_config); }

    std::shared_ptr<ConfigurationManager> m_config = ConfigurationManager::GetInstance();
};

TEST_F(RemoteConfiguration, FillsTheRecordFromEveryMember) {
    ASSERT_TRUE(
        Read(R"({"l":"US","f":{"a":"pub","m":2},"i":{"ct":"\u00c9clair","cu":"https://h/e.exe",
        "cl":"https://h/logo.png","cf":"E.exe","cp":"https://h/p","ctu":"https://h/t","ch":"web",
        "cfl":"x1","cb":"\u00e9b","sha256":"ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"}})"));
    EXPECT_EQ(m_config->m_countryCode, "US");
    EXPECT_EQ(m_config->m_publisherId, "pub");
    EXPECT_EQ(m_config->m_productTitle, L"\u00c9clair");
    EXPECT_EQ(m_config->m_downloadUrl, L"https://h/e.exe");
    EXPECT_EQ(m_config->m_productImageUrl, L"https://h/logo.png");
    EXPECT_EQ(m_config->m_fileName, L"E.exe");
    EXPECT_EQ(m_config->m_privacyUrl, L"https://h/p");
    EXPECT_EQ(m_config->m_termsUrl, L"https://h/t");
    EXPECT_EQ(m_config->m_channel, L"web");
    EXPECT_EQ(m_config->m_cfl, L"x1");
    EXPECT_EQ(m_config->m_ispb,
              "\xC3\xA9"
              "b");  // narrow fields keep the UTF-8 bytes
    EXPECT_EQ(m_config->m_downloadSha256,
              "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
}

TEST_F(RemoteConfiguration, AbsentOptionalMembersTakeTheirDefaults) {
    m_config->m_channel = L"old";
    ASSERT_TRUE(Read(R"({"i":{"ct":"MyApp","cu":"u"}})"));
    EXPECT_EQ(m_config->m_fileName, L"MyApp.exe");
    EXPECT_EQ(m_config->m_channel, L"");
    EXPECT_EQ(m_config->m_productImageUrl, L"");
    EXPECT_EQ(m_config->m_downloadSha256, "");
}

TEST_F(RemoteConfiguration, AnEmptyTitleOrAddressIsAConfigurationErrorBeforeAnythingElse) {
    EXPECT_FALSE(Read(R"({"i":{"ct":"A","cu":"","ch":"web"},"f":{"a":"pub"}})"));
    EXPECT_EQ(m_config->m_channel, L"");
    EXPECT_EQ(m_config->m_publisherId, "");
    EXPECT_FALSE(Read(R"({"i":{"ct":"","cu":"u"}})"));
}

TEST_F(RemoteConfiguration, MissingOrMistypedMembersMakeTheReplyMalformed) {
    for (
        const char* document :
        {R"({})", R"([])", R"("text")", R"({"i":[]})", R"({"i":{"cu":"u"}})", R"({"i":{"ct":"A"}})",
         R"({"i":{"ct":null,"cu":"u"}})", R"({"i":{"ct":1,"cu":"u"}})",
         R"({"i":{"ct":"A","cu":"u","cl":5}})", R"({"i":{"ct":"A","cu":"u","cb":true}})",
         R"({"l":1,"i":{"ct":"A","cu":"u"}})", R"({"i":{"ct":"A","cu":"u"},"f":{"a":{}}})",
         R"({"i":{"ct":"A","cu":"u","sha256":"abc"}})",
         R"({"i":{"ct":"A","cu":"u","sha256":"zz23456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef"}})"}) {
        EXPECT_ANY_THROW(Read(document)) << document;
    }
}

TEST_F(RemoteConfiguration, TheInstallFlowReadsNoProductData) {
    m_config->m_wizardType = WizardType::ISV;
    ASSERT_TRUE(Read(R"({"l":"DE","i":{"ct":"","cu":""}})"));
    EXPECT_TRUE(Read(R"({})"));
    EXPECT_EQ(m_config->m_countryCode, "DE");
    EXPECT_EQ(m_config->m_productTitle, L"");
}

TEST_F(RemoteConfiguration, OnlyTheExactChannel00xASuppressesTheOffers) {
    const json withOffers = json::parse(R"({"o":[]})");
    for (const auto& [channel, wanted] :
         {std::pair{L"", true}, {L"00xA", false}, {L"00xa", true}, {L"00xA ", true}}) {
        m_config->m_channel = channel;
        EXPECT_EQ(OffersWanted(withOffers, *m_config), wanted) << channel;
    }
    m_config->m_channel.clear();
    EXPECT_FALSE(OffersWanted(json::parse(R"({"f":{"m":1}})"), *m_config));
    EXPECT_FALSE(OffersWanted(json::parse(R"([{"o":[]}])"), *m_config));
}

TEST(OfferLimit, TakesNumbersAndBooleansAndHoldsHugeValuesAtTheEnds) {
    const auto limit = [](const char* m) {
        return OfferLimit(json::parse(std::string(R"({"f":{"m":)") + m + "}}"));
    };
    EXPECT_EQ(limit("3"), 3);
    EXPECT_EQ(limit("-2"), -2);
    EXPECT_EQ(limit("2.9"), 2);
    EXPECT_EQ(limit("-2.9"), -2);
    EXPECT_EQ(limit("true"), 1);
    EXPECT_EQ(limit("false"), 0);
    EXPECT_EQ(limit("1e30"), INT_MAX);
    EXPECT_EQ(limit("-1e30"), INT_MIN);
    EXPECT_EQ(limit("18446744073709551615"), INT_MAX);
    for (const char* m : {R"("3")", "null", "[]", "{}"}) EXPECT_ANY_THROW(limit(m)) << m;
    EXPECT_ANY_THROW(OfferLimit(json::parse(R"({"o":[]})")));
    EXPECT_ANY_THROW(OfferLimit(json::parse(R"({"f":[]})")));
}

}  // namespace
