#include "ui/dialog.h"

namespace ui {

Dialog::~Dialog() {
    if (m_hwnd && IsWindow(m_hwnd)) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        if (!m_modal) DestroyWindow(m_hwnd);
    }
}

INT_PTR Dialog::DoModal(HWND parent) {
    m_modal = true;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND parent) {
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                              &Dialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
    if (m_modal) ::EndDialog(m_hwnd, result);
}

void Dialog::CenterWindow() {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT window;
    if (!GetWindowRect(m_hwnd, &window) ||
        !GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return;
    }
    const RECT& area = monitor.rcWork;
    const int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(m_hwnd, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::SetBackgroundColor(COLORREF colour) {
    m_background = colour;
    m_backgroundBrush.reset(CreateSolidBrush(colour));
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, TRUE);
}

HBRUSH Dialog::OnCtlColor(HDC dc, HWND, UINT type) {
    if (!m_backgroundBrush || type == CTLCOLOR_EDIT || type == CTLCOLOR_LISTBOX) return nullptr;
    SetBkColor(dc, m_background);
    SetBkMode(dc, TRANSPARENT);
    return m_backgroundBrush.get();
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        self->m_hwnd = nullptr;
        return FALSE;
    }
    // Exceptions never cross the window procedure: a failed handler is traced and skipped.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
        OutputDebugStringA("\n");
    } catch (...) {
        OutputDebugStringA("unknown exception in a dialog handler\n");
    }
    return FALSE;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                OnOK();
            } else if (id == IDCANCEL) {
                OnCancel();
            } else {
                OnCommand(id, HIWORD(wParam));
            }
            return TRUE;
        }
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            const UINT type = message - WM_CTLCOLORMSGBOX;
            return reinterpret_cast<INT_PTR>(
                OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), type));
        }
        default:
            break;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) return FALSE;
    if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

std::wstring GetWindowTextString(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

void SetWindowTextString(HWND window, const std::wstring& text) {
    SetWindowTextW(window, text.c_str());
}

void ShowControl(HWND window, bool show) { ShowWindow(window, show ? SW_SHOW : SW_HIDE); }

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) != BST_UNCHECKED; }

void SetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

win32::unique_hfont EnlargeFont(HWND control, LONG height, LONG weight) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (!GetObjectW(font ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof description,
                    &description))
        return {};
    description.lfHeight = height;
    description.lfWeight = weight;
    win32::unique_hfont enlarged(CreateFontIndirectW(&description));
    if (enlarged) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(enlarged.get()), TRUE);
    return enlarged;
}

}  // namespace ui
