#include "pages/ipage.h"

#include "config/configuration_manager.h"
#include "i18n/language_manager.h"

IPage::IPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId)
    : ui::Dialog(templateId),
      m_languageManager(std::move(languageManager)),
      m_footerBrush(CreateSolidBrush(ConfigurationManager::GetInstance()->m_brandColour)) {
    m_languageManager->RegisterPage(this);
}

IPage::~IPage() { m_languageManager->UnregisterPage(this); }

void IPage::AddLocalizedControl(int controlId, std::string key) {
    m_localizedControls.emplace_back(controlId, std::move(key));
}

void IPage::UpdateTexts() {
    for (const auto& [id, key] : m_localizedControls) {
        HWND control = Item(id);
        if (!control) continue;
        const std::wstring text = m_languageManager->GetText(key);
        if (!text.empty()) ui::SetWindowTextString(control, text);
    }
}

HBRUSH IPage::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (GetDlgCtrlID(control) == kFooterId) {
        SetBkMode(dc, TRANSPARENT);
        return m_footerBrush.get();
    }
    return ui::Dialog::OnCtlColor(dc, control, type);
}
