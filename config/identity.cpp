// The machine and session identifiers of the configuration record.
#include "config/configuration_manager.h"

#include "ui/handle.h"

#include <ctime>

namespace {

std::string ReadMachineGuid() {
    win32::unique_hkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", 0, KEY_READ | KEY_WOW64_64KEY,
                      key.put()) != ERROR_SUCCESS) {
        return {};
    }
    char buffer[255] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key.get(), "MachineGuid", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    buffer[size < sizeof(buffer) ? size : sizeof(buffer) - 1] = '\0';
    return buffer;
}

std::string LocalTimestamp() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const __time64_t seconds = static_cast<__time64_t>(ticks / 10000000ULL - 11644473600ULL);
    std::tm local{};
    if (_localtime64_s(&local, &seconds) != 0) return {};
    char text[32] = {};
    return std::strftime(text, sizeof(text), "%Y%m%d%H%M%S", &local) == 14 ? text : "";
}

}  // namespace

std::string ConfigurationManager::GetMachineId() {
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    if (m_machineId.empty()) m_machineId = ReadMachineGuid();
    return m_machineId;
}

std::string ConfigurationManager::GetSessionId() {
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    if (m_sessionId.empty()) m_sessionId = LocalTimestamp();
    return m_sessionId;
}
