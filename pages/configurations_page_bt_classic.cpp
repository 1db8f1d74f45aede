#include "pages/configurations_page_bt_classic.h"

#include "config/configuration_manager.h"
#include "pages/page_names.h"
#include "res/resource.h"

namespace {
// The boxes in the order of the configuration's settings; the first one's caption is a
// label of its own, so that it can take two lines.
constexpr std::array<int, 5> kConfigurationBoxes = {IDC_CONFIGURATION_1, IDC_CONFIGURATION_2,
                                                    IDC_CONFIGURATION_3, IDC_CONFIGURATION_4,
                                                    IDC_CONFIGURATION_5};
}  // namespace

ConfigurationsPageBTClassic::ConfigurationsPageBTClassic(
    std::shared_ptr<LanguageManager> languageManager)
    : ClassicPage(std::move(languageManager), IDD_CONFIGURATIONS_PAGE, IDC_CONFIGURATIONS_TITLE) {}

std::wstring ConfigurationsPageBTClassic::GetPageName() const {
    return page_name::kConfigurationsBTClassic;
}

BOOL ConfigurationsPageBTClassic::OnInitDialog() {
    CheckAll({IDC_CONFIGURATION_1, IDC_CONFIGURATION_2, IDC_CONFIGURATION_3, IDC_CONFIGURATION_4,
              IDC_CONFIGURATION_5});
    AddLocalizedControl(IDC_CONFIGURATIONS_TITLE, "CONFIGURATIONS_TITLE");
    AddLocalizedControl(IDC_CONFIGURATIONS_SUBTITLE_1, "CONFIGURATIONS_SUBTITLE_1");
    AddLocalizedControl(IDC_CONFIGURATIONS_TEXT_1, "CONFIGURATIONS_TEXT_1");
    AddLocalizedControl(IDC_CONFIGURATION_1_LABEL, "CONFIGURATIONS_CHECK_1");
    AddLocalizedControl(IDC_CONFIGURATION_2, "CONFIGURATIONS_CHECK_2");
    AddLocalizedControl(IDC_CONFIGURATIONS_SUBTITLE_2, "CONFIGURATIONS_SUBTITLE_2");
    AddLocalizedControl(IDC_CONFIGURATIONS_TEXT_2, "CONFIGURATIONS_TEXT_2");
    AddLocalizedControl(IDC_CONFIGURATION_3, "CONFIGURATIONS_CHECK_3");
    AddLocalizedControl(IDC_CONFIGURATION_4, "CONFIGURATIONS_CHECK_4");
    AddLocalizedControl(IDC_CONFIGURATION_5, "CONFIGURATIONS_CHECK_5");
    AddLocalizedControl(IDC_NEXT, "BUTTON_NEXT");
    AddLocalizedControl(IDC_BACK, "BUTTON_BACK");
    UpdateTexts();
    EnlargeTitle();
    return TRUE;
}

void ConfigurationsPageBTClassic::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDC_NEXT) {
        ConfigurationManager::GetInstance()->m_configurations = ReadChecks(kConfigurationBoxes);
        Press(ButtonType::Next);
    }
    if (id == IDC_BACK) Press(ButtonType::Back);
}
