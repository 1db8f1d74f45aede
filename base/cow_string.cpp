// The standard exception classes keep their message in the old copy-on-write string. The
// library's instantiation of that string (and the random-device code that comes with it)
// would add about 60 KB to the download stub for the handful of members those classes
// call; these are they, instantiated here, so the linker never needs the library's whole
// instantiation.
#define _GLIBCXX_USE_CXX11_ABI 0
#include <string>

template void std::string::swap(std::string&);
template std::string& std::string::assign(const std::string&);
template char* std::string::_S_construct(size_type, char, const allocator_type&);
template void std::string::_Rep::_M_destroy(const allocator_type&);
template void std::string::_Rep::_M_dispose(const allocator_type&);
template char* std::string::_Rep::_M_clone(const allocator_type&, size_type);
template std::string::_Rep* std::string::_Rep::_S_create(size_type, size_type,
                                                         const allocator_type&);
