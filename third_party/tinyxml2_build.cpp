// Builds tinyxml2 over the C runtime's own printf and scanf family. libstdc++ turns on
// MinGW's portable implementations, which would add about 60 KB to the program for
// number formatting the locale documents never need.
#include <cstdarg>
#include <cstdio>

namespace {
int TerminatedSnprintf(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = _vsnprintf(buffer, size, format, args);
    va_end(args);
    if (size > 0) buffer[size - 1] = '\0';
    return result;
}
}  // namespace

#define snprintf TerminatedSnprintf
#define vsnprintf _vsnprintf
#define sscanf __ms_sscanf
#define vfprintf __ms_vfprintf
#define printf __ms_printf
#include "tinyxml2.cpp"
