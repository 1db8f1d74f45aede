#include "pages/loading_page.h"

#include "pages/page_names.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {
constexpr UINT kMarqueeIntervalMs = 30;
}

LoadingPage::LoadingPage(std::shared_ptr<LanguageManager> languageManager)
    : WizardPage(std::move(languageManager), IDD_LOADING_PAGE) {}

std::wstring LoadingPage::GetPageName() const { return page_name::kLoading; }

BOOL LoadingPage::OnInitDialog() {
    m_progress = Item(IDC_PROGRESS);
    UpdateTexts();
    return TRUE;
}

void LoadingPage::OnNavigateToPage() { StartMarquee(); }

void LoadingPage::StartMarquee() {
    SendMessageW(m_progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(m_progress, PBM_SETPOS, 0, 0);
    // Marquee mode takes both the style and the message.
    SetWindowLongW(m_progress, GWL_STYLE, GetWindowLongW(m_progress, GWL_STYLE) | PBS_MARQUEE);
    SendMessageW(m_progress, PBM_SETMARQUEE, TRUE, kMarqueeIntervalMs);
}
