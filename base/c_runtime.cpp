// The program's formatted output goes through the C runtime's own printf family.
//
// libstdc++ switches MinGW's portable printf on for every translation unit; the JSON
// library then reaches it to escape control characters ("\u%04x"), and with it come the
// C99 floating-point formatter and its number conversion: about 20 KB of the download
// stub for one integer format. This definition takes the place of MinGW's and keeps its
// C99 contract (always terminated, returns the length the whole text needs).
#include <cstdarg>
#include <cstdio>

extern "C" int __cdecl __mingw_vsnprintf(char* buffer, size_t size, const char* format,
                                         va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = _vscprintf(format, copy);
    va_end(copy);
    if (size > 0) {
        _vsnprintf(buffer, size, format, args);
        buffer[size - 1 < static_cast<size_t>(needed) ? size - 1 : static_cast<size_t>(needed)] =
            '\0';
    }
    return needed;
}
