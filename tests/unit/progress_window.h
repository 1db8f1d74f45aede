// A message-only window that records the download messages posted to it, for the tests
// of the download engine.
#pragma once

#include "base/thread.h"
#include "net/download_manager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

// Records the download messages posted to its window.
class ProgressWindow {
public:
    using Message = std::pair<UINT, WPARAM>;

    ProgressWindow() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KelvaraProgressProbe";
        RegisterClassW(&windowClass);  // fails harmlessly when already registered
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressWindow() { DestroyWindow(m_window); }

    HWND get() const { return m_window; }
    void Clear() { m_messages.clear(); }

    // Runs the messages until done() holds (or 60 s pass).
    template <typename Done>
    void PumpUntil(Done done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done() && std::chrono::steady_clock::now() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            Pump();
        }
        Pump();
    }

    // Runs the messages until the thread ends (or 60 s pass), then waits for it.
    void Wait(Thread& thread) {
        ASSERT_TRUE(thread.Started());
        PumpUntil([&] { return thread.Wait(0); });
        thread.Wait();
    }

    std::vector<WPARAM> Percentages() const {
        std::vector<WPARAM> result;
        for (const auto& [message, percent] : m_messages) {
            if (message == WM_DOWNLOAD_PROGRESS) result.push_back(percent);
        }
        return result;
    }
    size_t SizeUnknownCount() const {
        size_t count = 0;
        for (const auto& message : m_messages) count += message.first == WM_DOWNLOAD_SIZE_UNKNOWN;
        return count;
    }

private:
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == WM_DOWNLOAD_PROGRESS || message == WM_DOWNLOAD_SIZE_UNKNOWN)) {
            EXPECT_EQ(lParam, 0);
            self->m_messages.emplace_back(message, wParam);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    std::vector<Message> m_messages;
};
