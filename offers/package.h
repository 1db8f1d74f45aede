// One downloadable product of the run: the main product or an offer of the remote
// configuration, with its texts, installer, requirements, image and analytics channel.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "analytics/event_code.h"
#include "base/thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Gdiplus {
class Image;
}
struct EventContext;

// Named attributes of an offer: "{name}" in the offer's texts is replaced by the value.
using AttributeMap = std::unordered_map<std::string, std::string>;

// "Not within minDays of an uninstall" rule of an offer.
struct UninstallRule {
    std::wstring root;       // full hive name, any letter case ("hkey_local_machine")
    std::wstring key;        // key path below the root
    std::wstring valueName;  // value holding the uninstall time
    std::wstring valueType;  // kept as written; the value's registry type decides
    int32_t minDays = 0;
    bool inMilliseconds = false;  // the time counts milliseconds instead of seconds
};

// Packages are always held by std::shared_ptr (make them with std::make_shared): image
// downloads and event workers keep the package alive until they end.
class Package : public std::enable_shared_from_this<Package> {
public:
    // An offer from one entry of the remote offer list. A missing required member or a
    // member of the wrong type throws the JSON library's out_of_range or type_error.
    Package(EventContext context, const nlohmann::json& entry, bool isMain, std::string channel,
            int index);
    // The main product: the four texts, no requirements and no attributes.
    Package(EventContext context, bool isMain, const std::wstring& offerId,
            const std::wstring& offerTag, const std::wstring& displayName,
            const std::wstring& channel, int index);
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Re-initialises the main product once the remote configuration is known; the
    // attributes stay. Events already started keep the record they started with.
    void ResetAsMain(EventContext context, const std::wstring& offerId,
                     const std::wstring& offerTag, const std::wstring& displayName,
                     const std::wstring& channel);

    std::wstring GetInstallerUrl() const;
    std::wstring GetInstallerArguments() const;

    // Fetches the offer image into m_offerImage and then calls done, possibly on another
    // thread; on a failed or empty download the image stays as it was. The main product
    // has no image: done runs at once.
    void DownloadImage(std::function<void()> done);

    // Sends one analytics event on a thread of its own and returns at once. Members of
    // extra replace the record's members of the same key; other members are dropped.
    // Does nothing once a final event of this package has been delivered.
    void SendEvent(EventCode code, nlohmann::json extra);
    // The same without extra members.
    void SendEvent(EventCode code);
    // Blocks until every event this package has started has ended.
    void WaitForEvents();

    bool EventsClosed() const { return m_eventsClosed; }
    // The record the next event starts from.
    std::shared_ptr<const nlohmann::json> EventRecord() const;

    bool m_isMain = false;
    std::string m_displayName;
    std::string m_offerId;
    std::string m_offerTag;
    std::string m_channel;
    std::string m_imageName;
    std::string m_installerUrl;
    std::string m_installerArguments;
    std::string m_privacyUrl;
    std::string m_termsUrl;
    std::atomic<int32_t> m_vertical{0};  // -1: an offer without a category
    int64_t m_minDiskMB = 0;             // the three minimums compare unsigned; 0 = none
    int64_t m_minRamMB = 0;
    int64_t m_minCpuMHz = 0;
    int32_t m_minOsCode = 0;  // 61, 62, 63 or 100; 0 or less = none
    std::string m_minPlatformVersion;
    bool m_requires64Bit = false;
    std::string m_sha256;  // the installer's expected SHA-256, lower-case hex; "" = unchecked
    int m_index = 0;       // offers accepted before this one; 0 for the main product
    std::shared_ptr<Gdiplus::Image> m_offerImage;
    AttributeMap m_attributes;
    std::vector<std::wstring> m_excludeFiles;  // path macros already expanded
    std::vector<std::wstring> m_includeFiles;
    std::vector<std::string> m_blockingProcesses;
    std::vector<std::wstring> m_excludeKeys;
    std::vector<std::wstring> m_includeKeys;
    std::vector<std::wstring> m_excludeValues;
    std::vector<std::wstring> m_excludeValueData;
    std::vector<std::wstring> m_excludeAppPaths;
    std::vector<std::wstring> m_includeAppPaths;
    bool m_exclusive = false;
    bool m_requireChrome = false;
    bool m_excludeChrome = false;
    bool m_checkIeVersion = false;
    std::vector<UninstallRule> m_uninstallRules;

private:
    void ReadOfferSettings(const nlohmann::json& settings);
    void ApplyPreset(int preset);
    std::string Expand(const nlohmann::json& value) const;
    void SetIdentity(const std::wstring& offerId, const std::wstring& offerTag,
                     const std::wstring& displayName, const std::wstring& channel);
    void SetEventSource(EventContext context);
    nlohmann::json BuildRecord(const nlohmann::json& contextRecord) const;
    void EventWorkerEnded();

    mutable Lock m_eventLock;  // guards m_pendingEvents, m_eventContext and m_eventRecord
    ConditionVariable m_eventsDone;
    int m_pendingEvents = 0;
    // Replaced whole by ResetAsMain, so a running worker keeps the copy it started with.
    std::shared_ptr<const EventContext> m_eventContext;
    std::shared_ptr<const nlohmann::json> m_eventRecord;
    std::atomic<bool> m_eventsClosed{false};
};

// The base-62 text of a byte string ("abc" -> "qMin"); leading zero bytes give nothing.
// Throws std::runtime_error("Non-zero carry") if the digits overflow and
// std::length_error for an input of more than 1024 bytes.
std::string EncodeBase62(const std::string& bytes);

// Replaces each "{name}" of the attributes by its value, attribute by attribute. The search
// goes on after the inserted text, so a value holding its own token cannot make it endless.
// Empty when the text or its expansion grows beyond 64 KiB.
std::optional<std::string> ExpandAttributes(const std::string& text,
                                            const AttributeMap& attributes);

// A GDI+ bitmap decoded from image file bytes (a failed decode is returned all the
// same), or null when no stream could be made.
std::shared_ptr<Gdiplus::Image> ImageFromBytes(const std::vector<unsigned char>& bytes);
