// The main installer's switches in the classic variant, from the choices of its option pages.
#pragma once

#include <array>
#include <string>

// Sixteen digits, "1" for a checked box, with fixed digits between them (the main
// installer reads them by position).
std::wstring ClassicOptionString(const std::array<bool, 3>& options,
                                 const std::array<bool, 5>& configurations);

// "/S /FORCEINSTALL " followed by the option string.
std::wstring ClassicInstallerArguments(const std::array<bool, 3>& options,
                                       const std::array<bool, 5>& configurations);
