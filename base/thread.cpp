#include "base/thread.h"

#include <memory>
#include <new>

namespace {

DWORD WINAPI ThreadEntry(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(
        static_cast<std::function<void()>*>(parameter));
    try {
        (*work)();
    } catch (...) {
        // Nothing may leave a thread: the work reports its own outcome.
    }
    return 0;
}

}  // namespace

HANDLE LaunchThread(std::function<void()>&& work) {
    auto* parameter = new (std::nothrow) std::function<void()>(std::move(work));
    if (!parameter) return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, &ThreadEntry, parameter, 0, nullptr);
    if (!thread) delete parameter;
    return thread;
}

bool StartThread(std::function<void()> work) {
    // Not joined: the handle is only closed.
    return static_cast<bool>(win32::unique_handle(LaunchThread(std::move(work))));
}
