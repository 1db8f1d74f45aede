// Process-wide services: created once, on first use, through the Windows one-time
// initialisation, and never destroyed before exit.
#pragma once

#include <windows.h>

#include <memory>

template <typename T>
class ProcessWide {
public:
    static std::shared_ptr<T> Get() {
        InitOnceExecuteOnce(&s_once, &Create, nullptr, nullptr);
        return *s_instance;
    }

private:
    static BOOL CALLBACK Create(PINIT_ONCE, PVOID, PVOID*) {
        // Never deleted: the service outlives every static destructor.
        s_instance = new std::shared_ptr<T>(new T());
        return TRUE;
    }

    static inline INIT_ONCE s_once = INIT_ONCE_STATIC_INIT;
    static inline std::shared_ptr<T>* s_instance = nullptr;
};
