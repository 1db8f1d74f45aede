#include "offers/offer_evaluator.h"

#include "base/system_info.h"
#include "base/time.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "offers/package.h"
#include "offers/system_probes.h"

#include <nlohmann/json.hpp>

#include <utility>

namespace {

// The cached fact, or a fresh measurement that is kept when it succeeds.
template <typename Failure>
Measurement<Failure> Cached(std::optional<uint64_t>& cache, Measurement<Failure> (*probe)()) {
    if (cache) return {cache};
    Measurement<Failure> measured = probe();
    cache = measured.value;
    return measured;
}

// Rule minimums are signed in the offer entry and compare unsigned: a negative one is never met.
bool Below(uint64_t have, int64_t need) { return have < static_cast<uint64_t>(need); }

}  // namespace

bool UninstalledTooRecently(uint64_t now, uint64_t uninstalled, int32_t minDays) {
    const int64_t span = static_cast<int64_t>(minDays) * 86400;
    if (now >= uninstalled) return span > 0 && now - uninstalled < static_cast<uint64_t>(span);
    // An uninstall time in the future.
    return span >= 0 || uninstalled - now > static_cast<uint64_t>(-span);
}

OfferEvaluator::OfferEvaluator(int maxOffers, ProbeCaches facts)
    : m_maxOffers(maxOffers),
      m_installerVersion(ConfigurationManager::GetInstance()->m_version),
      m_facts(std::move(facts)),
      m_registry(Is64BitWindows()) {}

bool OfferEvaluator::Evaluate(const std::shared_ptr<Package>& offer, bool& stop) {
    const Verdict verdict = Judge(*offer, stop);
    if (verdict.refusal) offer->SendEvent(EventCode::OfferRefused, {{"13", *verdict.refusal}});
    return verdict.accepted;
}

Verdict OfferEvaluator::Judge(const Package& offer, bool& stop) {
    if (m_acceptedCount >= m_maxOffers) {
        stop = true;
        return {};
    }
    if (Reason reason = RefusalReason(offer)) return {false, std::move(reason)};
    ++m_acceptedCount;
    m_acceptedVerticals.insert(offer.m_vertical.load());
    return {true, std::nullopt};
}

OfferEvaluator::Reason OfferEvaluator::RefusalReason(const Package& offer) {
    if (Reason reason = AcrossOffersRefusal(offer)) return reason;
    if (Reason reason = RegistryRefusal(offer)) return reason;
    if (Reason reason = HardwareRefusal(offer)) return reason;
    if (Reason reason = SystemRefusal(offer)) return reason;
    if (Reason reason = FilesAndProgramsRefusal(offer)) return reason;
    if (Reason reason = InstalledAppsRefusal(offer)) return reason;
    return BrowserRefusal(offer);
}

OfferEvaluator::Reason OfferEvaluator::AcrossOffersRefusal(const Package& offer) const {
    const int32_t vertical = offer.m_vertical.load();
    if (m_acceptedVerticals.count(vertical)) {
        return vertical == -1 ? "MULTIPLE OFFERS W/O VERTICAL"
                              : "SAME VERTICAL OFFER ALREADY PRESENT";
    }
    if (offer.m_exclusive && m_acceptedCount > 0)
        return "EXCLUSIVE, BUT ANOTHER OFFER ALREADY PRESENT";
    return std::nullopt;
}

OfferEvaluator::Reason OfferEvaluator::RegistryRefusal(const Package& offer) {
    if (!offer.m_excludeKeys.empty() && m_registry.AnyKeyExists(offer.m_excludeKeys))
        return "REGISTRY KEY EXISTS";
    if (!offer.m_includeKeys.empty() && !m_registry.AnyKeyExists(offer.m_includeKeys)) {
        return "NONE OF THE REGISTRY KEYS EXISTS";
    }
    if (m_registry.AnyValueExists(offer.m_excludeValues)) return "REGISTRY VALUE EXISTS";
    if (m_registry.AnyValueDataMatches(offer.m_excludeValueData))
        return "REGISTRY VALUE DATA MATCHES";
    return std::nullopt;
}

OfferEvaluator::Reason OfferEvaluator::HardwareRefusal(const Package& offer) {
    if (offer.m_minDiskMB != 0) {
        const auto disk = Cached(m_facts.freeDiskMB, &FreeDiskMB);
        if (!disk.value) return "DISK SPACE CHECK FAILED " + std::to_string(disk.failure);
        if (Below(*disk.value, offer.m_minDiskMB)) return "NOT ENOUGH DISK SPACE";
    }
    if (offer.m_minRamMB != 0) {
        const auto memory = Cached(m_facts.memoryMB, &TotalMemoryMB);
        if (!memory.value) return "RAM CHECK FAILED " + std::to_string(memory.failure);
        if (Below(*memory.value, offer.m_minRamMB)) return "NOT ENOUGH RAM";
    }
    if (offer.m_minCpuMHz != 0) {
        const auto processor = Cached(m_facts.processorMHz, &ProcessorMHz);
        if (!processor.value) {
            return processor.failure == ProcessorFailure::Open
                       ? "CPU CHECK FAILED: Couldn't open registry"
                       : "CPU CHECK FAILED: Couldn't read value";
        }
        if (Below(*processor.value, offer.m_minCpuMHz)) return "NOT ENOUGH CPU";
    }
    return std::nullopt;
}

OfferEvaluator::Reason OfferEvaluator::SystemRefusal(const Package& offer) const {
    if (offer.m_minOsCode > 0 && !MeetsWindowsVersionCode(offer.m_minOsCode))
        return "UNSUPPORTED OS VERSION";
    if (!offer.m_minPlatformVersion.empty() &&
        !IsVersionAtLeast(m_installerVersion, Utf8ToWide(offer.m_minPlatformVersion))) {
        return "UNSUPPORTED PLATFORM VERSION";
    }
    if (offer.m_requires64Bit && !m_registry.Is64BitWindows()) return "64 BIT OS REQUIRED";
    return std::nullopt;
}

OfferEvaluator::Reason OfferEvaluator::FilesAndProgramsRefusal(const Package& offer) {
    const bool is64 = m_registry.Is64BitWindows();
    if (!offer.m_excludeFiles.empty() && AnyFileExists(offer.m_excludeFiles, is64))
        return "FILE EXISTS";
    if (!offer.m_includeFiles.empty() && !AnyFileExists(offer.m_includeFiles, is64))
        return "NONE OF THE FILES EXISTS";
    if (offer.m_blockingProcesses.empty()) return std::nullopt;
    if (m_facts.runningPrograms.empty()) m_facts.runningPrograms = RunningPrograms();
    for (const std::string& program : offer.m_blockingProcesses) {
        if (IsProgramRunning(program, m_facts.runningPrograms)) return "APPLICATION RUNNING";
    }
    return std::nullopt;
}

OfferEvaluator::Reason OfferEvaluator::InstalledAppsRefusal(const Package& offer) {
    for (const std::wstring& app : offer.m_includeAppPaths) {
        if (!m_registry.FindRegisteredApp(app)) return "REGISTRY INCLUDE APP NOT FOUND";
    }
    for (const std::wstring& app : offer.m_excludeAppPaths) {
        if (m_registry.FindRegisteredApp(app)) return "REGISTRY EXCLUDE APP FOUND";
    }
    for (const UninstallRule& rule : offer.m_uninstallRules) {
        const std::optional<uint64_t> uninstalled = UninstallTime(m_registry, rule);
        if (uninstalled && UninstalledTooRecently(UnixSecondsNow(), *uninstalled, rule.minDays)) {
            return "MIN DAYS UNINSTALL CHECKER";
        }
    }
    return std::nullopt;
}

OfferEvaluator::Reason OfferEvaluator::BrowserRefusal(const Package& offer) {
    if (offer.m_requireChrome || offer.m_excludeChrome) {
        const bool found = ChromeInstalled(m_registry);
        if (offer.m_requireChrome && !found) return "NO CHROME";
        if (offer.m_excludeChrome && found) return "HAVE CHROME";
    }
    if (offer.m_checkIeVersion) {
        const std::optional<float> version = IeVersion(m_registry);
        if (version && *version * 10.0f < 90.0f) return "OLD IE VERSION";
    }
    return std::nullopt;
}
