// The process-wide record of everything the installer knows about its run.
#pragma once

#include "base/path_macros.h"
#include "base/process_wide.h"
#include "base/thread.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Gdiplus {
class Image;
}
class Package;

// The flow a build runs: 1 the download-only flow, 2 the install flow, 0 an unknown type
// name.
enum class WizardType { Unknown = 0, DLM = 1, ISV = 2 };

class ConfigurationManager {
public:
    static std::shared_ptr<ConfigurationManager> GetInstance();

    ConfigurationManager(const ConfigurationManager&) = delete;
    ConfigurationManager& operator=(const ConfigurationManager&) = delete;

    WizardType m_wizardType = WizardType::Unknown;
    bool m_btMode = false;
    bool m_classicMode = false;
    bool m_failureEventFlag = false;
    std::wstring m_productTitle;
    std::wstring m_downloadUrl;
    std::string m_downloadSha256;  // lower-case hex digits of the product file; empty: unchecked
    std::wstring m_productImageUrl;
    std::wstring m_privacyUrl;
    std::wstring m_termsUrl;
    std::wstring m_defaultPrivacyUrl;
    std::wstring m_downloadFolder;
    std::wstring m_fileName;
    std::wstring m_workingDirectory;
    std::wstring m_mainInstallerArguments;
    std::array<bool, 3> m_options{};
    std::array<bool, 5> m_configurations{};
    std::wstring m_launchPath;
    std::wstring m_launchArguments;
    std::wstring m_installerId;
    std::wstring m_downloadedFilePath;
    std::wstring m_version;
    std::wstring m_configUrl;
    std::wstring m_analyticsUrl;
    std::wstring m_brand;
    std::wstring m_setupId;
    std::wstring m_channel;
    std::wstring m_cfl;
    COLORREF m_backgroundColour = 0;
    COLORREF m_brandColour = 0;
    int m_offerSetting = 0;
    std::wstring m_fileBaseUrl;
    std::wstring m_languageName;
    std::wstring m_localeName;
    std::string m_countryCode;
    std::string m_publisherId;
    std::string m_ispb;
    std::vector<std::shared_ptr<Package>> m_acceptedPackages;
    std::vector<std::shared_ptr<Package>> m_offeredPackages;
    std::shared_ptr<Package> m_mainPackage;
    std::shared_ptr<Gdiplus::Image> m_productImage;
    std::string m_sessionId;
    std::string m_machineId;
    PathMacroTable m_pathMacros;
    PathMacroTable m_pathMacros64;
    bool m_pathMacrosReady = false;
    bool m_closing = false;

    // The Windows machine GUID, or empty (then asked again next time).
    std::string GetMachineId();
    // Local time of the first request, "%Y%m%d%H%M%S"; the same for the whole run.
    std::string GetSessionId();
    // The path macro table, filled on first use.
    PathMacroTable GetPathMacros();
    // Fills both macro tables once; later calls do nothing.
    void InitPathMacros();

private:
    friend class ProcessWide<ConfigurationManager>;
    ConfigurationManager();
    void InitDownloadFlowFolders();
    void InitInstallFlowFolders();

    Lock m_cacheLock;  // guards the lazily filled identifiers and macro tables
};

// Creates a new, uniquely named directory in the user's temporary folder and returns its
// path; the caller checks that it is a directory.
std::wstring CreateWorkingDirectory();

// Wizard type of a type name: "DLM", "ISV", anything else Unknown.
WizardType WizardTypeFromName(const std::wstring& name);

// "A.B.C.D" from the two 32-bit halves of a fixed file version.
std::wstring FormatFileVersion(DWORD versionMS, DWORD versionLS);

// The file version of this module's version resource, or empty.
std::wstring ModuleFileVersion();
