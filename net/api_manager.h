// The configuration request: what the back end offers this run.
#pragma once

#include "base/process_wide.h"

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>

class ApiManager {
public:
    static std::shared_ptr<ApiManager> GetInstance() { return ProcessWide<ApiManager>::Get(); }

    // POSTs the configuration request to the configured URL (three attempts, 5 s apart,
    // until one is answered with a status from 200 to 399) and returns the last reply
    // parsed. Throws KelvaraException when nothing could be sent or the reply is empty,
    // and nlohmann::json::parse_error when it is not JSON.
    std::unique_ptr<nlohmann::json> FetchConfiguration();

private:
    friend class ProcessWide<ApiManager>;
    ApiManager() = default;
};

// The values the configuration request reports about this installer.
struct ConfigurationRequest {
    std::wstring version;
    std::wstring localeName;
    std::wstring brand;
    std::wstring installerId;
    std::wstring setupId;
    std::wstring token;
    std::string osVersion;
};

// The request body: compact JSON with its keys in byte order.
std::string ConfigurationRequestBody(const ConfigurationRequest& request);

// The reply parsed as JSON; KelvaraException when it holds nothing but white space, and
// nlohmann::json::parse_error when it is not JSON (also for a number beyond a double).
std::unique_ptr<nlohmann::json> ParseConfigurationReply(const std::string& reply);
