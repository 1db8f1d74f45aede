#include "pages/loading_page.h"

#include "base/gate.h"
#include "base/thread.h"
#include "config/configuration_manager.h"
#include "net/download_manager.h"
#include "offers/package.h"
#include "pages/offer_load.h"
#include "pages/page_names.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

constexpr UINT kMarqueeIntervalMs = 30;

// The product logo of the download-only flow, when the configuration names one.
bool WantsLogo(const ConfigurationManager& config) {
    return config.m_wizardType == WizardType::DLM && !config.m_productImageUrl.empty();
}

}  // namespace

LoadingPage::LoadingPage(std::shared_ptr<LanguageManager> languageManager)
    : WizardPage(std::move(languageManager), IDD_LOADING_PAGE) {}

LoadingPage::~LoadingPage() {
    if (m_load) m_load->Abandon();
}

std::wstring LoadingPage::GetPageName() const { return page_name::kLoading; }

BOOL LoadingPage::OnInitDialog() {
    m_progress = Item(IDC_PROGRESS);
    UpdateTexts();
    return TRUE;
}

bool LoadingPage::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != kRequestCompleteMessage) return false;
    OnRequestComplete();
    result = 0;
    return true;
}

void LoadingPage::OnNavigateToPage() {
    StartMarquee();
    if (m_load) return;  // the configuration is fetched once per run
    m_load = std::make_shared<OfferLoad>(GetSafeHwnd(), m_onLoadComplete);
    auto load = m_load;
    const bool started = StartThread([load] {
        PackageList packages;
        const OfferLoad::Outcome outcome = LoadOffers(packages);
        load->Finish(outcome, std::move(packages));
    });
    if (!started) m_load->Finish(OfferLoad::Outcome::Failed);
}

void LoadingPage::StartMarquee() {
    SendMessageW(m_progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(m_progress, PBM_SETPOS, 0, 0);
    // Marquee mode takes both the style and the message.
    SetWindowLongW(m_progress, GWL_STYLE, GetWindowLongW(m_progress, GWL_STYLE) | PBS_MARQUEE);
    SendMessageW(m_progress, PBM_SETMARQUEE, TRUE, kMarqueeIntervalMs);
}

void LoadingPage::OnRequestComplete() {
    if (!m_load || m_load->GetOutcome() == OfferLoad::Outcome::Loading) return;
    const bool downloadFlow = ConfigurationManager::GetInstance()->m_wizardType == WizardType::DLM;
    switch (m_load->GetOutcome()) {
        case OfferLoad::Outcome::ProductDataMissing:
            ShowConfigurationError();
            return;
        case OfferLoad::Outcome::Failed:
            // The download-only flow cannot go on without its product; the install flow
            // goes on without offers.
            if (downloadFlow) {
                ShowConfigurationError();
                return;
            }
            FetchPictures({});
            return;
        default:
            FetchPictures(m_load->Packages());
    }
}

// Starts the logo's and the offers' picture downloads; the last one to end hands the
// list over (at once when there is nothing to fetch).
void LoadingPage::FetchPictures(const PackageList& packages) {
    auto config = ConfigurationManager::GetInstance();
    const bool logo = WantsLogo(*config);
    m_load->ExpectPictures(packages.size() + (logo ? 1 : 0));
    auto load = m_load;
    if (logo) {
        DownloadManager::GetInstance()->DownloadToMemory(
            config->m_productImageUrl,
            [load, config](std::unique_ptr<DownloadManager::Bytes> bytes) {
                if (bytes && !bytes->empty()) {
                    // No new image once the wizard closes: GDI+ shuts down after it.
                    GdiplusGate().RunWhileOpen([&] {
                        try {
                            if (auto image = ImageFromBytes(*bytes)) config->m_productImage = image;
                        } catch (const std::exception&) {
                            // Out of memory for the logo: the header shows none.
                        }
                    });
                }
                load->PictureDone();
            });
    }
    for (const auto& package : packages) package->DownloadImage([load] { load->PictureDone(); });
}

void LoadingPage::ShowConfigurationError() {
    if (m_onError) {
        m_onError(m_languageManager->GetText("PAGE_CONFIGURATION_ERROR_TITLE"),
                  m_languageManager->GetText("PAGE_CONFIGURATION_ERROR_DESC"));
    }
}
