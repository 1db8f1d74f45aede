#include "ui/message_box.h"

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}
}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    if (Hook()) return Hook()(text, caption, flags);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }
