// Base of every wizard page: common look, localised controls and the two host callbacks.
#pragma once

#include "i18n/language_manager.h"
#include "ui/dialog.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The footer button a page reports to the host. Values are fixed.
enum class ButtonType { Next = 0, Accept = 1, Close = 2, Decline = 3, Finish = 4, Back = 5 };

using ButtonCallback = std::function<void(ButtonType)>;
using ErrorCallback = std::function<void(const std::wstring& title, const std::wstring& text)>;

class IPage : public ui::Dialog, public TextsListener {
public:
    static constexpr int kFooterId = 1002;

    IPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId);
    ~IPage() override;

    // Called by the host each time the page becomes the current page.
    virtual void OnNavigateToPage() = 0;
    virtual void SetButtonCallback(ButtonCallback callback) = 0;
    virtual void SetErrorCallback(ErrorCallback callback) = 0;
    // Re-applies the texts of the localised controls; overrides call this base.
    void UpdateTexts() override;
    virtual std::wstring GetPageName() const = 0;

protected:
    void AddLocalizedControl(int controlId, std::string key);
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    // Enter and Escape never close or advance a page.
    void OnOK() override {}
    void OnCancel() override {}

    std::shared_ptr<LanguageManager> m_languageManager;

private:
    std::vector<std::pair<int, std::string>> m_localizedControls;
    win32::unique_hbrush m_footerBrush;
};

// A page that keeps both host callbacks as they are given.
class WizardPage : public IPage {
public:
    using IPage::IPage;

    void SetButtonCallback(ButtonCallback callback) override { m_onButton = std::move(callback); }
    void SetErrorCallback(ErrorCallback callback) override { m_onError = std::move(callback); }

protected:
    // Tells the host that this button was pressed, when a host listens.
    void Press(ButtonType button) {
        if (m_onButton) m_onButton(button);
    }

    ButtonCallback m_onButton;
    ErrorCallback m_onError;
};
