#include "net/api_manager.h"

#include "config/configuration_manager.h"
#include "net/api_client.h"
#include "base/encoding.h"
#include "base/json_parse.h"
#include "base/json_text.h"
#include "net/kelvara_exception.h"
#include "base/system_info.h"

#include <nlohmann/json.hpp>

namespace {

constexpr int kAttempts = 3;
constexpr DWORD kRetryPause = 5000;

// The first two letters of a locale name ("en_US"), lower-cased.
std::string LanguageCode(const std::wstring& localeName) {
    std::string code = WideToUtf8(localeName.substr(0, 2));
    for (char& c : code) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return code;
}

}  // namespace

std::string ConfigurationRequestBody(const ConfigurationRequest& request) {
    nlohmann::json body = {
        {"prv", "0.1"},
        {"plv", WideToUtf8(request.version)},
        {"l", LanguageCode(request.localeName)},
        {"a", WideToUtf8(request.brand)},
        {"i", WideToUtf8(request.installerId)},
        {"s", WideToUtf8(request.setupId)},
        {"u", WideToUtf8(request.token)},
        {"o", request.osVersion},
    };
    return JsonText(body);
}

std::unique_ptr<nlohmann::json> ParseConfigurationReply(const std::string& reply) {
    if (reply.find_first_not_of(" \t\n\v\f\r") == std::string::npos) throw KelvaraException();
    return std::make_unique<nlohmann::json>(JsonFromText(reply));
}

std::unique_ptr<nlohmann::json> ApiManager::FetchConfiguration() {
    auto config = ConfigurationManager::GetInstance();
    if (config->m_configUrl.empty()) throw KelvaraException();
    const std::string body = ConfigurationRequestBody(
        {config->m_version, config->m_localeName, config->m_brand, config->m_installerId,
         config->m_setupId, InstallerToken(), OsVersionString()});
    std::string reply;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        reply.clear();
        DWORD status = 0;
        PostJsonToUrl(config->m_configUrl, body, {}, reply, status);
        if (status >= 200 && status <= 399) break;
        Sleep(kRetryPause);
    }
    return ParseConfigurationReply(reply);
}
