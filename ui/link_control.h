// A static control shown as a hyperlink that opens its address in the default browser.
#pragma once

#include "base/handle.h"
#include "ui/subclassed_control.h"

#include <string>

namespace ui {

// Whether url is an http: or https: address (the scheme in any letter case).
bool IsWebAddress(const std::wstring& url);

// Opens a web address in the user's default browser. Anything else (a program, a file:
// address, an empty text) opens nothing: the wizard runs with administrator rights, and
// the addresses come from the remote configuration.
void OpenUrl(const std::wstring& url);

// A value as it may stand in link markup, unable to add markup of its own: in an address
// '<', '>' and '"' are percent-encoded; in a text they become the look-alikes U+2039,
// U+203A and U+201D.
std::wstring MarkupSafeUrl(const std::wstring& url);
std::wstring MarkupSafeText(const std::wstring& text);

// Underlined text in the link colour with a hand cursor. A click, or Space while the
// control has the focus, opens its address. The template control is a static with
// SS_NOTIFY (so it hears the mouse) and WS_TABSTOP.
class LinkControl : public SubclassedControl {
public:
    void SetUrl(std::wstring url) { m_url = std::move(url); }
    const std::wstring& GetUrl() const { return m_url; }

    // Resizes the control to its text in its own font; the position stays.
    void SizeToContent();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();
    HFONT UnderlinedFont();

    std::wstring m_url;
    win32::unique_hfont m_underlined;
    HFONT m_underlinedFrom = nullptr;  // the control font m_underlined was made from
};

}  // namespace ui
