// One offer evaluation at scale: 200 offers with typical rules (three registry keys, two
// values, two files, two blocking programs, App Paths entries, a memory minimum) against a
// registry that holds a few thousand extra keys. Prints the time per offer, the registry
// keys opened and the subkey enumerations. Run it in a test prefix:
//   WINEPREFIX=<build>/prefixes/win64 wine <build>/tests/offers_bench.exe
#include "analytics/event_context.h"
#include "offers/offer_evaluator.h"
#include "offers/package.h"
#include "offers_test_support.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

using nlohmann::json;
using namespace offers_test;

namespace {

constexpr int kOffers = 200;
constexpr int kVendorKeys = 2500;  // each with one subkey: 5000 keys
constexpr int kApps = 50;
const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::string Number(int n) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04d", n);
    return text;
}

std::wstring VendorKey(int n) {
    const std::string number = Number(n);
    return L"Software\\KelvaraBench" + std::wstring(number.begin(), number.end());
}

std::wstring AppName(int n) { return L"kelvarabench" + std::to_wstring(n) + L".exe"; }

// Where each vendor key lives: the native view of HKLM, its 32-bit view, or HKCU.
std::pair<HKEY, REGSAM> VendorPlace(int n) {
    if (n < 1500) return {HKEY_LOCAL_MACHINE, kView64};
    if (n < 2000) return {HKEY_LOCAL_MACHINE, kView32};
    return {HKEY_CURRENT_USER, kView64};
}

std::vector<std::pair<HKEY, std::wstring>> BenchKeys() {
    std::vector<std::pair<HKEY, std::wstring>> keys;
    for (int n = 0; n < kVendorKeys; ++n) keys.emplace_back(VendorPlace(n).first, VendorKey(n));
    for (int n = 0; n < kApps; ++n) keys.emplace_back(HKEY_LOCAL_MACHINE, kAppPaths + AppName(n));
    return keys;
}

void FillRegistry() {
    for (int n = 0; n < kVendorKeys; ++n) {
        const auto [hive, view] = VendorPlace(n);
        SetString(hive, VendorKey(n) + L"\\App", view, L"Version", L"1.0");
    }
    for (int n = 0; n < kApps; ++n) {
        SetString(HKEY_LOCAL_MACHINE, kAppPaths + AppName(n), 0, L"",
                  L"C:\\KelvaraBench\\missing.exe");
    }
}

std::shared_ptr<Package> TypicalOffer(const EventContext& context, int i) {
    const std::string vendor = "vendor" + std::to_string(i);
    const std::string present = "kelvarabench" + Number(i * 7 % kVendorKeys);
    const json ps = {
        {"i", "offer.png"},
        {"dn", "Offer"},
        {"u", "https://localhost/f/offer.exe"},
        {"v", i},
        {"ram", 512},
        {"r", {vendor + "\\product", present + "\\uninstalled", "hkcu\\software\\" + vendor}},
        {"rvn", {present + "\\app\\installdir", vendor + "\\settings\\version"}},
        {"rvd", {present + "\\app\\version\\2.0"}},
        {"fe", {"{commonpf}\\" + vendor + "\\app.exe", "{localappdata}\\" + vendor + "\\app.exe"}},
        {"a", {vendor + "app.exe", vendor + "helper"}},
        {"eapp", {"kelvarabench" + std::to_string(i % kApps) + ".exe", vendor + ".exe"}}};
    return std::make_shared<Package>(
        context, json{{"ad", {{"f", "tag"}, {"o", vendor}}}, {"ps", ps}}, false, "", 0);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    OwnedKeys keys(BenchKeys());
    FillRegistry();
    const EventContext context = BuildEventContext();
    std::vector<std::shared_ptr<Package>> offers;
    for (int i = 0; i < kOffers; ++i) offers.push_back(TypicalOffer(context, i));

    OfferEvaluator evaluator(kOffers, {});
    int accepted = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (const auto& offer : offers) {
        bool stop = false;
        accepted += evaluator.Judge(*offer, stop).accepted ? 1 : 0;
    }
    QueryPerformanceCounter(&end);

    const double seconds = Seconds(start, end);
    const RegistryStats& stats = evaluator.RegistryStatistics();
    std::printf("%d offers against %d extra registry keys (%s Windows): %d accepted\n", kOffers,
                2 * kVendorKeys, RunsOn64BitWindows() ? "64-bit" : "32-bit", accepted);
    std::printf("total %.1f ms, %.1f us per offer\n", seconds * 1000, seconds * 1e6 / kOffers);
    std::printf("registry keys opened (RegOpenKeyEx calls): %u, %.1f per offer\n",
                stats.keyOpenCalls, static_cast<double>(stats.keyOpenCalls) / kOffers);
    std::printf("subkey enumerations: %u\n", stats.subkeyEnumerations);
    return 0;
}
