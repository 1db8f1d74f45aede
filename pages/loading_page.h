// Second page of every run: a marquee bar while the remote configuration and the offers load.
#pragma once

#include "pages/ipage.h"

#include <functional>
#include <memory>
#include <vector>

class Package;

// Receives the eligible offers once everything they need has arrived; may run on any thread.
using LoadCompleteCallback = std::function<void(std::vector<std::shared_ptr<Package>>)>;

class LoadingPage : public WizardPage {
public:
    explicit LoadingPage(std::shared_ptr<LanguageManager> languageManager);

    void OnNavigateToPage() override;
    std::wstring GetPageName() const override;

    void SetLoadCompleteCallback(LoadCompleteCallback callback) {
        m_onLoadComplete = std::move(callback);
    }

protected:
    BOOL OnInitDialog() override;

private:
    void StartMarquee();

    LoadCompleteCallback m_onLoadComplete;
    HWND m_progress = nullptr;
};
