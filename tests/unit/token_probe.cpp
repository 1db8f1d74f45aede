// Writes the installer token of its own file name (UTF-8) to the file named on its command
// line, so that a test can copy it under different names.
#include "base/encoding.h"
#include "base/system_info.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 1;
    const std::string token = WideToUtf8(InstallerToken());
    std::fwrite(token.data(), 1, token.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
}
