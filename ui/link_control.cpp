#include "ui/link_control.h"

#include "base/text.h"
#include "ui/dialog.h"

#include <commctrl.h>
#include <shellapi.h>

namespace ui {

namespace {
constexpr int kMargin = 1;  // room for the focus rectangle around the text
// The usual link blue; the system's hot-tracking colour is not one everywhere.
constexpr COLORREF kLinkColour = RGB(0, 102, 204);
}  // namespace

bool IsWebAddress(const std::wstring& url) {
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos) return false;
    const std::wstring scheme = ToLower(url.substr(0, colon));
    return scheme == L"http" || scheme == L"https";
}

void OpenUrl(const std::wstring& url) {
    if (IsWebAddress(url)) {
        ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

std::wstring MarkupSafeUrl(const std::wstring& url) {
    std::wstring safe;
    for (wchar_t c : url) {
        if (c == L'<') {
            safe += L"%3C";
        } else if (c == L'>') {
            safe += L"%3E";
        } else if (c == L'"') {
            safe += L"%22";
        } else {
            safe += c;
        }
    }
    return safe;
}

std::wstring MarkupSafeText(const std::wstring& text) {
    std::wstring safe = text;
    for (wchar_t& c : safe) {
        if (c == L'<') c = L'\u2039';
        if (c == L'>') c = L'\u203A';
        if (c == L'"') c = L'\u201D';
    }
    return safe;
}

HFONT LinkControl::UnderlinedFont() {
    auto font = reinterpret_cast<HFONT>(SendMessageW(GetSafeHwnd(), WM_GETFONT, 0, 0));
    if (m_underlined && font == m_underlinedFrom) return m_underlined.get();
    LOGFONTW description{};
    GetObjectW(font ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
    description.lfUnderline = TRUE;
    m_underlined.reset(CreateFontIndirectW(&description));
    m_underlinedFrom = font;
    return m_underlined.get();
}

void LinkControl::SizeToContent() {
    HWND control = GetSafeHwnd();
    if (!control) return;
    const std::wstring text = GetWindowTextString(control);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, UnderlinedFont());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    SetWindowPos(control, nullptr, 0, 0, size.cx + 2 * kMargin, size.cy + 2 * kMargin,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LinkControl::Paint() {
    HWND control = GetSafeHwnd();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT client;
    GetClientRect(control, &client);
    // The page's own background, as for any other static.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, UnderlinedFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLinkColour);
    const std::wstring text = GetWindowTextString(control);
    RECT textArea = client;
    InflateRect(&textArea, -kMargin, -kMargin);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    if (GetFocus() == control) DrawFocusRect(dc, &client);
    SelectObject(dc, old);
    EndPaint(control, &paint);
}

bool LinkControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return true;
        case WM_SETTEXT:
            // The static draws new text at once in its own way; paint it as a link again.
            result = DefSubclassProc(GetSafeHwnd(), message, wParam, lParam);
            InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
            return true;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        case WM_LBUTTONUP:
            OpenUrl(m_url);
            return false;
        case WM_KEYUP:
            if (wParam == VK_SPACE) OpenUrl(m_url);
            return false;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
            return false;
        default:
            return false;
    }
}

}  // namespace ui
