// One owner template for every Win32 handle kind, so each kind is released one way only.
// The two HINTERNET owners appear once <winhttp.h> or <wininet.h> is included before this
// header (the two cannot share a translation unit).
#ifndef KELVARA_BASE_HANDLE_H
#define KELVARA_BASE_HANDLE_H

#include <windows.h>

#include <utility>

namespace win32 {

template <typename T>
T NullValue() {
    return T{};
}
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

// Owns a handle of type T and releases it with Close unless it equals Invalid().
template <typename T, auto Close, T (*Invalid)() = &NullValue<T>>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : m_value(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : m_value(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const { return m_value; }
    explicit operator bool() const { return m_value != Invalid(); }

    T release() { return std::exchange(m_value, Invalid()); }

    void reset(T value = Invalid()) {
        T old = std::exchange(m_value, value);
        if (old != Invalid()) Close(old);
    }

    // Address for out-parameters: releases the current handle first.
    T* put() {
        reset();
        return &m_value;
    }

private:
    T m_value = Invalid();
};

using unique_handle = unique_any<HANDLE, &::CloseHandle>;
using unique_file = unique_any<HANDLE, &::CloseHandle, &InvalidHandleValue>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_hbrush = unique_any<HBRUSH, &::DeleteObject>;
using unique_hfont = unique_any<HFONT, &::DeleteObject>;
using unique_hicon = unique_any<HICON, &::DestroyIcon>;
using unique_hglobal = unique_any<HGLOBAL, &::GlobalFree>;
using unique_find = unique_any<HANDLE, &::FindClose, &InvalidHandleValue>;
using unique_snapshot = unique_file;

// Owns one COM interface pointer.
template <typename I>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ~com_ptr() { reset(); }

    I* get() const { return m_ptr; }
    I* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    void reset() {
        if (m_ptr) std::exchange(m_ptr, nullptr)->Release();
    }
    I** put() {
        reset();
        return &m_ptr;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

private:
    I* m_ptr = nullptr;
};

// Runs a clean-up action when the scope ends.
template <typename F>
class scope_exit {
public:
    explicit scope_exit(F f) : m_f(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() { m_f(); }

private:
    F m_f;
};

}  // namespace win32

#endif  // KELVARA_BASE_HANDLE_H

#if (defined(_WINHTTPX_) || defined(__WINE_WINHTTP_H)) && !defined(KELVARA_BASE_WINHTTP_HANDLE)
#define KELVARA_BASE_WINHTTP_HANDLE
namespace win32 {
using unique_winhttp = unique_any<HINTERNET, &::WinHttpCloseHandle>;
}
#endif

#if defined(_WININET_) && !defined(KELVARA_BASE_WININET_HANDLE)
#define KELVARA_BASE_WININET_HANDLE
namespace win32 {
using unique_wininet = unique_any<HINTERNET, &::InternetCloseHandle>;
}
#endif
