#include "analytics/event_record.h"

#include "base/json_text.h"

using nlohmann::json;

json BuildEventRecord(const json& contextRecord, const EventSource& source) {
    json record = contextRecord;
    if (source.isMain) {
        record["5"] = record["22"];
        record["10"] = 1;
        record["18"] = "";
    } else {
        record["5"] = source.offerId;
        record["10"] = 2;
        record["16"] = source.channel;
        record["17"] = std::to_string(source.index + 1);
        record["18"] = source.offerTag;
    }
    return record;
}

json BuildEventDocument(const json& record, EventCode code, const json& extra) {
    json document = record;
    document["6"] = std::to_string(static_cast<int>(code));
    if (extra.is_object()) {
        for (const auto& [key, value] : extra.items()) {
            if (document.contains(key)) document[key] = value;
        }
    }
    return document;
}

std::string BuildEnvelope(const json& document) {
    return JsonText(json{{"data", JsonText(document)}, {"table", "zb_analytics"}});
}
