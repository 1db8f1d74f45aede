#include "pages/classic_page.h"

#include "config/configuration_manager.h"

namespace {
constexpr LONG kTitleHeight = 12;
constexpr LONG kTitleWeight = 1000;
}  // namespace

ClassicPage::ClassicPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId,
                         int titleId)
    : WizardPage(std::move(languageManager), templateId),
      m_backgroundBrush(CreateSolidBrush(ConfigurationManager::GetInstance()->m_backgroundColour)),
      m_titleId(titleId) {}

void ClassicPage::EnlargeTitle() {
    m_titleFont = ui::EnlargeFont(Item(m_titleId), kTitleHeight, kTitleWeight);
}

void ClassicPage::CheckAll(std::initializer_list<int> boxes) {
    for (int box : boxes) ui::SetChecked(Item(box), true);
}
