// The run's common analytics fields and the request headers every event is sent with.
#pragma once

#include "net/api_client.h"

#include <nlohmann/json.hpp>

#include <string>
#include <unordered_map>

struct EventContext {
    nlohmann::json record;  // keys "0" to "22", "31" and "38"
    HeaderList headers;     // the signature header
};

// What the common record says about the run.
struct RunFacts {
    std::string machineId;
    std::string sessionId;
    std::string brand;
    std::string installerId;
    std::string version;
    std::string cfl;
    std::string channel;
    std::string productTitle;
    std::string osVersion;
    bool wow64 = false;
};

// A fresh context from the configuration as it stands now.
EventContext BuildEventContext();
RunFacts CurrentRunFacts();
nlohmann::json BuildCommonRecord(const RunFacts& facts);

// Adds "userid", "sessionid", "cc", "pubid", "ispb" (each only when not empty) and
// "aflt"; names already present keep their values.
void AddCommonAttributes(std::unordered_map<std::string, std::string>& attributes);

// The affiliate id of a two-letter country code (exact match), "91082" for any other.
std::string AffiliateForCountry(const std::string& countryCode);
