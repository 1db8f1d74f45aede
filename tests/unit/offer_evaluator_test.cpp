#include "offers/offer_evaluator.h"

#include "analytics/event_context.h"
#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/time.h"
#include "offers/package.h"
#include "offers/system_probes.h"
#include "offers_test_support.h"
#include "test_backend.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using nlohmann::json;
using namespace offers_test;

namespace {

// Free disk 1000 MiB, memory 8192 MiB, processor 2394 MHz.
ProbeCaches KnownFacts() { return {1000, 8192, 2394, {}}; }

std::shared_ptr<Package> Offer(const json& settings = json::object()) {
    json ps = {{"i", "offer.png"}, {"dn", "Offer"}, {"u", "https://localhost/f/offer.exe"}};
    ps.update(settings);
    const json entry = {{"ad", {{"f", "tag"}, {"o", "offer"}}}, {"ps", ps}};
    return std::make_shared<Package>(BuildEventContext(), entry, false, "", 0);
}

// The refusal reason, "accepted", or "stopped" when the offer limit was reached.
std::string Outcome(OfferEvaluator& evaluator, const json& settings) {
    bool stop = false;
    const Verdict verdict = evaluator.Judge(*Offer(settings), stop);
    if (stop) return "stopped";
    return verdict.accepted ? "accepted" : verdict.refusal.value_or("refused without a reason");
}

// The outcome for an offer as the first of a new evaluation.
std::string FirstOutcome(const json& settings, ProbeCaches facts = KnownFacts()) {
    OfferEvaluator evaluator(10, std::move(facts));
    return Outcome(evaluator, settings);
}

json UninstallEntry(const std::string& root, const std::string& valueName, int minDays,
                    bool milliseconds) {
    return {{"utr", root},       {"utk", "Software\\KelvaraTest\\Removed"},
            {"utvn", valueName}, {"utvt", "REG_QWORD"},
            {"umd", minDays},    {"utms", milliseconds}};
}

const uint64_t kDay = 86400;

// Everything the machine-wide rules can look at, owned by the test: keys, values, files, a
// running program and registered applications.
class MachineRules : public ::testing::Test {
protected:
    MachineRules() {
        SetString(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest\\Present", kView64, L"Value",
                  L"Data");
        SetDword(HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest\\Present", kView64, L"Count", 7);
        const std::wstring removed = L"Software\\KelvaraTest\\Removed";
        const uint64_t now = UnixSecondsNow();
        SetQword(HKEY_CURRENT_USER, removed, kView64, L"TenDaysMs", (now - 10 * kDay) * 1000);
        SetQword(HKEY_CURRENT_USER, removed, kView64, L"ThirtyOneDaysMs", (now - 31 * kDay) * 1000);
        SetDword(HKEY_CURRENT_USER, removed, kView64, L"TenDays",
                 static_cast<DWORD>(now - 10 * kDay));
        SetString(HKEY_CURRENT_USER, removed, kView64, L"ThirtyOneDays",
                  std::to_wstring(now - 31 * kDay));
        SetString(HKEY_CURRENT_USER, removed, kView64, L"Text", L"yesterday");
        SetString(HKEY_CURRENT_USER, removed, kView64, L"Huge", L"99999999999999999999999");
        m_present = m_files.AddFile(L"present.txt");
        SetString(HKEY_LOCAL_MACHINE, kAppPaths + L"kelvara_installed.exe", kDefaultView, L"",
                  m_present);
    }

    static inline const std::wstring kAppPaths =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    OwnedKeys m_owned{{{HKEY_LOCAL_MACHINE, L"Software\\KelvaraTest"},
                       {HKEY_CURRENT_USER, L"Software\\KelvaraTest"},
                       {HKEY_LOCAL_MACHINE, kAppPaths + L"kelvara_installed.exe"}}};
    OwnedFolder m_files{L"C:\\Program Files\\KelvaraTestRules"};
    std::wstring m_present;
};

}  // namespace

TEST(OfferLimit, StopsTheLoadWithoutAReport) {
    OfferEvaluator none(0, KnownFacts());
    bool stop = false;
    const Verdict verdict = none.Judge(*Offer(), stop);
    EXPECT_TRUE(stop);
    EXPECT_FALSE(verdict.accepted);
    EXPECT_FALSE(verdict.refusal);

    OfferEvaluator two(2, KnownFacts());
    EXPECT_EQ(Outcome(two, {{"v", 1}}), "accepted");
    EXPECT_EQ(Outcome(two, {{"v", 2}}), "accepted");
    EXPECT_EQ(Outcome(two, {{"v", 3}}), "stopped");
}

TEST(Categories, OneOfferPerCategory) {
    OfferEvaluator evaluator(10, KnownFacts());
    EXPECT_EQ(Outcome(evaluator, {{"v", 5}}), "accepted");
    EXPECT_EQ(Outcome(evaluator, {{"v", 5}}), "SAME VERTICAL OFFER ALREADY PRESENT");
    EXPECT_EQ(Outcome(evaluator, {{"v", -1}}), "accepted");
    EXPECT_EQ(Outcome(evaluator, {{"v", -1}}), "MULTIPLE OFFERS W/O VERTICAL");
    EXPECT_EQ(Outcome(evaluator, json::object()), "accepted");
    EXPECT_EQ(Outcome(evaluator, json::object()), "SAME VERTICAL OFFER ALREADY PRESENT");
    // A refused offer does not take its category.
    EXPECT_EQ(Outcome(evaluator, {{"v", 3}, {"ram", 8193}}), "NOT ENOUGH RAM");
    EXPECT_EQ(Outcome(evaluator, {{"v", 3}}), "accepted");
}

TEST(Categories, AnExclusiveOfferMustBeTheFirst) {
    OfferEvaluator first(10, KnownFacts());
    EXPECT_EQ(Outcome(first, {{"exc", true}}), "accepted");

    OfferEvaluator second(10, KnownFacts());
    EXPECT_EQ(Outcome(second, {{"v", 1}}), "accepted");
    EXPECT_EQ(Outcome(second, {{"v", 2}, {"exc", true}}),
              "EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT");
}

TEST(Hardware, MinimumsCompareUnsignedWithTheMachinesFacts) {
    EXPECT_EQ(FirstOutcome({{"ram", 8192}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"ram", 8193}}), "NOT ENOUGH RAM");
    EXPECT_EQ(FirstOutcome({{"cpu", 1500}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"cpu", 2400}}), "NOT ENOUGH CPU");
    EXPECT_EQ(FirstOutcome({{"disk", 1000}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"disk", 1001}}), "NOT ENOUGH DISK SPACE");
    EXPECT_EQ(FirstOutcome({{"disk", -1}}), "NOT ENOUGH DISK SPACE");
    EXPECT_EQ(FirstOutcome({{"ram", -1}}), "NOT ENOUGH RAM");
    EXPECT_EQ(FirstOutcome({{"cpu", -1}}), "NOT ENOUGH CPU");
}

TEST(Hardware, EachFactIsMeasuredWhenFirstNeededAndThenKept) {
    OfferEvaluator evaluator(10, {std::nullopt, 1024, std::nullopt, {}});
    // Short of memory and processor: refused for memory, the processor is not measured.
    EXPECT_EQ(Outcome(evaluator, {{"v", 1}, {"ram", 2048}, {"cpu", 999999}}), "NOT ENOUGH RAM");
    EXPECT_FALSE(evaluator.Facts().processorMHz);
    // A minimum of 0 needs no measurement.
    EXPECT_EQ(Outcome(evaluator, {{"v", 2}, {"disk", 0}, {"cpu", 1}}), "accepted");
    EXPECT_FALSE(evaluator.Facts().freeDiskMB);
    EXPECT_EQ(evaluator.Facts().processorMHz, ProcessorMHz().value);
    EXPECT_EQ(Outcome(evaluator, {{"v", 3}, {"disk", 1}}), "accepted");
    EXPECT_TRUE(evaluator.Facts().freeDiskMB);
}

TEST(Hardware, AnUnreadableProcessorClockRefusesAndIsMeasuredAgain) {
    OfferEvaluator evaluator(10, {});
    {
        PreservedValue clock(HKEY_LOCAL_MACHINE,
                             L"Hardware\\Description\\System\\CentralProcessor\\0", kView64,
                             L"~MHz");
        clock.Remove();
        EXPECT_EQ(Outcome(evaluator, {{"v", 1}, {"cpu", 1}}),
                  "CPU CHECK FAILED: Couldn't read value");
        EXPECT_FALSE(evaluator.Facts().processorMHz);
    }
    EXPECT_EQ(Outcome(evaluator, {{"v", 2}, {"cpu", 1}}), "accepted");
}

TEST(SystemRules, WindowsVersionInstallerVersionAndBitness) {
    // The prefixes report Windows 10; the test program carries the installer's version.
    EXPECT_EQ(FirstOutcome({{"ov", 100}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"ov", -3}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"ov", 64}}), "UNSUPPORTED OS VERSION");
    EXPECT_EQ(FirstOutcome({{"pv", "3.0.13"}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"pv", "3.0.14"}}), "UNSUPPORTED PLATFORM VERSION");
    const std::string bitness = RunsOn64BitWindows() ? "accepted" : "64 BIT OS REQUIRED";
    EXPECT_EQ(FirstOutcome({{"win64", true}}), bitness);
    EXPECT_EQ(FirstOutcome({{"x", 10}}), bitness);
}

TEST_F(MachineRules, TheFirstRefusingRuleGivesTheReason) {
    RunningProgram program(L"kelvara.rules.exe");
    ASSERT_TRUE(program.Started());
    json settings = {{"r", {"kelvaratest\\present"}},
                     {"ir", {"kelvaratest\\absent"}},
                     {"rvn", {"kelvaratest\\present\\value"}},
                     {"rvd", {"kelvaratest\\present\\value\\DATA"}},
                     {"disk", 1001},
                     {"ram", 8193},
                     {"cpu", 2400},
                     {"ov", 64},
                     {"pv", "3.1"},
                     {"win64", true},
                     {"fe", {WideToUtf8(m_present)}},
                     {"ife", {WideToUtf8(m_files.Path().wstring() + L"\\missing.txt")}},
                     {"a", {"notepad", "kelvara.rules"}},
                     {"iapp", {"kelvara_installed.exe", "kelvara_missing.exe"}},
                     {"eapp", {"kelvara_missing.exe", "kelvara_installed.exe"}},
                     {"cmdu", {UninstallEntry("hkey_current_user", "TenDaysMs", 30, true)}},
                     {"x", 12}};
    const std::pair<const char*, const char*> rules[] = {{"r", "REGISTRY KEY EXISTS"},
                                                         {"ir", "NONE OF THE REGISTRY KEYS EXISTS"},
                                                         {"rvn", "REGISTRY VALUE EXISTS"},
                                                         {"rvd", "REGISTRY VALUE DATA MATCHES"},
                                                         {"disk", "NOT ENOUGH DISK SPACE"},
                                                         {"ram", "NOT ENOUGH RAM"},
                                                         {"cpu", "NOT ENOUGH CPU"},
                                                         {"ov", "UNSUPPORTED OS VERSION"},
                                                         {"pv", "UNSUPPORTED PLATFORM VERSION"},
                                                         {"win64", "64 BIT OS REQUIRED"},
                                                         {"fe", "FILE EXISTS"},
                                                         {"ife", "NONE OF THE FILES EXISTS"},
                                                         {"a", "APPLICATION RUNNING"},
                                                         {"iapp", "REGISTRY INCLUDE APP NOT FOUND"},
                                                         {"eapp", "REGISTRY EXCLUDE APP FOUND"},
                                                         {"cmdu", "MIN DAYS UNINSTALL CHECKER"},
                                                         {"x", "NO CHROME"}};
    for (const auto& [key, reason] : rules) {
        // 64-bit Windows meets the bitness rule.
        const bool passes = std::string(key) == "win64" && RunsOn64BitWindows();
        if (!passes) {
            EXPECT_EQ(FirstOutcome(settings), reason) << key;
        }
        settings.erase(key);
    }
    EXPECT_EQ(FirstOutcome(settings), "accepted");
}

TEST_F(MachineRules, AnEmptyFirstEntryDecidesTheKeyLists) {
    EXPECT_EQ(FirstOutcome({{"ir", {"", "kelvaratest\\present"}}}),
              "NONE OF THE REGISTRY KEYS EXISTS");
    EXPECT_EQ(FirstOutcome({{"ir", {"kelvaratest\\absent", "KelvaraTest\\Present"}}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"r", {"", "kelvaratest\\present"}}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"rvn", {"", "kelvaratest\\present\\value"}}}), "accepted");
    EXPECT_EQ(FirstOutcome({{"rvd", {"", "kelvaratest\\present\\count\\7"}}}),
              "REGISTRY VALUE DATA MATCHES");
    EXPECT_EQ(FirstOutcome({{"iapp", {"kelvara_installed.exe"}}}), "accepted");
}

TEST_F(MachineRules, AnUninstallWithinTheMinimumDaysRefuses) {
    EXPECT_EQ(
        FirstOutcome({{"cmdu", {UninstallEntry("HKEY_CURRENT_USER", "TenDaysMs", 30, true)}}}),
        "MIN DAYS UNINSTALL CHECKER");
    EXPECT_EQ(FirstOutcome(
                  {{"cmdu", {UninstallEntry("hkey_current_user", "ThirtyOneDaysMs", 30, true)}}}),
              "accepted");
    EXPECT_EQ(FirstOutcome({{"cmdu", {UninstallEntry("hkey_current_user", "TenDays", 30, false)}}}),
              "MIN DAYS UNINSTALL CHECKER");
    EXPECT_EQ(
        FirstOutcome({{"cmdu", {UninstallEntry("hkey_current_user", "ThirtyOneDays", 30, false)}}}),
        "accepted");
    // Milliseconds read as seconds lie far in the future.
    EXPECT_EQ(FirstOutcome(
                  {{"cmdu", {UninstallEntry("hkey_current_user", "ThirtyOneDaysMs", 30, false)}}}),
              "MIN DAYS UNINSTALL CHECKER");
    EXPECT_EQ(FirstOutcome({{"cmdu",
                             {UninstallEntry("hkey_current_user", "Missing", 30, false),
                              UninstallEntry("hkey_current_user", "TenDays", 5, false)}}}),
              "accepted");
}

TEST(UninstalledTooRecently, CountsWholeDaysFromTheUninstall) {
    const uint64_t now = 1700000000;
    EXPECT_TRUE(UninstalledTooRecently(now, now - 30 * kDay + 1, 30));
    EXPECT_FALSE(UninstalledTooRecently(now, now - 30 * kDay, 30));
    EXPECT_FALSE(UninstalledTooRecently(now, now, 0));
    EXPECT_TRUE(UninstalledTooRecently(now, now + 1, 0));
    EXPECT_FALSE(UninstalledTooRecently(now, now - 1, -5));
    // Long spans do not wrap around.
    EXPECT_TRUE(UninstalledTooRecently(now, now - kDay, 30000));
    EXPECT_TRUE(UninstalledTooRecently(now, UINT64_MAX, 1));
}

TEST(BrowserRules, ChromeAndInternetExplorer) {
    OwnedFolder google(L"C:\\Program Files\\Google");
    PreservedValue ie(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", kDefaultView,
                      L"Version");
    ie.Set(L"no number");
    // Without Chrome the Internet Explorer version is never read.
    EXPECT_EQ(FirstOutcome({{"x", 2}}), "NO CHROME");
    EXPECT_EQ(FirstOutcome({{"x", 13}}), "accepted");

    google.AddFile(L"Chrome\\Application\\chrome.exe");
    EXPECT_EQ(FirstOutcome({{"x", 13}}), "HAVE CHROME");
    EXPECT_EQ(FirstOutcome({{"x", 12}}), "accepted");
    EXPECT_THROW(FirstOutcome({{"x", 2}}), std::invalid_argument);
    ie.Set(L"8.0.7601.17514");
    EXPECT_EQ(FirstOutcome({{"x", 2}}), "OLD IE VERSION");
    ie.Set(L"9.11.19041.0");
    EXPECT_EQ(FirstOutcome({{"x", 2}}), "accepted");
    ie.Remove();
    EXPECT_EQ(FirstOutcome({{"x", 2}}), "accepted");
}

TEST_F(MachineRules, MalformedRulesEndTheWholeLoad) {
    OfferEvaluator evaluator(10, KnownFacts());
    bool stop = false;
    auto evaluate = [&](const json& settings) { return evaluator.Evaluate(Offer(settings), stop); };
    EXPECT_THROW(evaluate({{"cmdu", {UninstallEntry("hkey_current_user", "Text", 30, false)}}}),
                 std::invalid_argument);
    EXPECT_THROW(evaluate({{"cmdu", {UninstallEntry("hkey_current_user", "Huge", 30, false)}}}),
                 std::out_of_range);
    EXPECT_THROW(evaluate({{"cmdu", {UninstallEntry("hkcu", "TenDays", 30, false)}}}),
                 std::out_of_range);
    EXPECT_THROW(evaluate({{"rvd", {"kelvaratest\\present\\count\\seven"}}}),
                 std::invalid_argument);
    EXPECT_THROW(evaluate({{"rvd", {"kelvaratest\\present\\count\\99999999999"}}}),
                 std::out_of_range);
    EXPECT_THROW(evaluate({{"r", {"hklm\\software\\"}}}), std::out_of_range);
    EXPECT_FALSE(stop);
    // Nothing was counted: a single allowed exclusive offer is still accepted.
    EXPECT_EQ(Outcome(evaluator, {{"exc", true}}), "accepted");
}

// Run by with_backend.py: the refusal reaches the analytics endpoint as the offer's event 2.
TEST(RefusalEvent, IsReportedThroughTheOffer) {
    if (!std::getenv("KELVARA_BACKEND")) GTEST_SKIP() << "needs the test back end";
    TestBackend backend;
    backend.SetRoutes({{"/zbd", {{"status", 200}}}});

    OfferEvaluator evaluator(1, KnownFacts());
    bool stop = false;
    const auto refused = Offer({{"v", 1}, {"ov", 64}});
    const auto accepted = Offer({{"v", 2}});
    const auto beyondTheLimit = Offer({{"v", 3}});
    EXPECT_FALSE(evaluator.Evaluate(refused, stop));
    EXPECT_TRUE(evaluator.Evaluate(accepted, stop));
    EXPECT_FALSE(evaluator.Evaluate(beyondTheLimit, stop));
    EXPECT_TRUE(stop);
    for (const auto& offer : {refused, accepted, beyondTheLimit}) offer->WaitForEvents();

    const auto requests = backend.Requests("/zbd");
    ASSERT_EQ(requests.size(), 1u);
    const json envelope = json::parse(requests[0]["body"].get<std::string>());
    const json event = json::parse(envelope["data"].get<std::string>());
    EXPECT_EQ(event["6"], "2");
    EXPECT_EQ(event["13"], "UNSUPPORTED OS VERSION");
    EXPECT_EQ(event["5"], "offer");
}
