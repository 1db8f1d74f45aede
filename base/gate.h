// Work that must not start after a point of no return: while the gate is open, work runs
// under its lock; closing waits for work under way and turns all later work away.
#pragma once

#include "base/thread.h"

#include <utility>

class Gate {
public:
    Gate() = default;
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    // Runs work unless the gate is closed; true when it ran.
    template <typename Work>
    bool RunWhileOpen(Work&& work) {
        LockGuard lock(m_lock);
        if (m_closed) return false;
        std::forward<Work>(work)();
        return true;
    }
    // Runs work under the lock whether the gate is open or not.
    template <typename Work>
    void RunLocked(Work&& work) {
        LockGuard lock(m_lock);
        std::forward<Work>(work)();
    }
    void Close() {
        LockGuard lock(m_lock);
        m_closed = true;
    }
    // A new wizard in the same process (the tests run several).
    void Open() {
        LockGuard lock(m_lock);
        m_closed = false;
    }

private:
    Lock m_lock;
    bool m_closed = false;
};

// The gate of GDI+ work on worker threads (decoding downloaded pictures): the host closes
// it when the wizard closes, before the images are released and GDI+ shuts down.
inline Gate& GdiplusGate() {
    static Gate gate;
    return gate;
}
