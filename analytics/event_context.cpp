#include "analytics/event_context.h"

#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/system_info.h"

#include <windows.h>

using nlohmann::json;

namespace {

// Two-letter country codes, one space apart, and the affiliate id of each group.
const struct {
    const char* affiliate;
    const char* countries;
} kAffiliateGroups[] = {
    {"91088", "US"},
    {"91166", "CA"},
    {"91199", "BR"},
    {"91214", "AU NZ KR"},
    {"91105", "DZ BG CY CZ EG GR HU IE IL KW MA PL PT QA RO RU SA SK ZA TN TR UA AE"},
    {"91215",
     "TH MX PH AR VN TW PE CL CO VE RS LK DO JO HK LT PS HR CR BA SV GE MD AL UY BY LB SN PA LV "
     "ID PK SG"},
};

}  // namespace

RunFacts CurrentRunFacts() {
    auto config = ConfigurationManager::GetInstance();
    RunFacts facts;
    facts.machineId = config->GetMachineId();
    facts.sessionId = config->GetSessionId();
    facts.brand = WideToUtf8(config->m_brand);
    facts.installerId = WideToUtf8(config->m_installerId);
    facts.version = WideToUtf8(config->m_version);
    facts.cfl = WideToUtf8(config->m_cfl);
    facts.channel = WideToUtf8(config->m_channel);
    facts.productTitle = WideToUtf8(config->m_productTitle);
    facts.osVersion = OsVersionString();
    facts.wow64 = Is64BitWindows();
    return facts;
}

json BuildCommonRecord(const RunFacts& facts) {
    json record = json::object();
    for (int key = 0; key <= 22; ++key) record[std::to_string(key)] = "";
    record["1"] = facts.machineId;
    record["2"] = facts.sessionId;
    record["3"] = facts.brand;
    record["4"] = facts.installerId;
    record["7"] = facts.version;
    record["15"] = 0;
    record["19"] = facts.cfl;
    record["21"] = facts.channel;
    record["22"] = facts.productTitle;
    record["31"] = facts.osVersion;
    record["38"] = facts.wow64 ? "1" : "0";
    return record;
}

EventContext BuildEventContext() {
    return EventContext{BuildCommonRecord(CurrentRunFacts()), HeaderList{SignatureHeader()}};
}

void AddCommonAttributes(std::unordered_map<std::string, std::string>& attributes) {
    auto config = ConfigurationManager::GetInstance();
    const std::pair<const char*, std::string> optional[] = {{"userid", config->GetMachineId()},
                                                            {"sessionid", config->GetSessionId()},
                                                            {"cc", config->m_countryCode},
                                                            {"pubid", config->m_publisherId},
                                                            {"ispb", config->m_ispb}};
    for (const auto& [name, value] : optional) {
        if (!value.empty()) attributes.emplace(name, value);
    }
    attributes.emplace("aflt", AffiliateForCountry(config->m_countryCode));
}

std::string AffiliateForCountry(const std::string& countryCode) {
    if (countryCode.size() == 2) {
        for (const auto& group : kAffiliateGroups) {
            for (const char* code = group.countries; *code; code += code[2] ? 3 : 2) {
                if (countryCode.compare(0, 2, code, 2) == 0) return group.affiliate;
            }
        }
    }
    return "91082";
}
