#include "offers/package.h"

#include "analytics/event_context.h"
#include "analytics/event_record.h"
#include "config/configuration_manager.h"
#include "base/path_macros.h"
#include "base/encoding.h"
#include "base/text.h"
#include "net/sha256.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <limits>
#include <stdexcept>

using nlohmann::json;

namespace {

const char kBase62Digits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
// Far above a real tracking source (two identifiers and an offer id); the encoder's work
// grows with the square of its input, and at this size it takes a few milliseconds.
constexpr size_t kMaxBase62Input = 1024;
// Far above a real offer text (a name, a URL, a command line); each expansion pass copies
// at most this much, so the passes cost time in proportion to the entry.
constexpr size_t kMaxExpandedText = 64 * 1024;

[[noreturn]] void ThrowTypeError(const char* expected, const json& value) {
    throw json::type_error::create(
        302, std::string("type must be ") + expected + ", but is " + value.type_name(), &value);
}

// The library converts booleans to numbers silently; an entry's numbers must be numbers.
// A fraction is truncated; a value outside the field's range makes the entry malformed
// rather than wrapping into an unintended requirement.
template <typename T>
T NumberValue(const json& value) {
    if (!value.is_number()) ThrowTypeError("number", value);
    using Limits = std::numeric_limits<T>;
    bool inRange = false;
    if (value.is_number_float()) {
        const double number = value.get<double>();
        inRange = number > static_cast<double>(Limits::min()) - 1.0 &&
                  number < static_cast<double>(Limits::max()) + 1.0;
    } else if (value.is_number_unsigned()) {
        inRange = value.get<uint64_t>() <= static_cast<uint64_t>(Limits::max());
    } else {
        const int64_t number = value.get<int64_t>();
        inRange = number >= static_cast<int64_t>(Limits::min()) &&
                  number <= static_cast<int64_t>(Limits::max());
    }
    if (!inRange) throw json::out_of_range::create(406, "number out of range", &value);
    return value.is_number_float() ? static_cast<T>(value.get<double>()) : value.get<T>();
}

// An installer's expected digest: 64 hexadecimal digits, kept in lower case.
std::string Sha256Value(const json& value) {
    std::string digest = value.get<std::string>();
    if (!IsSha256Hex(digest)) throw json::out_of_range::create(406, "not a SHA-256 digest", &value);
    for (char& c : digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return digest;
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
    if (bytes.size() > kMaxBase62Input) throw std::length_error("Base-62 input too long");
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

std::optional<std::string> ExpandAttributes(const std::string& text,
                                            const AttributeMap& attributes) {
    if (text.size() > kMaxExpandedText) return std::nullopt;
    std::string result = text;
    for (const auto& [name, value] : attributes) {
        const std::string token = "{" + name + "}";
        // The size the replacement would give, known before anything is copied.
        size_t count = 0;
        for (size_t at = result.find(token); at != std::string::npos;
             at = result.find(token, at + token.size())) {
            ++count;
        }
        if (count == 0) continue;
        const size_t kept = result.size() - count * token.size();
        if (value.size() > (kMaxExpandedText - kept) / count) return std::nullopt;
        result = ReplaceAll(result, token, value);
    }
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
    m_imageName = Expand(ps.at("i"));
    m_displayName = Expand(ps.at("dn"));
    m_installerUrl = Expand(ps.at("u"));
    auto member = [&ps](const char* key) -> const json* {
        const auto found = ps.find(key);
        return found == ps.end() ? nullptr : &*found;
    };
    if (auto v = member("p")) m_installerArguments = Expand(*v);
    if (auto v = member("cp")) m_privacyUrl = Expand(*v);
    if (auto v = member("ctu")) m_termsUrl = Expand(*v);
    if (auto v = member("v")) m_vertical.store(NumberValue<int32_t>(*v));
    if (auto v = member("exc")) m_exclusive = v->get<bool>();
    if (auto v = member("c")) m_channel = Expand(*v);
    if (auto v = member("disk")) m_minDiskMB = NumberValue<int64_t>(*v);
    if (auto v = member("ram")) m_minRamMB = NumberValue<int64_t>(*v);
    if (auto v = member("cpu")) m_minCpuMHz = NumberValue<int64_t>(*v);
    if (auto v = member("ov")) m_minOsCode = NumberValue<int32_t>(*v);
    if (auto v = member("pv")) m_minPlatformVersion = v->get<std::string>();
    if (auto v = member("win64")) m_requires64Bit = v->get<bool>();
    if (auto v = member("sha256")) m_sha256 = Sha256Value(*v);
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

std::string Package::Expand(const json& value) const {
    std::optional<std::string> expanded = ExpandAttributes(value.get<std::string>(), m_attributes);
    if (!expanded) throw json::out_of_range::create(408, "text too long", &value);
    return std::move(*expanded);
}

std::wstring Package::GetInstallerUrl() const { return Utf8ToWide(m_installerUrl); }

std::wstring Package::GetInstallerArguments() const { return Utf8ToWide(m_installerArguments); }

std::shared_ptr<const json> Package::EventRecord() const {
    LockGuard lock(m_eventLock);
    return m_eventRecord;
}
