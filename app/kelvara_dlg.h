// The wizard host: header, footer band and the page area of the main window.
#pragma once

#include "pages/static_from_image.h"
#include "ui/dialog.h"
#include "ui/handle.h"

#include <memory>
#include <vector>

class LanguageManager;
class IPage;
class Package;

class CKelvaraDlg : public ui::Dialog {
public:
    CKelvaraDlg();
    ~CKelvaraDlg() override;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never end the wizard; only the close procedure does.
    void OnOK() override {}
    void OnCancel() override {}
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool TakeSingleInstanceMutex();
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnPaint();

    HICON m_hIcon;
    std::vector<std::unique_ptr<IPage>> m_pages;
    unsigned m_currentPage = 0;
    std::shared_ptr<LanguageManager> m_languageManager;
    bool m_errorShown = false;
    bool m_backgroundWork = false;
    bool m_revisit = false;
    HWND m_title = nullptr;
    CStaticFromImage m_productIcon;
    HWND m_headerLine = nullptr;
    win32::unique_hbrush m_footerBrush;
    HWND m_footer = nullptr;
    std::vector<std::shared_ptr<Package>> m_packages;
    win32::unique_handle m_instanceMutex;
};
