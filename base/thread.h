// Threads, locks and condition variables on the Win32 primitives, so that no threading
// library is linked into the program.
#pragma once

#include "base/handle.h"

#include <windows.h>

#include <functional>

// A slim reader/writer lock taken exclusively.
class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void Acquire() { AcquireSRWLockExclusive(&m_lock); }
    void Release() { ReleaseSRWLockExclusive(&m_lock); }
    SRWLOCK* Native() { return &m_lock; }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

// Holds the lock for the scope.
class LockGuard {
public:
    explicit LockGuard(Lock& lock) : m_lock(lock) { m_lock.Acquire(); }
    ~LockGuard() { m_lock.Release(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& m_lock;
};

class ConditionVariable {
public:
    ConditionVariable() = default;
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;

    // Waits, with the lock held by the caller, until done() holds.
    template <typename Predicate>
    void Wait(Lock& lock, Predicate done) {
        while (!done()) SleepConditionVariableSRW(&m_condition, lock.Native(), INFINITE, 0);
    }
    void NotifyAll() { WakeAllConditionVariable(&m_condition); }

private:
    CONDITION_VARIABLE m_condition = CONDITION_VARIABLE_INIT;
};

// Runs work on a new thread of its own; anything work throws ends there. False when no
// thread could be started, in which case work has not run.
bool StartThread(std::function<void()> work);

// Runs work on a new thread and gives its handle to the caller, or null when no thread
// could be started (work has then not run). Anything work throws ends there.
HANDLE LaunchThread(std::function<void()>&& work);

// Runs work on a new thread that this object owns; the destructor waits for it to end.
// Inline, so that programs which never use it carry none of it.
class Thread {
public:
    explicit Thread(std::function<void()> work) : m_thread(LaunchThread(std::move(work))) {}
    ~Thread() { Wait(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when no thread could be started, in which case work has not run.
    bool Started() const { return static_cast<bool>(m_thread); }
    // Waits up to milliseconds; true once the thread has ended (at once without a thread).
    bool Wait(DWORD milliseconds = INFINITE) {
        return !m_thread || WaitForSingleObject(m_thread.get(), milliseconds) == WAIT_OBJECT_0;
    }

private:
    win32::unique_handle m_thread;
};
