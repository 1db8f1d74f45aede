// The standard exception classes' constructors and copies, as the library defines them, on the
// message-string members of cow_string.cpp: the library's own object for them would bring
// every other constructor variant with it.
#define _GLIBCXX_USE_CXX11_ABI 0
#define _GLIBCXX_DEFINE_STDEXCEPT_COPY_OPS 1
#include <stdexcept>

namespace std {

logic_error::logic_error(const char* what) : exception(), _M_msg(what) {}
logic_error::logic_error(const logic_error&) noexcept = default;
logic_error& logic_error::operator=(const logic_error&) noexcept = default;
logic_error::logic_error(logic_error&&) noexcept = default;
logic_error& logic_error::operator=(logic_error&&) noexcept = default;

runtime_error::runtime_error(const char* what) : exception(), _M_msg(what) {}
runtime_error::runtime_error(const runtime_error&) noexcept = default;
runtime_error& runtime_error::operator=(const runtime_error&) noexcept = default;
runtime_error::runtime_error(runtime_error&&) noexcept = default;
runtime_error& runtime_error::operator=(runtime_error&&) noexcept = default;

domain_error::domain_error(const char* what) : logic_error(what) {}
invalid_argument::invalid_argument(const char* what) : logic_error(what) {}
length_error::length_error(const char* what) : logic_error(what) {}
out_of_range::out_of_range(const char* what) : logic_error(what) {}
range_error::range_error(const char* what) : runtime_error(what) {}
overflow_error::overflow_error(const char* what) : runtime_error(what) {}
underflow_error::underflow_error(const char* what) : runtime_error(what) {}

}  // namespace std
