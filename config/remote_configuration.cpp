#include "config/remote_configuration.h"

#include "base/encoding.h"
#include "config/configuration_manager.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <stdexcept>

namespace {

using nlohmann::json;

constexpr size_t kSha256Digits = 64;

// The member, or null when object is no object or lacks it.
const json* Find(const json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// A string member's bytes; the JSON library's type_error for any other type.
std::string RequiredText(const json& object, const char* key) {
    const json* value = Find(object, key);
    if (!value) throw std::invalid_argument((std::string("missing member ") + key).c_str());
    return value->get<std::string>();
}

std::string OptionalText(const json& object, const char* key, const std::string& otherwise) {
    const json* value = Find(object, key);
    return value ? value->get<std::string>() : otherwise;
}

std::wstring OptionalWide(const json& object, const char* key, const std::wstring& otherwise) {
    const json* value = Find(object, key);
    return value ? Utf8ToWide(value->get<std::string>()) : otherwise;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool ReadMainProduct(const json& info, ConfigurationManager& config) {
    config.m_productTitle = Utf8ToWide(RequiredText(info, "ct"));
    config.m_downloadUrl = Utf8ToWide(RequiredText(info, "cu"));
    if (config.m_productTitle.empty() || config.m_downloadUrl.empty()) return false;
    config.m_productImageUrl = OptionalWide(info, "cl", L"");
    config.m_fileName = OptionalWide(info, "cf", config.m_productTitle + L".exe");
    config.m_privacyUrl = OptionalWide(info, "cp", L"");
    config.m_termsUrl = OptionalWide(info, "ctu", L"");
    config.m_channel = OptionalWide(info, "ch", L"");
    config.m_cfl = OptionalWide(info, "cfl", L"");
    config.m_ispb = OptionalText(info, "cb", "");
    config.m_downloadSha256 = ReadSha256(info);
    return true;
}

}  // namespace

std::string ReadSha256(const json& object) {
    std::string digits = OptionalText(object, "sha256", "");
    if (digits.empty()) return digits;
    bool valid = digits.size() == kSha256Digits;
    for (char& c : digits) {
        valid = valid && IsHexDigit(c);
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    }
    if (!valid) throw std::invalid_argument("sha256 is not 64 hexadecimal digits");
    return digits;
}

bool ReadProductData(const json& root, ConfigurationManager& config) {
    if (const json* country = Find(root, "l")) config.m_countryCode = country->get<std::string>();
    if (config.m_wizardType == WizardType::DLM) {
        const json* info = Find(root, "i");
        if (!info) throw std::invalid_argument("missing member i");
        if (!ReadMainProduct(*info, config)) return false;
    }
    if (const json* settings = Find(root, "f")) {
        if (const json* publisher = Find(*settings, "a")) {
            config.m_publisherId = publisher->get<std::string>();
        }
    }
    return true;
}

bool OffersWanted(const json& root, const ConfigurationManager& config) {
    return Find(root, "o") && config.m_channel != kNoOffersChannel;
}

int OfferLimit(const json& root) {
    const json& limit = root.at("f").at("m");
    if (limit.is_boolean()) return limit.get<bool>() ? 1 : 0;
    if (limit.is_number_unsigned()) {
        const auto value = limit.get<unsigned long long>();
        return value > INT_MAX ? INT_MAX : static_cast<int>(value);
    }
    if (limit.is_number_integer()) {
        const auto value = limit.get<long long>();
        return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    }
    if (limit.is_number_float()) {
        // Converting a double outside the int range is undefined: hold it at the ends.
        const double value = limit.get<double>();
        return value >= 2147483647.0    ? INT_MAX
               : value <= -2147483648.0 ? INT_MIN
                                        : static_cast<int>(value);
    }
    throw std::invalid_argument("f.m is not a number");
}
