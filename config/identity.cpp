// The machine and session identifiers of the configuration record.
#include "config/configuration_manager.h"

#include "base/registry_value.h"
#include "base/time.h"

#include <ctime>

namespace {

// The 64-bit view, so that a 32-bit process reads the native value.
std::string ReadMachineGuid() {
    const RawRegistryValue value =
        ReadRawRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", "MachineGuid",
                             KEY_READ | KEY_WOW64_64KEY, 255);
    if (!value.bytes) return {};
    // The text up to its terminator; a value that fills the buffer loses its last byte.
    const std::string text = value.bytes->substr(0, 254);
    return text.substr(0, text.find('\0'));
}

std::string LocalTimestamp() {
    const __time64_t seconds = static_cast<__time64_t>(UnixSecondsNow());
    std::tm local{};
    if (_localtime64_s(&local, &seconds) != 0) return {};
    char text[32] = {};
    return std::strftime(text, sizeof(text), "%Y%m%d%H%M%S", &local) == 14 ? text : "";
}

}  // namespace

std::string ConfigurationManager::GetMachineId() {
    LockGuard lock(m_cacheLock);
    if (m_machineId.empty()) m_machineId = ReadMachineGuid();
    return m_machineId;
}

std::string ConfigurationManager::GetSessionId() {
    LockGuard lock(m_cacheLock);
    if (m_sessionId.empty()) m_sessionId = LocalTimestamp();
    return m_sessionId;
}
