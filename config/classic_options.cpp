#include "config/classic_options.h"

std::wstring ClassicOptionString(const std::array<bool, 3>& options,
                                 const std::array<bool, 5>& configurations) {
    auto digit = [](bool set) { return set ? L'1' : L'0'; };
    const auto& c = configurations;
    const auto& o = options;
    return {digit(c[2]), digit(c[3]), digit(c[0]), L'0', L'0',        digit(c[1]),
            L'0',        L'1',        L'0',        L'1', digit(c[4]), digit(c[2]),
            digit(o[1]), digit(o[2]), digit(o[0]), L'0'};
}

std::wstring ClassicInstallerArguments(const std::array<bool, 3>& options,
                                       const std::array<bool, 5>& configurations) {
    return L"/S /FORCEINSTALL " + ClassicOptionString(options, configurations);
}
