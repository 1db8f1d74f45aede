// GoogleTest's customisation header, on the include path before its own (empty) one where
// the standard library has no std::mutex (MinGW's win32 thread model). GoogleTest's own
// Notification needs std::mutex and std::condition_variable; this one provides it on the
// Win32 primitives, and GTEST_HAS_NOTIFICATION_ tells GoogleTest it is already there.
// Everything else of GoogleTest's threading is Win32 already.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets a controller thread hold newly created threads until it notifies them.
class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() {
        AcquireSRWLockExclusive(&m_lock);
        m_notified = true;
        ReleaseSRWLockExclusive(&m_lock);
        WakeAllConditionVariable(&m_changed);
    }

    void WaitForNotification() {
        AcquireSRWLockExclusive(&m_lock);
        while (!m_notified) SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
        ReleaseSRWLockExclusive(&m_lock);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    bool m_notified = false;
};

}  // namespace internal
}  // namespace testing

#endif  // GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
