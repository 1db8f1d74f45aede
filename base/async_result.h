// The result of work that runs on a thread of its own, for an owner that polls it (from a
// window timer) instead of waiting.
#pragma once

#include "base/thread.h"

#include <utility>

template <typename T>
class AsyncResult {
public:
    // work() gives the result; failed is the result when no thread could be started or work
    // threw.
    template <typename Work>
    AsyncResult(Work work, T failed)
        : m_result(std::move(failed)),
          m_thread([this, work = std::move(work)] { m_result = work(); }) {}
    AsyncResult(const AsyncResult&) = delete;
    AsyncResult& operator=(const AsyncResult&) = delete;
    // Waits for the work to end: it writes into this object.
    ~AsyncResult() = default;

    bool Ready() { return m_thread.Wait(0); }
    // The result, once the work has ended (waits for it).
    const T& Get() {
        m_thread.Wait();
        return m_result;
    }

private:
    T m_result;
    Thread m_thread;  // declared last: it ends before m_result goes
};
