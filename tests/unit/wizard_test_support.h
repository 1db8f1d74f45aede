// Helpers of the tests that create real wizard windows: the libraries the program starts,
// programs that record how they were started, and screenshots of a window.
#pragma once

#include "pages/static_from_image.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <tlhelp32.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace wizard_test {

// What the application object starts before the wizard runs.
class WindowsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_LINK_CLASS};
        InitCommonControlsEx(&controls);
        LoadLibraryW(L"Msftedit.dll");
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override {
        Gdiplus::GdiplusShutdown(m_token);
        CoUninitialize();
    }

private:
    ULONG_PTR m_token = 0;
};

inline std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

inline std::wstring TempFolder() {
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    return path;
}

// Handles the window messages that are waiting, then lets the display catch up.
inline void Pump(DWORD ms = 0) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (ms) Sleep(10);
    } while (GetTickCount() - start < ms);
}

// The test installer program records each start in a log named by KELVARA_INSTALLER_LOG,
// one JSON line per start; copies of it stand in for the programs the wizard starts.
class StartRecorder {
public:
    StartRecorder()
        : m_log(TempFolder() + L"kelvara_starts_" + std::to_wstring(GetCurrentProcessId()) +
                L".jsonl") {
        DeleteFileW(m_log.c_str());
        SetEnvironmentVariableW(L"KELVARA_INSTALLER_LOG", m_log.c_str());
    }
    ~StartRecorder() {
        DeleteFileW(m_log.c_str());
        SetEnvironmentVariableW(L"KELVARA_INSTALLER_LOG", nullptr);
    }

    // Copies the recording program to path (its folder is made first).
    static void Place(const std::wstring& path) {
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(
            CopyFileW((ModuleFolder() + L"\\test_installer.exe").c_str(), path.c_str(), FALSE));
    }

    // The starts recorded so far, waiting up to ms for at least `count` of them.
    std::vector<nlohmann::json> Starts(size_t count = 1, DWORD ms = 10000) const {
        const DWORD start = GetTickCount();
        for (;;) {
            std::vector<nlohmann::json> starts;
            std::ifstream file(m_log.c_str());
            for (std::string line; std::getline(file, line);) {
                if (!line.empty()) starts.push_back(nlohmann::json::parse(line));
            }
            if (starts.size() >= count || GetTickCount() - start > ms) return starts;
            Sleep(50);
        }
    }

private:
    std::wstring m_log;
};

// The ids of the running explorer.exe processes.
inline std::set<DWORD> ExplorerProcesses() {
    std::set<DWORD> result;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"explorer.exe") == 0) result.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return result;
}

// Waits a while for the explorer.exe processes that were not running before to end, then
// ends those still running.
inline void EndExplorersStartedSince(const std::set<DWORD>& before) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(100)) {
        const auto running = ExplorerProcesses();
        if (std::includes(before.begin(), before.end(), running.begin(), running.end())) return;
    }
    for (DWORD id : ExplorerProcesses()) {
        if (before.count(id)) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (!process) continue;
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}

// Waits up to ms for a visible top-level window with this title and window class.
inline HWND WaitForWindow(const std::wstring& title, const std::wstring& windowClass, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(100)) {
        HWND window = FindWindowW(windowClass.c_str(), title.c_str());
        if (window && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

inline std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

// Saves what the screen shows of window as <build>/screenshots/<name>.png.
inline void SaveScreenshot(HWND window, const std::string& name) {
    const char* build = std::getenv("KELVARA_BUILD");
    if (!build) return;
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(300);
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    std::wstring folder = L"Z:" + std::wstring(build, build + std::strlen(build)) + L"/screenshots";
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + std::wstring(name.begin(), name.end()) + L".png";
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    Gdiplus::Bitmap image(bitmap, nullptr);
    EXPECT_EQ(image.Save(path.c_str(), &png, nullptr), Gdiplus::Ok) << name;

    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace wizard_test
