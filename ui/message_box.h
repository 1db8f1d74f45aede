// Message boxes of the program. Tests replace the box with a hook to see what would be shown.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

using MessageBoxHook =
    std::function<int(const std::wstring& text, const std::wstring& caption, UINT flags)>;

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);

// Installs a hook that answers instead of a real box; an empty hook restores real boxes.
void SetMessageBoxHook(MessageBoxHook hook);
