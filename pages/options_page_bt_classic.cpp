#include "pages/options_page_bt_classic.h"

#include "config/configuration_manager.h"
#include "pages/page_names.h"
#include "res/resource.h"

namespace {
// The boxes in the order of the configuration's options.
constexpr std::array<int, 3> kOptionBoxes = {IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3};
}  // namespace

OptionsPageBTClassic::OptionsPageBTClassic(std::shared_ptr<LanguageManager> languageManager)
    : ClassicPage(std::move(languageManager), IDD_OPTIONS_PAGE, IDC_OPTIONS_TITLE) {}

std::wstring OptionsPageBTClassic::GetPageName() const { return page_name::kOptionsBTClassic; }

BOOL OptionsPageBTClassic::OnInitDialog() {
    CheckAll({IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3});
    AddLocalizedControl(IDC_OPTIONS_TITLE, "OPTIONS_TITLE");
    AddLocalizedControl(IDC_OPTION_1, "OPTIONS_CHECK_1");
    AddLocalizedControl(IDC_OPTION_2, "OPTIONS_CHECK_2");
    AddLocalizedControl(IDC_OPTION_3, "OPTIONS_CHECK_3");
    AddLocalizedControl(IDC_NEXT, "BUTTON_NEXT");
    UpdateTexts();
    EnlargeTitle();
    return TRUE;
}

void OptionsPageBTClassic::OnCommand(int id, int code) {
    if (code != BN_CLICKED || id != IDC_NEXT) return;
    ConfigurationManager::GetInstance()->m_options = ReadChecks(kOptionBoxes);
    Press(ButtonType::Next);
}
