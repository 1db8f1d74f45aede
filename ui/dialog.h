// The thin dialog layer: a dialog created from a template (modal or modeless child) that
// keeps `this` in the window and dispatches messages to virtual handlers.
#pragma once

#include "base/handle.h"

#include <windows.h>

#include <string>

namespace ui {

class Dialog {
public:
    explicit Dialog(UINT templateId) : m_templateId(templateId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally and returns the code given to EndDialog.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog as a modeless window (hidden unless the template says visible).
    bool Create(HWND parent);

    HWND GetSafeHwnd() const { return m_hwnd; }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    void EndDialog(INT_PTR result);

    // Centres the window on the work area of its monitor.
    void CenterWindow();

    // Background of the dialog and of its static and button controls.
    void SetBackgroundColor(COLORREF colour);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    // Any other message; return true when handled, with result as the message's result.
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
    COLORREF m_background = CLR_INVALID;
    win32::unique_hbrush m_backgroundBrush;
};

// Small helpers over control windows.
std::wstring GetWindowTextString(HWND window);
void SetWindowTextString(HWND window, const std::wstring& text);
void ShowControl(HWND window, bool show);
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);
// A copy of the control's font (the default GUI font when it has none) with this height and
// weight, set on the control; null when it could not be made.
win32::unique_hfont EnlargeFont(HWND control, LONG height, LONG weight);

}  // namespace ui
