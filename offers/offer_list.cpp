#include "offers/offer_list.h"

#include "analytics/event_context.h"
#include "offers/offer_evaluator.h"
#include "offers/package.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

std::vector<std::shared_ptr<Package>> SelectOffers(const nlohmann::json& entries,
                                                   OfferEvaluator& evaluator) {
    if (!entries.is_array()) throw std::invalid_argument("the offers are not a list");
    std::vector<std::shared_ptr<Package>> accepted;
    for (const auto& entry : entries) {
        auto offer = std::make_shared<Package>(BuildEventContext(), entry, false, std::string(),
                                               static_cast<int>(accepted.size()));
        bool stop = false;
        if (evaluator.Evaluate(offer, stop)) {
            accepted.push_back(offer);
            if (offer->m_exclusive) break;
        }
        if (stop) break;
    }
    return accepted;
}
