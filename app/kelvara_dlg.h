// The wizard host: header, footer band and the page area of the main window.
#pragma once

#include "pages/ipage.h"
#include "pages/loading_page.h"
#include "pages/static_from_image.h"
#include "ui/dialog.h"
#include "base/handle.h"

#include <memory>
#include <vector>

class ErrorPage;
class LanguageManager;
class Package;

// Appends the Close item to the system menu unless it is there.
void RestoreCloseItem(HMENU systemMenu);

class CKelvaraDlg : public ui::Dialog {
public:
    // Posted to the host when the loading page has delivered the eligible offers; lParam
    // is a PackageList made with new, which the host takes over (null: no offers).
    static constexpr UINT kLoadCompleteMessage = WM_USER + 3;

    CKelvaraDlg();
    ~CKelvaraDlg() override;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never end the wizard; only the close procedure does.
    void OnOK() override {}
    void OnCancel() override {}
    void OnCommand(int id, int code) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool TakeSingleInstanceMutex();
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnPaint();

    // The page list: the language and loading pages at start-up, the rest once the
    // remote configuration and the offers are known.
    RECT PageRectangle() const;
    void CreatePage(IPage& page, const RECT& rect);
    void CreateAndAddPage(std::unique_ptr<IPage> page, const RECT& rect);
    bool CreateInitialPages();
    void AppendFlowPages(const RECT& rect);
    // The classic variant's pages: its warning before the license page, its option pages
    // after the offers; nothing in other variants.
    void AppendWarningPage(const RECT& rect);
    void AppendClassicPages(const RECT& rect);
    LRESULT OnLoadCompleteMessage(WPARAM wParam, LPARAM lParam);
    void ShowProductHeader();

    void NavigateToPage(unsigned index);
    void OnPageButton(ButtonType button);
    void ShowErrorPage(const std::wstring& title, const std::wstring& text);

    // The close box: asks first where the run is not over, then ends the wizard.
    void OnClose();
    bool ConfirmClose();
    void CleanupWorkingDirectory();

    // Places in the page list: the two pages made at start-up, then the flow's pages.
    static constexpr unsigned kLanguagePage = 0;
    static constexpr unsigned kLoadingPage = 1;
    static constexpr unsigned kFirstFlowPage = 2;  // also the number of start-up pages

    HICON m_hIcon;
    std::vector<std::unique_ptr<IPage>> m_pages;
    unsigned m_currentPage = 0;
    std::unique_ptr<ErrorPage> m_errorPage;
    std::shared_ptr<LanguageManager> m_languageManager;
    bool m_errorShown = false;
    bool m_backgroundWork = false;
    bool m_revisit = false;
    HWND m_title = nullptr;
    CStaticFromImage m_productIcon;
    HWND m_headerLine = nullptr;
    win32::unique_hbrush m_footerBrush;
    HWND m_footer = nullptr;
    PackageList m_packages;
    win32::unique_handle m_instanceMutex;
    bool m_askingToClose = false;  // the close question is open
};
