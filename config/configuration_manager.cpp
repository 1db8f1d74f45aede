#include "config/configuration_manager.h"

#include "config/build_settings.h"
#include "base/path_macros.h"
#include "base/encoding.h"
#include "base/process_wide.h"
#include "base/resource.h"
#include "ui/message_box.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

namespace {

std::wstring ServiceUrl(const wchar_t* path) {
    return std::wstring(L"https://") + build::kServiceHost + path;
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH] = {};
    return GetTempPathW(MAX_PATH, buffer) > 0 ? buffer : L"";
}

std::wstring DownloadsFolder() { return GetKnownFolder(FOLDERID_Downloads); }

std::wstring DocumentsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer))
               ? buffer
               : L"";
}

// The working directory when it could be made, else empty.
std::wstring NewWorkingDirectory() {
    std::wstring dir = CreateWorkingDirectory();
    return !dir.empty() && PathIsDirectoryW(dir.c_str()) ? dir : L"";
}

}  // namespace

WizardType WizardTypeFromName(const std::wstring& name) {
    static const std::pair<const wchar_t*, WizardType> kTypes[] = {{L"DLM", WizardType::DLM},
                                                                   {L"ISV", WizardType::ISV}};
    for (const auto& [typeName, type] : kTypes) {
        if (name == typeName) return type;
    }
    return WizardType::Unknown;
}

std::wstring FormatFileVersion(DWORD versionMS, DWORD versionLS) {
    return DecimalText(HIWORD(versionMS)) + L"." + DecimalText(LOWORD(versionMS)) + L"." +
           DecimalText(HIWORD(versionLS)) + L"." + DecimalText(LOWORD(versionLS));
}

std::wstring ModuleFileVersion() {
    const ResourceBytes version =
        LoadResourceBytes(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), RT_VERSION);
    if (!version.data || version.size == 0) return {};
    // VerQueryValue may write into the block, so it works on a copy.
    std::vector<BYTE> copy(version.data, version.data + version.size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    return FormatFileVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

std::wstring CreateWorkingDirectory() {
    wchar_t path[MAX_PATH] = {};
    if (GetTempPathW(MAX_PATH, path) == 0) return {};
    // A unique empty file reserves the name; the directory takes its place.
    if (GetTempFileNameW(path, L"ISV", 0, path) == 0) return {};
    DeleteFileW(path);
    CreateDirectoryW(path, nullptr);
    return path;
}

void ConfigurationManager::InitDownloadFlowFolders() {
    for (auto folder : {&DownloadsFolder, &DocumentsFolder, &TempFolder}) {
        m_downloadFolder = folder();
        if (!m_downloadFolder.empty()) break;
    }
    if (m_downloadFolder.empty()) m_downloadFolder = L"C:\\";
    m_workingDirectory = NewWorkingDirectory();
}

void ConfigurationManager::InitInstallFlowFolders() {
    m_productTitle = L"Tovanta";
    m_downloadUrl = build::kMainProductUrl;
    m_mainInstallerArguments = build::kMainInstallerArguments;
    m_launchPath = build::kLaunchPath;
    m_launchArguments = build::kLaunchArguments;
    m_workingDirectory = NewWorkingDirectory();
    m_downloadFolder = m_workingDirectory;
}

ConfigurationManager::ConfigurationManager() {
    m_wizardType = WizardTypeFromName(build::kWizardTypeName);
    if (m_wizardType == WizardType::Unknown)
        ShowMessageBox(nullptr, L"Unknown wizard type", L"", MB_OK);
    m_failureEventFlag = true;
    m_btMode = build::kBtMode;
    m_classicMode = build::kClassicMode;
    m_version = ModuleFileVersion();
    m_configUrl = ServiceUrl(L"/o");
    m_analyticsUrl = ServiceUrl(L"/zbd");
    m_brand = L"Tovanta";
    m_installerId = L"Tovanta_DLM";
    m_setupId = L"Tovanta_3cpp";
    m_fileBaseUrl = ServiceUrl(L"/f/");
    m_backgroundColour = RGB(250, 250, 250);
    m_brandColour = RGB(2, 119, 189);
    m_defaultPrivacyUrl = build::kPrivacyUrl;
    if (m_wizardType == WizardType::DLM) InitDownloadFlowFolders();
    if (m_wizardType == WizardType::ISV) InitInstallFlowFolders();
}

std::shared_ptr<ConfigurationManager> ConfigurationManager::GetInstance() {
    return ProcessWide<ConfigurationManager>::Get();
}
