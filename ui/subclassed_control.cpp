#include "ui/subclassed_control.h"

#include <commctrl.h>

#include <exception>

namespace ui {

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND control) {
    if (m_hwnd || !control) return false;
    if (!SetWindowSubclass(control, &SubclassedControl::Procedure, 1,
                           reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hwnd = control;
    return true;
}

void SubclassedControl::Detach() {
    if (m_hwnd && IsWindow(m_hwnd)) RemoveWindowSubclass(m_hwnd, &SubclassedControl::Procedure, 1);
    m_hwnd = nullptr;
}

LRESULT CALLBACK SubclassedControl::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SubclassedControl*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &SubclassedControl::Procedure, 1);
        self->m_hwnd = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        if (self->OnMessage(message, wParam, lParam, result)) return result;
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
    } catch (...) {
        // Nothing may cross the window procedure; the control goes on as if unhandled.
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace ui
