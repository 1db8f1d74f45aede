// Constants fixed when the program is built (CMake cache variables, see README).
#pragma once

namespace build {

extern const wchar_t kWizardTypeName[];  // "DLM" or "ISV"
extern const bool kBtMode;
extern const bool kClassicMode;
extern const wchar_t kServiceHost[];
extern const wchar_t kPrivacyUrl[];
extern const wchar_t kMainProductUrl[];  // install flow only
extern const wchar_t kMainInstallerArguments[];
extern const wchar_t kLaunchPath[];
extern const wchar_t kLaunchArguments[];

}  // namespace build
