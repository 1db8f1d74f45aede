// Decides, offer by offer, which offers of one configuration load this machine may be shown.
#pragma once

#include "offers/registry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class Package;

// Machine facts measured during one evaluation. A fact is kept after a successful
// measurement; after a failed one it stays empty, so the next offer measures again.
struct ProbeCaches {
    std::optional<uint64_t> freeDiskMB;
    std::optional<uint64_t> memoryMB;
    std::optional<uint64_t> processorMHz;
    std::vector<std::wstring> runningPrograms;  // taken again while empty
};

// The outcome for one offer: accepted, refused with a reason, or neither (the offer limit
// was reached, which is not reported).
struct Verdict {
    bool accepted = false;
    std::optional<std::string> refusal;
};

// Whether an uninstall at `uninstalled` is fewer than minDays days before `now` (both in
// seconds since 1970).
bool UninstalledTooRecently(uint64_t now, uint64_t uninstalled, int32_t minDays);

class OfferEvaluator {
public:
    // maxOffers: how many offers may be accepted. Facts already known may be passed in.
    explicit OfferEvaluator(int maxOffers, ProbeCaches facts = {});

    // Applies the rules in order; the first that refuses is reported as the offer's event 2
    // with the reason. Sets stop once the offer limit is reached. Malformed rule texts
    // (numbers that are not numbers, unknown hive names) throw standard exceptions, which
    // end the whole load.
    bool Evaluate(const std::shared_ptr<Package>& offer, bool& stop);
    // The same decision without the report.
    Verdict Judge(const Package& offer, bool& stop);

    const ProbeCaches& Facts() const { return m_facts; }
    const RegistryStats& RegistryStatistics() const { return m_registry.Stats(); }

private:
    using Reason = std::optional<std::string>;

    Reason RefusalReason(const Package& offer);
    Reason AcrossOffersRefusal(const Package& offer) const;
    Reason RegistryRefusal(const Package& offer);
    Reason HardwareRefusal(const Package& offer);
    Reason SystemRefusal(const Package& offer) const;
    Reason FilesAndProgramsRefusal(const Package& offer);
    Reason InstalledAppsRefusal(const Package& offer);
    Reason BrowserRefusal(const Package& offer);

    std::unordered_set<int32_t> m_acceptedVerticals;
    int32_t m_acceptedCount = 0;
    int32_t m_maxOffers;
    std::wstring m_installerVersion;
    ProbeCaches m_facts;
    Registry m_registry;
};
