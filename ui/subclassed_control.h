// A control window of a dialog whose messages a C++ object handles (window subclassing).
#pragma once

#include <windows.h>

namespace ui {

class SubclassedControl {
public:
    SubclassedControl() = default;
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;
    virtual ~SubclassedControl();

    // Takes over the messages of the control; false when it is already attached or missing.
    bool Attach(HWND control);
    HWND GetSafeHwnd() const { return m_hwnd; }

protected:
    // Return true when handled; otherwise the control's own procedure runs.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void Detach();

    HWND m_hwnd = nullptr;
};

}  // namespace ui
