#include "offers/package.h"

#include "analytics/event_context.h"
#include "analytics/event_record.h"
#include "config/configuration_manager.h"
#include "offers/host_packages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <climits>
#include <functional>

using nlohmann::json;

namespace {

RunFacts TestFacts() {
    RunFacts facts;
    facts.machineId = "machine-1";
    facts.sessionId = "20260102030405";
    facts.brand = "Tovanta";
    facts.installerId = "Tovanta_DLM";
    facts.version = "3.0.13.45782";
    facts.productTitle = "My App";
    facts.osVersion = "10.0.19045";
    facts.wow64 = true;
    return facts;
}

EventContext TestContext(const RunFacts& facts = TestFacts()) {
    return EventContext{BuildCommonRecord(facts), {}};
}

json Settings() {
    return {{"i", "offer.png"}, {"dn", "Offer App"}, {"u", "https://localhost/f/offer.exe"}};
}

json Entry(const json& settings = Settings()) {
    return {{"ad", {{"f", "tag-1"}, {"o", "offer-7"}}}, {"ps", settings}};
}

json With(json settings, const json& members) {
    settings.update(members);
    return settings;
}

std::shared_ptr<Package> Offer(const json& entry, int index = 0) {
    return std::make_shared<Package>(TestContext(), entry, false, "", index);
}

std::shared_ptr<Package> OfferWith(const json& members) {
    return Offer(Entry(With(Settings(), members)));
}

// Milliseconds the call takes: inputs here are large enough that quadratic work would take
// minutes, while linear work takes milliseconds.
template <typename Call>
ULONGLONG Milliseconds(Call call) {
    const ULONGLONG start = GetTickCount64();
    call();
    return GetTickCount64() - start;
}

}  // namespace

TEST(Base62, EncodesBytesAsANumberWithoutLeadingZeros) {
    EXPECT_EQ(EncodeBase62("abc"), "qMin");
    EXPECT_EQ(EncodeBase62(std::string("\0\0\1", 3)), "1");
    EXPECT_EQ(EncodeBase62("\xFF"), "47");
    EXPECT_EQ(EncodeBase62(""), "");
    EXPECT_EQ(EncodeBase62(std::string(1, '\0')), "");
    // Long inputs fit the digits computed for them.
    EXPECT_EQ(EncodeBase62(std::string(200, '\xFF')).size(), 269u);
}

TEST(Base62, RefusesLongInputsAtOnce) {
    EXPECT_EQ(EncodeBase62(std::string(1024, '\xFF')).size(), 1376u);
    EXPECT_THROW(EncodeBase62(std::string(1025, 'a')), std::length_error);
    EXPECT_LT(Milliseconds(
                  [] { EXPECT_THROW(EncodeBase62(std::string(1 << 20, 'a')), std::length_error); }),
              1000u);
}

TEST(ExpandAttributes, ReplacesKnownTokensOnlyAndEnds) {
    const AttributeMap attributes = {{"pxl", "T0k"}, {"of", "tag"}, {"self", "<{self}>"}};
    EXPECT_EQ(ExpandAttributes("a{pxl}b{pxl}{of}", attributes), "aT0kbT0ktag");
    EXPECT_EQ(ExpandAttributes("{unknown} {pxl", attributes), "{unknown} {pxl");
    EXPECT_EQ(ExpandAttributes("{self}{self}", attributes), "<{self}><{self}>");
}

TEST(ExpandAttributes, IsLinearAndRefusesTextsBeyondTheCap) {
    std::string tokens;
    for (int i = 0; i < 12000; ++i) tokens += "{of}";
    const AttributeMap shortValue = {{"of", "ab"}, {"pxl", "T"}};
    std::optional<std::string> expanded;
    EXPECT_LT(Milliseconds([&] { expanded = ExpandAttributes(tokens, shortValue); }), 1000u);
    ASSERT_TRUE(expanded);
    EXPECT_EQ(expanded->size(), 24000u);
    // Each token growing into a long value would need gigabytes.
    const AttributeMap longValue = {{"of", std::string(1 << 16, 'x')}};
    EXPECT_LT(Milliseconds([&] { expanded = ExpandAttributes(tokens, longValue); }), 1000u);
    EXPECT_FALSE(expanded);
    EXPECT_FALSE(ExpandAttributes(std::string(1 << 20, 'a'), shortValue));
}

TEST(OfferEntry, WithoutOptionalKeysTakesTheDefaults) {
    auto offer = Offer(Entry(), 2);
    EXPECT_FALSE(offer->m_isMain);
    EXPECT_EQ(offer->m_offerTag, "tag-1");
    EXPECT_EQ(offer->m_offerId, "offer-7");
    EXPECT_EQ(offer->m_imageName, "offer.png");
    EXPECT_EQ(offer->m_displayName, "Offer App");
    EXPECT_EQ(offer->GetInstallerUrl(), L"https://localhost/f/offer.exe");
    EXPECT_EQ(offer->GetInstallerArguments(), L"");
    EXPECT_EQ(offer->m_privacyUrl, "");
    EXPECT_EQ(offer->m_termsUrl, "");
    EXPECT_EQ(offer->m_channel, "");
    EXPECT_EQ(offer->m_vertical.load(), 0);
    EXPECT_EQ(offer->m_index, 2);
    EXPECT_EQ(offer->m_minDiskMB + offer->m_minRamMB + offer->m_minCpuMHz + offer->m_minOsCode, 0);
    EXPECT_EQ(offer->m_minPlatformVersion, "");
    EXPECT_FALSE(offer->m_requires64Bit || offer->m_exclusive || offer->m_requireChrome ||
                 offer->m_excludeChrome || offer->m_checkIeVersion);
    EXPECT_TRUE(offer->m_excludeFiles.empty() && offer->m_includeFiles.empty() &&
                offer->m_blockingProcesses.empty() && offer->m_excludeKeys.empty() &&
                offer->m_uninstallRules.empty() && offer->m_includeAppPaths.empty());
    EXPECT_EQ(offer->m_offerImage, nullptr);
}

TEST(OfferEntry, ReadsEveryOptionalKey) {
    auto offer = OfferWith({{"p", "/S /tag={of}"},
                            {"cp", "https://localhost/privacy"},
                            {"ctu", "https://localhost/terms"},
                            {"v", -1},
                            {"exc", true},
                            {"c", "chan-{of}"},
                            {"disk", 100.9},
                            {"ram", 2048},
                            {"cpu", 1000},
                            {"ov", 62},
                            {"pv", "3.0.{of}"},
                            {"win64", true},
                            {"ife", {"{programdata}\\Vendor"}},
                            {"a", {"app.exe", "other.exe"}},
                            {"r",
                             {"HKLM\\Software\\\xC3\x9C"
                              "ber"}},
                            {"ir", {"HKCU\\Software\\A"}},
                            {"rvn", {"HKLM\\Software\\A\\Value"}},
                            {"rvd", {"HKLM\\Software\\A\\Value\\Data"}},
                            {"eapp", {"x.exe"}},
                            {"iapp", {"y.exe", "z.exe"}},
                            {"cmdu",
                             {{{"utr", "HKEY_LOCAL_MACHINE"},
                               {"utk", "Software\\A"},
                               {"utvn", "Removed"},
                               {"utvt", "REG_QWORD"},
                               {"umd", 30},
                               {"utms", true}},
                              {{"utr", "hkey_current_user"},
                               {"utk", "B"},
                               {"utvn", "T"},
                               {"utvt", "x"},
                               {"umd", -2}}}},
                            {"unknown", {1, 2}}});
    EXPECT_EQ(offer->GetInstallerArguments(), L"/S /tag=tag-1");
    EXPECT_EQ(offer->m_privacyUrl, "https://localhost/privacy");
    EXPECT_EQ(offer->m_termsUrl, "https://localhost/terms");
    EXPECT_EQ(offer->m_vertical.load(), -1);
    EXPECT_TRUE(offer->m_exclusive);
    EXPECT_EQ(offer->m_channel, "chan-tag-1");
    EXPECT_EQ(offer->m_minDiskMB, 100);
    EXPECT_EQ(offer->m_minRamMB, 2048);
    EXPECT_EQ(offer->m_minCpuMHz, 1000);
    EXPECT_EQ(offer->m_minOsCode, 62);
    EXPECT_EQ(offer->m_minPlatformVersion, "3.0.{of}");  // not expanded
    EXPECT_TRUE(offer->m_requires64Bit);
    ASSERT_EQ(offer->m_includeFiles.size(), 1u);
    EXPECT_EQ(offer->m_includeFiles[0].find(L"{programdata}"), std::wstring::npos);
    EXPECT_EQ(offer->m_blockingProcesses, (std::vector<std::string>{"app.exe", "other.exe"}));
    EXPECT_EQ(offer->m_excludeKeys, std::vector<std::wstring>{L"HKLM\\Software\\\u00DCber"});
    EXPECT_EQ(offer->m_includeKeys, std::vector<std::wstring>{L"HKCU\\Software\\A"});
    EXPECT_EQ(offer->m_excludeValues, std::vector<std::wstring>{L"HKLM\\Software\\A\\Value"});
    EXPECT_EQ(offer->m_excludeValueData,
              std::vector<std::wstring>{L"HKLM\\Software\\A\\Value\\Data"});
    EXPECT_EQ(offer->m_excludeAppPaths, std::vector<std::wstring>{L"x.exe"});
    EXPECT_EQ(offer->m_includeAppPaths, (std::vector<std::wstring>{L"y.exe", L"z.exe"}));
    ASSERT_EQ(offer->m_uninstallRules.size(), 2u);
    const UninstallRule& first = offer->m_uninstallRules[0];
    EXPECT_EQ(first.root, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(first.key, L"Software\\A");
    EXPECT_EQ(first.valueName, L"Removed");
    EXPECT_EQ(first.valueType, L"REG_QWORD");
    EXPECT_EQ(first.minDays, 30);
    EXPECT_TRUE(first.inMilliseconds);
    EXPECT_EQ(offer->m_uninstallRules[1].minDays, -2);
    EXPECT_FALSE(offer->m_uninstallRules[1].inMilliseconds);
}

TEST(OfferEntry, MissingRequiredMembersRaiseOutOfRange) {
    json noName = Settings();
    noName.erase("dn");
    EXPECT_THROW(Offer(Entry(noName)), json::out_of_range);
    EXPECT_THROW(Offer({{"ps", Settings()}}), json::out_of_range);
    EXPECT_THROW(Offer({{"ad", {{"f", "tag"}}}, {"ps", Settings()}}), json::out_of_range);
    EXPECT_THROW(
        OfferWith(
            {{"cmdu", {{{"utr", "hkey_users"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}}}}}),
        json::out_of_range);
}

TEST(OfferEntry, MistypedMembersRaiseTypeError) {
    const json mistyped[] = {
        {{"dn", 5}},
        {{"p", nullptr}},
        {{"v", "4"}},
        {{"v", true}},
        {{"exc", 1}},
        {{"disk", "100"}},
        {{"win64", "yes"}},
        {{"x", false}},
        {{"fe", "a.exe"}},
        {{"a", {"a.exe", 1}}},
        {{"r", {{"k", 1}}}},
        {{"cmdu", {5}}},
        {{"cmdu", {{"utr", "hkey_users"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}, {"umd", 1}}}},
        {{"cmdu",
          {{{"utr", "hkey_users"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}, {"umd", "1"}}}}},
        {{"cmdu",
          {{{"utr", "hkey_users"},
            {"utk", "k"},
            {"utvn", "n"},
            {"utvt", "t"},
            {"umd", 1},
            {"utms", 0}}}}},
    };
    for (const json& members : mistyped) {
        EXPECT_THROW(OfferWith(members), json::type_error) << members.dump();
    }
    EXPECT_THROW(Offer({{"ad", "tag"}, {"ps", Settings()}}), json::type_error);
    EXPECT_THROW(Offer({{"ad", {{"f", "tag"}, {"o", "id"}}}, {"ps", {1, 2}}}), json::type_error);
    EXPECT_THROW(Offer(json::array()), json::type_error);
}

TEST(OfferEntry, NumbersOutsideTheirFieldsRangeMakeItMalformed) {
    const json outOfRange[] = {
        {{"ov", 4294967357u}},  // would wrap to 61
        {{"ov", 4294967357.0}},
        {{"v", 2147483648u}},
        {{"v", -2147483649ll}},
        {{"x", 4294967306u}},  // would wrap to preset 10
        {{"disk", 18446744073709551615u}},
        {{"ram", 1e19}},
        {{"cpu", -1e300}},
        {{"cmdu",
          {{{"utr", "hkey_users"}, {"utk", "k"}, {"utvn", "n"}, {"utvt", "t"}, {"umd", 1e10}}}}},
    };
    for (const json& members : outOfRange) {
        EXPECT_THROW(OfferWith(members), json::out_of_range) << members.dump();
    }
    auto edges = OfferWith({{"v", -2147483648ll}, {"ov", 2147483647}, {"disk", -1}, {"ram", 2.9}});
    EXPECT_EQ(edges->m_vertical.load(), INT32_MIN);
    EXPECT_EQ(edges->m_minOsCode, INT32_MAX);
    EXPECT_EQ(edges->m_minDiskMB, -1);  // compared unsigned: never met
    EXPECT_EQ(edges->m_minRamMB, 2);
}

TEST(OfferEntry, ReadsTheInstallersDigestInLowerCase) {
    const std::string digest(64, 'A');
    EXPECT_EQ(OfferWith({{"sha256", digest}})->m_sha256, std::string(64, 'a'));
    EXPECT_EQ(Offer(Entry())->m_sha256, "");
    for (const std::string& bad :
         {std::string(63, 'a'), std::string(65, 'a'), std::string(63, 'a') + "g", std::string()}) {
        EXPECT_THROW(OfferWith({{"sha256", bad}}), json::out_of_range) << bad;
    }
    EXPECT_THROW(OfferWith({{"sha256", 1}}), json::type_error);
}

TEST(OfferEntry, LongTextsCostLinearTime) {
    // A 1 MiB offer id once took minutes to encode; now its token is simply empty.
    json entry = Entry();
    entry["ad"]["o"] = std::string(1 << 20, '7');
    std::shared_ptr<Package> offer;
    EXPECT_LT(Milliseconds([&] { offer = Offer(entry); }), 2000u);
    EXPECT_EQ(offer->m_attributes.at("pxl"), "");
    // Tokens of a long tag would multiply it: the entry is malformed instead.
    std::string tokens;
    for (int i = 0; i < 16000; ++i) tokens += "{of}";
    entry = Entry(With(Settings(), {{"p", tokens}}));
    entry["ad"]["f"] = std::string(1 << 16, 't');
    EXPECT_LT(Milliseconds([&] { EXPECT_THROW(Offer(entry), json::out_of_range); }), 2000u);
}

TEST(OfferEntry, PresetsOverrideTheRequirementsTheyName) {
    auto three = OfferWith({{"disk", 100}, {"x", 3}});
    EXPECT_EQ(three->m_minDiskMB, 512);
    EXPECT_EQ(three->m_minRamMB, 1536);
    EXPECT_EQ(three->m_minCpuMHz, 1500);

    auto one = OfferWith({{"cpu", 800}, {"ram", 4096}, {"x", 1}});
    EXPECT_EQ(one->m_minDiskMB, 2500);
    EXPECT_EQ(one->m_minRamMB, 250);
    EXPECT_EQ(one->m_minCpuMHz, 800);

    auto seven = OfferWith({{"disk", 1}, {"ram", 2}, {"cpu", 3}, {"win64", true}, {"x", 7}});
    EXPECT_EQ(seven->m_minDiskMB, 1);
    EXPECT_EQ(seven->m_minRamMB, 2);
    EXPECT_EQ(seven->m_minCpuMHz, 3);
    EXPECT_TRUE(seven->m_requires64Bit);
    EXPECT_FALSE(seven->m_requireChrome || seven->m_excludeChrome || seven->m_checkIeVersion);

    EXPECT_TRUE(OfferWith({{"win64", false}, {"x", 10}})->m_requires64Bit);
    auto two = OfferWith({{"x", 2}});
    EXPECT_TRUE(two->m_requireChrome && two->m_checkIeVersion && !two->m_excludeChrome);
    auto twelve = OfferWith({{"x", 12}});
    EXPECT_TRUE(twelve->m_requireChrome && !twelve->m_checkIeVersion);
    auto thirteen = OfferWith({{"x", 13}});
    EXPECT_TRUE(thirteen->m_excludeChrome && !thirteen->m_requireChrome);
}

TEST(OfferEntry, TextsCarryTheTrackingTokenAndTheRunAttributes) {
    auto config = ConfigurationManager::GetInstance();
    config->m_countryCode = "CA";
    config->m_publisherId = "pub-9";
    config->m_ispb = "";
    auto offer =
        OfferWith({{"u", "https://localhost/f/o.exe?t={pxl}&c={cc}&a={aflt}&x={nothing}"}});
    const std::string token =
        EncodeBase62(config->GetMachineId() + "|offer-7|" + config->GetSessionId());
    ASSERT_FALSE(token.empty());
    EXPECT_EQ(offer->m_installerUrl,
              "https://localhost/f/o.exe?t=" + token + "&c=CA&a=91166&x={nothing}");
    EXPECT_EQ(offer->m_attributes.at("userid"), config->GetMachineId());
    EXPECT_EQ(offer->m_attributes.at("sessionid"), config->GetSessionId());
    EXPECT_EQ(offer->m_attributes.at("pubid"), "pub-9");
    EXPECT_EQ(offer->m_attributes.at("of"), "tag-1");
    EXPECT_EQ(offer->m_attributes.count("ispb"), 0u);
    config->m_countryCode.clear();
    config->m_publisherId.clear();
}

// Runs in the 64-bit prefix and the 32-bit one: "{commonpf}" is the native Program Files.
TEST(OfferEntry, FilePathsExpandTheFolderMacros) {
    auto offer = OfferWith({{"fe", {"{commonpf}\\Vendor\\app.exe", "{unknown}\\b"}}});
    EXPECT_EQ(offer->m_excludeFiles,
              (std::vector<std::wstring>{L"C:\\Program Files\\Vendor\\app.exe", L"{unknown}\\b"}));
}

TEST(CommonAttributes, SkipEmptyValuesAndKeepEarlierOnes) {
    auto config = ConfigurationManager::GetInstance();
    config->m_countryCode = "";
    AttributeMap attributes = {{"sessionid", "kept"}};
    AddCommonAttributes(attributes);
    EXPECT_EQ(attributes.at("sessionid"), "kept");
    EXPECT_EQ(attributes.count("cc"), 0u);
    EXPECT_EQ(attributes.at("aflt"), "91082");
}

TEST(AffiliateForCountry, MatchesTheExactCodeOfEachGroup) {
    const std::pair<const char*, const char*> cases[] = {
        {"US", "91088"}, {"us", "91082"}, {"", "91082"},   {"USA", "91082"}, {"CA", "91166"},
        {"BR", "91199"}, {"AU", "91214"}, {"KR", "91214"}, {"DZ", "91105"},  {"AE", "91105"},
        {"RU", "91105"}, {"TH", "91215"}, {"SG", "91215"}, {"LV", "91215"},  {"DE", "91082"},
    };
    for (const auto& [code, affiliate] : cases)
        EXPECT_EQ(AffiliateForCountry(code), affiliate) << code;
}

TEST(EventRecord, CommonRecordHoldsTheRunFieldsAndEmptyTheRest) {
    RunFacts facts = TestFacts();
    facts.cfl = "cfl-1";
    facts.channel = "ch-1";
    const json record = BuildCommonRecord(facts);
    json expected = json::object();
    for (int key = 0; key <= 22; ++key) expected[std::to_string(key)] = "";
    expected.update({{"1", "machine-1"},
                     {"2", "20260102030405"},
                     {"3", "Tovanta"},
                     {"4", "Tovanta_DLM"},
                     {"7", "3.0.13.45782"},
                     {"15", 0},
                     {"19", "cfl-1"},
                     {"21", "ch-1"},
                     {"22", "My App"},
                     {"31", "10.0.19045"},
                     {"38", "1"}});
    EXPECT_EQ(record, expected);
    facts.wow64 = false;
    EXPECT_EQ(BuildCommonRecord(facts)["38"], "0");
}

TEST(EventRecord, MainProductAndOfferAddTheirOwnKeys) {
    const json common = BuildCommonRecord(TestFacts());
    auto main = std::make_shared<Package>(TestContext(), true, L"", L"", L"", L"", 0);
    json expectedMain = common;
    expectedMain.update({{"5", "My App"}, {"10", 1}, {"18", ""}});
    EXPECT_EQ(*main->EventRecord(), expectedMain);

    auto offer = std::make_shared<Package>(TestContext(), Entry(With(Settings(), {{"c", "chan"}})),
                                           false, "", 2);
    json expectedOffer = common;
    expectedOffer.update(
        {{"5", "offer-7"}, {"10", 2}, {"16", "chan"}, {"17", "3"}, {"18", "tag-1"}});
    EXPECT_EQ(*offer->EventRecord(), expectedOffer);
}

TEST(EventRecord, ResetAsMainTakesTheNewContextAndTexts) {
    auto main = std::make_shared<Package>(TestContext(), true, L"", L"", L"", L"", 0);
    RunFacts later = TestFacts();
    later.productTitle = "Loaded Title";
    later.cfl = "cfl-2";
    main->m_attributes["kept"] = "yes";
    main->ResetAsMain(TestContext(later), L"Loaded Title", L"cfl-2", L"Loaded \u00DC", L"ch");
    EXPECT_EQ(main->m_offerId, "Loaded Title");
    EXPECT_EQ(main->m_offerTag, "cfl-2");
    EXPECT_EQ(main->m_displayName, "Loaded \xC3\x9C");
    EXPECT_EQ(main->m_channel, "ch");
    EXPECT_EQ(main->m_attributes.at("kept"), "yes");
    const json record = *main->EventRecord();
    EXPECT_EQ(record["5"], "Loaded Title");
    EXPECT_EQ(record["19"], "cfl-2");
    EXPECT_EQ(record["10"], 1);
}

TEST(EventDocument, SetsTheCodeAndTakesOnlyKnownExtraMembers) {
    const json record = {{"0", ""}, {"1", ""}, {"5", "offer"}, {"6", ""}, {"12", ""}, {"13", ""}};
    EXPECT_EQ(
        BuildEventDocument(record, EventCode::OfferRefused,
                           {{"13", "NOT ENOUGH RAM"}, {"5", "x"}, {"40", "dropped"}}),
        (json{{"0", ""}, {"1", ""}, {"5", "x"}, {"6", "2"}, {"12", ""}, {"13", "NOT ENOUGH RAM"}}));
    EXPECT_EQ(BuildEventDocument(record, EventCode::DownloadOrRunFailed, nullptr)["6"], "-1");
    EXPECT_EQ(BuildEventDocument(record, EventCode::WizardClosed, {"13", "array"}),
              BuildEventDocument(record, EventCode::WizardClosed, nullptr));
}

TEST(EventEnvelope, CarriesTheDocumentAsTextBeforeTheTable) {
    EXPECT_EQ(BuildEnvelope({{"6", "1"}, {"10", 1}, {"5", "A \"B\""}}),
              R"({"data":"{\"10\":1,\"5\":\"A \\\"B\\\"\",\"6\":\"1\"}","table":"zb_analytics"})");
    EXPECT_NO_THROW(BuildEnvelope({{"5", "bad \xFF utf-8"}}));
}

TEST(EventCodes, FinalCodesCloseThePackage) {
    for (EventCode code :
         {EventCode::DownloadOrRunFailed, EventCode::OfferRefused, EventCode::Completed,
          EventCode::OfferDeclined, EventCode::WizardClosed}) {
        EXPECT_TRUE(IsFinalEvent(code)) << static_cast<int>(code);
    }
    EXPECT_FALSE(IsFinalEvent(EventCode::WizardStarted));
}

TEST(PackageEvents, WaitingWithoutEventsReturnsAtOnce) {
    auto offer = Offer(Entry());
    offer->WaitForEvents();
    EXPECT_FALSE(offer->EventsClosed());
}

TEST(PackageImage, TheMainProductHasNoneAndIsDoneAtOnce) {
    auto main = std::make_shared<Package>(TestContext(), true, L"", L"", L"", L"", 0);
    bool done = false;
    main->DownloadImage([&done] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(main->m_offerImage, nullptr);
    EXPECT_THROW(main->DownloadImage(nullptr), std::bad_function_call);
}

TEST(HostPackages, MainTextsFollowTheWizardType) {
    auto config = ConfigurationManager::GetInstance();
    const WizardType wizardType = config->m_wizardType;
    config->m_installerId = L"Tovanta_DLM";
    config->m_cfl = L"cfl-1";
    config->m_productTitle = L"My App";
    config->m_channel = L"ch-1";

    config->m_wizardType = WizardType::DLM;
    const MainPackageTexts initial = InitialMainTexts(*config);
    EXPECT_TRUE(initial.offerId.empty() && initial.offerTag.empty() &&
                initial.displayName.empty() && initial.channel.empty());
    EXPECT_EQ(LoadedMainTexts(*config).offerId, L"My App");

    config->m_wizardType = WizardType::ISV;
    const MainPackageTexts install = InitialMainTexts(*config);
    EXPECT_EQ(install.offerId, L"Tovanta_DLM");
    EXPECT_EQ(install.offerTag, L"cfl-1");
    EXPECT_EQ(install.displayName, L"My App");
    EXPECT_EQ(install.channel, L"ch-1");
    EXPECT_EQ(LoadedMainTexts(*config).offerId, L"Tovanta_DLM");

    config->m_wizardType = WizardType::Unknown;
    const MainPackageTexts loaded = LoadedMainTexts(*config);
    EXPECT_EQ(loaded.offerId, L"");
    EXPECT_EQ(loaded.offerTag, L"cfl-1");
    EXPECT_EQ(loaded.displayName, L"My App");
    EXPECT_EQ(loaded.channel, L"ch-1");

    config->m_wizardType = wizardType;
    config->m_cfl.clear();
    config->m_productTitle.clear();
    config->m_channel.clear();
}
