// The names the pages report through GetPageName. The host tells pages apart by them.
#pragma once

namespace page_name {

inline constexpr wchar_t kLanguage[] = L"LanguagePage";
inline constexpr wchar_t kLanguageBT[] = L"LanguagePageBT";
inline constexpr wchar_t kWelcome[] = L"WelcomePage";
inline constexpr wchar_t kLicense[] = L"LicensePage";
inline constexpr wchar_t kLoading[] = L"LoadingPage";
inline constexpr wchar_t kProduct[] = L"ProductPage";
inline constexpr wchar_t kDownloadDlm[] = L"DownloadPageDLM";
inline constexpr wchar_t kDownloadIsv[] = L"DownloadPageISV";
inline constexpr wchar_t kFinishDlm[] = L"FinishPageDLM";
inline constexpr wchar_t kFinishIsv[] = L"FinishPageISV";
inline constexpr wchar_t kError[] = L"ErrorPage";
inline constexpr wchar_t kWarningBTClassic[] = L"WarningPageBTClassic";
inline constexpr wchar_t kOptionsBTClassic[] = L"OptionsPageBTClassic";
inline constexpr wchar_t kConfigurationsBTClassic[] = L"ConfigurationsPageBTClassic";

}  // namespace page_name
