// The documents of one analytics event: the package's record, the event document and
// the request body that carries it.
#pragma once

#include "analytics/event_code.h"

#include <nlohmann/json.hpp>

#include <string>

// Whom a package's events speak for: the main product or one offer.
struct EventSource {
    bool isMain = false;
    std::string offerId;
    std::string offerTag;
    std::string channel;
    int index = 0;  // offers accepted before this one
};

// The record every event of the package starts from: the run's common fields plus the
// package's own ("5", "10", and for an offer "16", "17", "18").
nlohmann::json BuildEventRecord(const nlohmann::json& contextRecord, const EventSource& source);

// The record with "6" set to the code; members of extra replace the record's members of
// the same key, members under any other key are dropped.
nlohmann::json BuildEventDocument(const nlohmann::json& record, EventCode code,
                                  const nlohmann::json& extra);

// The request body: {"data": the document as JSON text, "table": "zb_analytics"}.
std::string BuildEnvelope(const nlohmann::json& document);
