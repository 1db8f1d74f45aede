// Process-wide services: created once, on first use, through the Windows one-time
// initialisation, and never destroyed before exit.
#pragma once

#include <windows.h>

#include <memory>
#include <new>

template <typename T>
class ProcessWide {
public:
    // The object; throws std::bad_alloc when it could not be made (a later call tries again).
    static std::shared_ptr<T> Get() {
        if (!InitOnceExecuteOnce(&s_once, &Create, nullptr, nullptr)) throw std::bad_alloc();
        return *s_instance;
    }

private:
    static BOOL CALLBACK Create(PINIT_ONCE, PVOID, PVOID*) {
        // Nothing may cross the system's call; a failure leaves the once open for a retry.
        try {
            // Never deleted: the service outlives every static destructor.
            s_instance = new std::shared_ptr<T>(new T());
            return TRUE;
        } catch (...) {
            return FALSE;
        }
    }

    static inline INIT_ONCE s_once = INIT_ONCE_STATIC_INIT;
    static inline std::shared_ptr<T>* s_instance = nullptr;
};
