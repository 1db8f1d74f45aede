#include "offers/package.h"

#include "analytics/event_context.h"
#include "analytics/event_record.h"
#include "config/configuration_manager.h"
#include "base/path_macros.h"
#include "base/encoding.h"
#include "base/text.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <stdexcept>

using nlohmann::json;

namespace {

const char kBase62Digits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

[[noreturn]] void ThrowTypeError(const char* expected, const json& value) {
    throw json::type_error::create(
        302, std::string("type must be ") + expected + ", but is " + value.type_name(), &value);
}

// The library converts booleans to numbers silently; an entry's numbers must be numbers.
template <typename T>
T NumberValue(const json& value) {
    if (!value.is_number()) ThrowTypeError("number", value);
    if (value.is_number_float()) {
        // A fraction is truncated; a value beyond the type's range is clamped rather than
        // undefined.
        const double number = value.get<double>();
        if (!(number > static_cast<double>(std::numeric_limits<T>::min())))
            return std::numeric_limits<T>::min();
        if (number >= static_cast<double>(std::numeric_limits<T>::max()))
            return std::numeric_limits<T>::max();
        return static_cast<T>(number);
    }
    return value.get<T>();
}

const json& ArrayValue(const json& value) {
    if (!value.is_array()) ThrowTypeError("array", value);
    return value;
}

std::vector<std::wstring> WideStrings(const json& value) {
    std::vector<std::wstring> result;
    for (const std::string& text : value.get<std::vector<std::string>>())
        result.push_back(Utf8ToWide(text));
    return result;
}

std::vector<std::wstring> ExpandedPaths(const json& value, const PathMacroTable& macros) {
    std::vector<std::wstring> result = WideStrings(value);
    for (std::wstring& path : result) path = ExpandPathMacros(path, macros);
    return result;
}

UninstallRule ReadUninstallRule(const json& element) {
    UninstallRule rule;
    rule.root = Utf8ToWide(element.at("utr").get<std::string>());
    rule.key = Utf8ToWide(element.at("utk").get<std::string>());
    rule.valueName = Utf8ToWide(element.at("utvn").get<std::string>());
    rule.valueType = Utf8ToWide(element.at("utvt").get<std::string>());
    rule.minDays = NumberValue<int32_t>(element.at("umd"));
    const auto ms = element.find("utms");
    if (ms != element.end()) rule.inMilliseconds = ms->get<bool>();
    return rule;
}

// machine id | offer id | session id in base 62; an encoder failure leaves it empty.
std::string TrackingToken(const std::string& offerId) {
    auto config = ConfigurationManager::GetInstance();
    try {
        return EncodeBase62(config->GetMachineId() + "|" + offerId + "|" + config->GetSessionId());
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

std::string EncodeBase62(const std::string& bytes) {
    size_t first = 0;
    while (first < bytes.size() && bytes[first] == '\0') ++first;
    const size_t n = bytes.size() - first;
    if (n == 0) return {};
    const auto size =
        static_cast<size_t>(std::ceil(static_cast<double>(n) * std::log(256.0) / std::log(62.0)));
    std::vector<unsigned> digits(size, 0);  // most significant first
    size_t length = 0;
    for (size_t at = first; at < bytes.size(); ++at) {
        unsigned carry = static_cast<unsigned char>(bytes[at]);
        size_t i = 0;
        for (size_t d = size; carry != 0 || i < length; ++i) {
            if (d == 0) throw std::runtime_error("Non-zero carry");
            --d;
            carry += 256 * digits[d];
            digits[d] = carry % 62;
            carry /= 62;
        }
        length = i;
    }
    size_t start = 0;
    while (start < size && digits[start] == 0) ++start;
    std::string result;
    for (size_t d = start; d < size; ++d) result += kBase62Digits[digits[d]];
    return result;
}

std::string ExpandAttributes(const std::string& text, const AttributeMap& attributes) {
    std::string result = text;
    for (const auto& [name, value] : attributes)
        result = ReplaceAll(result, "{" + name + "}", value);
    return result;
}

Package::Package(EventContext context, const json& entry, bool isMain, std::string channel,
                 int index)
    : m_isMain(isMain), m_channel(std::move(channel)), m_index(index) {
    m_eventContext = std::make_shared<const EventContext>(std::move(context));
    AddCommonAttributes(m_attributes);
    const json& ad = entry.at("ad");
    m_offerTag = ad.at("f").get<std::string>();
    m_offerId = ad.at("o").get<std::string>();
    m_attributes.emplace("pxl", TrackingToken(m_offerId));
    m_attributes.emplace("of", m_offerTag);
    ReadOfferSettings(entry.at("ps"));
    m_eventRecord = std::make_shared<const json>(BuildRecord(m_eventContext->record));
}

json Package::BuildRecord(const json& contextRecord) const {
    return BuildEventRecord(contextRecord, {m_isMain, m_offerId, m_offerTag, m_channel, m_index});
}

Package::Package(EventContext context, bool isMain, const std::wstring& offerId,
                 const std::wstring& offerTag, const std::wstring& displayName,
                 const std::wstring& channel, int index)
    : m_isMain(isMain), m_index(index) {
    SetIdentity(offerId, offerTag, displayName, channel);
    SetEventSource(std::move(context));
}

void Package::ResetAsMain(EventContext context, const std::wstring& offerId,
                          const std::wstring& offerTag, const std::wstring& displayName,
                          const std::wstring& channel) {
    m_isMain = true;
    m_index = 0;
    SetIdentity(offerId, offerTag, displayName, channel);
    SetEventSource(std::move(context));
}

void Package::SetIdentity(const std::wstring& offerId, const std::wstring& offerTag,
                          const std::wstring& displayName, const std::wstring& channel) {
    m_offerId = WideToUtf8(offerId);
    m_offerTag = WideToUtf8(offerTag);
    m_displayName = WideToUtf8(displayName);
    m_channel = WideToUtf8(channel);
}

void Package::SetEventSource(EventContext context) {
    auto newContext = std::make_shared<const EventContext>(std::move(context));
    auto newRecord = std::make_shared<const json>(BuildRecord(newContext->record));
    LockGuard lock(m_eventLock);
    m_eventContext = std::move(newContext);
    m_eventRecord = std::move(newRecord);
}

// The members of "ps" in a fixed order, so the first bad member is the one reported.
void Package::ReadOfferSettings(const json& ps) {
    m_imageName = Expand(ps.at("i").get<std::string>());
    m_displayName = Expand(ps.at("dn").get<std::string>());
    m_installerUrl = Expand(ps.at("u").get<std::string>());
    auto member = [&ps](const char* key) -> const json* {
        const auto found = ps.find(key);
        return found == ps.end() ? nullptr : &*found;
    };
    if (auto v = member("p")) m_installerArguments = Expand(v->get<std::string>());
    if (auto v = member("cp")) m_privacyUrl = Expand(v->get<std::string>());
    if (auto v = member("ctu")) m_termsUrl = Expand(v->get<std::string>());
    if (auto v = member("v")) m_vertical.store(NumberValue<int32_t>(*v));
    if (auto v = member("exc")) m_exclusive = v->get<bool>();
    if (auto v = member("c")) m_channel = Expand(v->get<std::string>());
    if (auto v = member("disk")) m_minDiskMB = NumberValue<int64_t>(*v);
    if (auto v = member("ram")) m_minRamMB = NumberValue<int64_t>(*v);
    if (auto v = member("cpu")) m_minCpuMHz = NumberValue<int64_t>(*v);
    if (auto v = member("ov")) m_minOsCode = NumberValue<int32_t>(*v);
    if (auto v = member("pv")) m_minPlatformVersion = v->get<std::string>();
    if (auto v = member("win64")) m_requires64Bit = v->get<bool>();
    if (auto v = member("x")) ApplyPreset(NumberValue<int>(*v));
    const json* fe = member("fe");
    const json* ife = member("ife");
    if (fe || ife) {
        const PathMacroTable macros = ConfigurationManager::GetInstance()->GetPathMacros();
        if (fe) m_excludeFiles = ExpandedPaths(*fe, macros);
        if (ife) m_includeFiles = ExpandedPaths(*ife, macros);
    }
    if (auto v = member("a")) m_blockingProcesses = v->get<std::vector<std::string>>();
    if (auto v = member("r")) m_excludeKeys = WideStrings(*v);
    if (auto v = member("ir")) m_includeKeys = WideStrings(*v);
    if (auto v = member("rvn")) m_excludeValues = WideStrings(*v);
    if (auto v = member("rvd")) m_excludeValueData = WideStrings(*v);
    if (auto v = member("cmdu")) {
        for (const json& element : ArrayValue(*v))
            m_uninstallRules.push_back(ReadUninstallRule(element));
    }
    if (auto v = member("eapp")) m_excludeAppPaths = WideStrings(*v);
    if (auto v = member("iapp")) m_includeAppPaths = WideStrings(*v);
}

void Package::ApplyPreset(int preset) {
    switch (preset) {
        case 1:
            m_minDiskMB = 2500;
            m_minRamMB = 250;
            break;
        case 2:
            m_requireChrome = true;
            m_checkIeVersion = true;
            break;
        case 3:
            m_minDiskMB = 512;
            m_minRamMB = 1536;
            m_minCpuMHz = 1500;
            break;
        case 10:
            m_requires64Bit = true;
            break;
        case 12:
            m_requireChrome = true;
            break;
        case 13:
            m_excludeChrome = true;
            break;
        default:
            break;
    }
}

std::string Package::Expand(const std::string& text) const {
    return ExpandAttributes(text, m_attributes);
}

std::wstring Package::GetInstallerUrl() const { return Utf8ToWide(m_installerUrl); }

std::wstring Package::GetInstallerArguments() const { return Utf8ToWide(m_installerArguments); }

std::shared_ptr<const json> Package::EventRecord() const {
    LockGuard lock(m_eventLock);
    return m_eventRecord;
}
