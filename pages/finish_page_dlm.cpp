#include "pages/finish_page_dlm.h"

#include "config/configuration_manager.h"
#include "pages/page_names.h"
#include "res/resource.h"

#include <shellapi.h>

std::wstring ExplorerSelectArguments(const std::wstring& path) {
    return L"/select,\"" + path + L"\"";
}

FinishPageDlm::FinishPageDlm(std::shared_ptr<LanguageManager> languageManager)
    : FinishPage(std::move(languageManager), IDD_FINISH_PAGE_DLM) {}

std::wstring FinishPageDlm::GetPageName() const { return page_name::kFinishDlm; }

BOOL FinishPageDlm::OnInitDialog() {
    AddLocalizedControl(IDC_FINISH_TITLE, "PAGE_FINISH_TITLE");
    AddLocalizedControl(IDC_FINISH_TEXT, "PAGE_FINISH_TEXT");
    AddLocalizedControl(IDC_FINISH, "BUTTON_FINISH");
    AddLocalizedControl(IDC_LAUNCH_RADIO, "LAUNCH_RADIO");
    AddLocalizedControl(IDC_OPEN_FOLDER_RADIO, "OPEN_FOLDER_RADIO");
    UpdateTexts();
    SendMessageW(Item(IDC_LAUNCH_RADIO), BM_SETCHECK, BST_CHECKED, 0);
    LoadPicture();
    return TRUE;
}

void FinishPageDlm::OnFinish() {
    const std::wstring path = ConfigurationManager::GetInstance()->m_downloadedFilePath;
    if (path.empty()) {
        // Nothing was downloaded: there is nothing to open.
    } else if (SendMessageW(Item(IDC_LAUNCH_RADIO), BM_GETCHECK, 0, 0) == BST_CHECKED) {
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    } else if (SendMessageW(Item(IDC_OPEN_FOLDER_RADIO), BM_GETCHECK, 0, 0) == BST_CHECKED) {
        ShellExecuteW(nullptr, L"open", L"explorer.exe", ExplorerSelectArguments(path).c_str(),
                      nullptr, SW_SHOWDEFAULT);
    }
    Press(ButtonType::Finish);
}
