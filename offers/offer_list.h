// The offers of one configuration load that this machine may be shown.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <vector>

class OfferEvaluator;
class Package;

// Turns the entries of "o", in document order, into packages (each with the number of
// offers accepted before it as its index) and keeps those the evaluator accepts; a refused
// offer reports its own refusal. An accepted exclusive offer, and the evaluator's limit,
// end the list. An entry that is malformed, or entries that are not an array, throw a
// standard exception.
std::vector<std::shared_ptr<Package>> SelectOffers(const nlohmann::json& entries,
                                                   OfferEvaluator& evaluator);
