// Second page of every run: a marquee bar while the remote configuration, the offers and
// their pictures load.
#pragma once

#include "pages/ipage.h"

#include <functional>
#include <memory>
#include <vector>

class Package;
class OfferLoad;

using PackageList = std::vector<std::shared_ptr<Package>>;

// Receives the eligible offers once everything they need has arrived; called once, on any
// thread, and only while the page exists.
using LoadCompleteCallback = std::function<void(PackageList)>;

class LoadingPage : public WizardPage {
public:
    // Posted by the background task to the page when the configuration has been read.
    static constexpr UINT kRequestCompleteMessage = WM_USER + 4;

    explicit LoadingPage(std::shared_ptr<LanguageManager> languageManager);
    ~LoadingPage() override;

    // Starts the marquee and, the first time, the load.
    void OnNavigateToPage() override;
    std::wstring GetPageName() const override;

    void SetLoadCompleteCallback(LoadCompleteCallback callback) {
        m_onLoadComplete = std::move(callback);
    }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void StartMarquee();
    void OnRequestComplete();
    void FetchPictures(const PackageList& packages);
    void ShowConfigurationError();

    LoadCompleteCallback m_onLoadComplete;
    HWND m_progress = nullptr;
    // Shared with the background task and the picture downloads, which may outlive the page.
    std::shared_ptr<OfferLoad> m_load;
};
