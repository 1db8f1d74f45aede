#include "pages/error_page.h"

#include "pages/page_names.h"
#include "res/resource.h"

ErrorPage::ErrorPage(std::shared_ptr<LanguageManager> languageManager)
    : IPage(std::move(languageManager), IDD_ERROR_PAGE) {}

std::wstring ErrorPage::GetPageName() const { return page_name::kError; }

BOOL ErrorPage::OnInitDialog() {
    m_picture.Attach(Item(IDC_PAGE_PICTURE));
    m_picture.LoadFromResource(IDR_IMAGE_ERROR, L"IMAGE_BLOB3");
    AddLocalizedControl(IDC_CLOSE, "BUTTON_CLOSE");
    UpdateTexts();
    return TRUE;
}

void ErrorPage::SetErrorTexts(const std::wstring& title, const std::wstring& text) {
    ui::SetWindowTextString(Item(IDC_ERROR_TITLE), title);
    ui::SetWindowTextString(Item(IDC_ERROR_TEXT), text);
}

void ErrorPage::OnCommand(int id, int code) {
    if (id == IDC_CLOSE && code == BN_CLICKED) OnCloseButton();
}

void ErrorPage::OnCloseButton() {
    if (m_onButton) m_onButton(ButtonType::Close);
}
