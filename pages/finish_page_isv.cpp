#include "pages/finish_page_isv.h"

#include "config/configuration_manager.h"
#include "base/path_macros.h"
#include "pages/page_names.h"
#include "res/resource.h"

#include <shellapi.h>

FinishPageIsv::FinishPageIsv(std::shared_ptr<LanguageManager> languageManager)
    : FinishPage(std::move(languageManager), IDD_FINISH_PAGE_ISV) {}

std::wstring FinishPageIsv::GetPageName() const { return page_name::kFinishIsv; }

BOOL FinishPageIsv::OnInitDialog() {
    AddLocalizedControl(IDC_FINISH_TITLE, "PAGE_FINISH_TITLE");
    AddLocalizedControl(IDC_FINISH_TEXT, "PAGE_FINISH_TEXT");
    AddLocalizedControl(IDC_FINISH, "BUTTON_FINISH");
    AddLocalizedControl(IDC_LAUNCH_CHECK, "LAUNCH_CHECKBOX");
    UpdateTexts();
    SendMessageW(Item(IDC_LAUNCH_CHECK), BM_SETCHECK, BST_CHECKED, 0);
    LoadPicture();
    return TRUE;
}

void FinishPageIsv::OnFinish() {
    if (SendMessageW(Item(IDC_LAUNCH_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED) {
        auto config = ConfigurationManager::GetInstance();
        const std::wstring path = ExpandPathMacros(config->m_launchPath, config->GetPathMacros());
        // No launch path configured: nothing to start.
        if (!path.empty()) {
            ShellExecuteW(nullptr, L"open", path.c_str(), config->m_launchArguments.c_str(),
                          nullptr, SW_SHOWDEFAULT);
        }
    }
    Press(ButtonType::Finish);
}
