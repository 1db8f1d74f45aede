// The two members of std::string that the standard exception classes' message helper calls,
// instantiated here for the same reason as in cow_string.cpp: otherwise the linker takes the
// library's whole instantiation of std::string (about 29 KB) for them.
#include <string>

template void std::string::_M_assign(const std::string&);
template std::string::pointer std::string::_M_create(size_type&, size_type);
