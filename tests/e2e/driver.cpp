// Drives the wizard from outside, as a person would: finds its windows, reads what they
// show, presses buttons, picks combo entries and answers message boxes.
// Usage: driver <command> [arguments]; prints JSON lines; exit 0 on success, 1 otherwise.
//   wait <title> [ms]             wait for a visible top-level window with this title
//   gone <title> [ms]             wait until no such window is left
//   controls <title>              one line per visible control: id, class, text
//   text <title> <id>             text of the visible control with this id
//   click <title> <id>            click the visible button with this id
//   select <title> <id> <index>   select a combo entry and notify the dialog
//   key <title> enter|escape      press the key in the control that has the focus; prints it
//   sysmenu <title> <key>...      open the system menu as Alt+Space does and press the keys
//                                 (up, down, home, end, enter, escape or a letter); it must close
//   syscommand <title> <number>   post a system-menu command (0xF060 closes)
//   command <title> <id>          post a command (a click notification) to the window
//   msgbox [ms]                   wait for a message box; prints its caption and text
//   answer <button id> [ms]       press a button of the message box (1 OK, 2 Cancel)
//   rect <title>                  window rectangle on the screen
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? length - 1 : 0, '\0');
    if (length > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), length, nullptr, nullptr);
    return result;
}

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (unsigned char c : Narrow(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[4096] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &length);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

struct Search {
    std::wstring title;
    HWND found = nullptr;
};

// The caption of a window of another process, read without sending it a message (a
// window still starting up would make the search wait).
std::wstring CaptionOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

BOOL CALLBACK MatchTitle(HWND window, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    if (IsWindowVisible(window) && CaptionOf(window) == s->title) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(const std::wstring& title) {
    Search search{title};
    EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopLevel(const std::wstring& title, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindTopLevel(title)) return window;
        if (GetTickCount() - start > ms) return nullptr;
        Sleep(50);
    }
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM data) {
    if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleControls(HWND top) {
    std::vector<HWND> controls;
    EnumChildWindows(top, &CollectVisible, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

HWND VisibleControl(HWND top, int id) {
    for (HWND control : VisibleControls(top)) {
        if (GetDlgCtrlID(control) == id && ClassOf(control) != L"#32770") return control;
    }
    return nullptr;
}

// A message box: a dialog with the static text control 0xFFFF.
BOOL CALLBACK MatchMessageBox(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770" && GetDlgItem(window, 0xFFFF)) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMessageBox() {
    HWND found = nullptr;
    EnumWindows(&MatchMessageBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitMessageBox(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = FindMessageBox()) return box;
        if (GetTickCount() - start > ms) return nullptr;
        Sleep(50);
    }
}

// The control with the keyboard focus in the window's thread, when it lies in the window.
HWND FocusedControl(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus == top || IsChild(top, info.hwndFocus) ? info.hwndFocus : nullptr;
}

// A key pressed and released as the keyboard reports it to the window with the focus.
void PressKey(HWND window, UINT key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, key, scan | 1);
    PostMessageW(window, WM_KEYUP, key, scan | static_cast<LPARAM>(0xC0000001));
}

UINT MenuKey(const std::wstring& name) {
    if (name == L"up") return VK_UP;
    if (name == L"down") return VK_DOWN;
    if (name == L"home") return VK_HOME;
    if (name == L"end") return VK_END;
    if (name == L"enter") return VK_RETURN;
    if (name == L"escape") return VK_ESCAPE;
    return name.empty() ? 0 : LOBYTE(VkKeyScanW(name[0]));
}

// An open popup menu (class #32768) of the window's thread.
BOOL CALLBACK MatchMenu(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32768") {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

HWND OpenMenu(HWND top) {
    HWND menu = nullptr;
    EnumThreadWindows(GetWindowThreadProcessId(top, nullptr), &MatchMenu,
                      reinterpret_cast<LPARAM>(&menu));
    return menu;
}

bool WaitMenu(HWND top, bool open, DWORD ms) {
    const DWORD start = GetTickCount();
    while ((OpenMenu(top) != nullptr) != open) {
        if (GetTickCount() - start > ms) return false;
        Sleep(50);
    }
    return true;
}

int Fail(const char* what) {
    std::printf("{\"error\": \"%s\"}\n", what);
    return 1;
}

int Run(const std::vector<std::wstring>& args) {
    if (args.empty()) return Fail("no command");
    const std::wstring& command = args[0];
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::wstring(); };
    auto number = [&](size_t i, long fallback) {
        return i < args.size() ? std::wcstol(args[i].c_str(), nullptr, 0) : fallback;
    };

    if (command == L"msgbox") {
        HWND box = WaitMessageBox(static_cast<DWORD>(number(1, 5000)));
        if (!box) return Fail("no message box");
        std::printf("{\"caption\": %s, \"text\": %s}\n", Json(CaptionOf(box)).c_str(),
                    Json(TextOf(GetDlgItem(box, 0xFFFF))).c_str());
        return 0;
    }
    if (command == L"answer") {
        HWND box = WaitMessageBox(static_cast<DWORD>(number(2, 5000)));
        if (!box) return Fail("no message box");
        const int id = static_cast<int>(number(1, IDOK));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
        return 0;
    }
    if (command == L"load") {
        // Loads a DLL by bare name with the default search, as a program that does not
        // limit it would: the tests' proof that a planted DLL would be found.
        if (!LoadLibraryW(arg(1).c_str())) return Fail("not loaded");
        return 0;
    }
    if (command == L"gone") {
        const DWORD start = GetTickCount(), ms = static_cast<DWORD>(number(2, 5000));
        while (FindTopLevel(arg(1))) {
            if (GetTickCount() - start > ms) return Fail("window still there");
            Sleep(50);
        }
        return 0;
    }

    HWND top =
        WaitTopLevel(arg(1), command == L"wait" ? static_cast<DWORD>(number(2, 10000)) : 2000);
    if (!top) return Fail("window not found");

    if (command == L"wait") {
        std::printf("{\"hwnd\": %lu}\n",
                    static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(top)));
        return 0;
    }
    if (command == L"controls") {
        for (HWND control : VisibleControls(top)) {
            std::printf("{\"id\": %d, \"class\": %s, \"text\": %s}\n", GetDlgCtrlID(control),
                        Json(ClassOf(control)).c_str(), Json(TextOf(control)).c_str());
        }
        return 0;
    }
    if (command == L"text") {
        HWND control = VisibleControl(top, static_cast<int>(number(2, 0)));
        if (!control) return Fail("control not found");
        std::printf("{\"text\": %s}\n", Json(TextOf(control)).c_str());
        return 0;
    }
    if (command == L"click") {
        HWND control = VisibleControl(top, static_cast<int>(number(2, 0)));
        if (!control) return Fail("control not found");
        // What a click amounts to: check boxes and radio buttons change state, then the
        // dialog hears of it. (BM_CLICK depends on mouse capture, unreliable across processes.)
        const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX) {
            const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
            SendMessageW(control, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
        } else if (type == BS_AUTORADIOBUTTON) {
            SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
            for (HWND other = control;;) {
                other = GetNextDlgGroupItem(GetParent(control), other, FALSE);
                if (!other || other == control) break;
                if ((GetWindowLongW(other, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
                    SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
                }
            }
        }
        PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (command == L"select") {
        const int id = static_cast<int>(number(2, 0));
        HWND control = VisibleControl(top, id);
        if (!control) return Fail("control not found");
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(number(3, 0)), 0);
        PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (command == L"key") {
        // The dialog's message loop sees the key on its way to the focused control.
        HWND focus = FocusedControl(top);
        if (!focus) return Fail("no focus in the window");
        PressKey(focus, arg(2) == L"escape" ? VK_ESCAPE : VK_RETURN);
        std::printf("{\"focus\": %d, \"class\": %s}\n", GetDlgCtrlID(focus),
                    Json(ClassOf(focus)).c_str());
        return 0;
    }
    if (command == L"sysmenu") {
        // Wine hands no other process a window's menu: the items are reached with the keys.
        PostMessageW(top, WM_SYSCOMMAND, SC_KEYMENU, L' ');
        if (!WaitMenu(top, true, 3000)) return Fail("the system menu did not open");
        for (size_t i = 2; i < args.size(); ++i) PressKey(top, MenuKey(args[i]));
        if (!WaitMenu(top, false, 1500)) {
            PressKey(top, VK_ESCAPE);
            PressKey(top, VK_ESCAPE);
            return Fail("the system menu is still open");
        }
        std::printf("{\"menu\": \"closed\"}\n");
        return 0;
    }
    if (command == L"syscommand") {
        PostMessageW(top, WM_SYSCOMMAND, static_cast<WPARAM>(number(2, SC_CLOSE)), 0);
        return 0;
    }
    if (command == L"command") {
        PostMessageW(top, WM_COMMAND, MAKEWPARAM(number(2, 0), BN_CLICKED), 0);
        return 0;
    }
    if (command == L"checked") {
        HWND control = VisibleControl(top, static_cast<int>(number(2, 0)));
        if (!control) return Fail("control not found");
        const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        std::printf("{\"checked\": %s}\n", checked ? "true" : "false");
        return 0;
    }
    if (command == L"post") {
        PostMessageW(top, static_cast<UINT>(number(2, 0)), static_cast<WPARAM>(number(3, 0)),
                     static_cast<LPARAM>(number(4, 0)));
        return 0;
    }
    if (command == L"progress") {
        HWND bar = VisibleControl(top, static_cast<int>(number(2, 0)));
        if (!bar) return Fail("control not found");
        const bool marquee = (GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
        std::printf("{\"position\": %ld, \"marquee\": %s}\n",
                    static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0)),
                    marquee ? "true" : "false");
        return 0;
    }
    // Posts to the page that holds the visible control.
    if (command == L"postpage") {
        HWND control = VisibleControl(top, static_cast<int>(number(2, 0)));
        if (!control) return Fail("control not found");
        PostMessageW(GetParent(control), static_cast<UINT>(number(3, 0)),
                     static_cast<WPARAM>(number(4, 0)), static_cast<LPARAM>(number(5, 0)));
        return 0;
    }
    if (command == L"rect") {
        RECT r;
        GetWindowRect(top, &r);
        std::printf("{\"left\": %ld, \"top\": %ld, \"right\": %ld, \"bottom\": %ld}\n", r.left,
                    r.top, r.right, r.bottom);
        return 0;
    }
    return Fail("unknown command");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    const int code = Run(args);
    std::fflush(stdout);
    return code;
}
