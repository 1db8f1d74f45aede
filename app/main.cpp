#include "app/kelvara_app.h"
#include "base/dll_search.h"

#include <cstdlib>

// The default terminate handler prints a demangled exception name, which links the whole
// demangler into this download stub; ending at once is all the program needs.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before any DLL beyond the protected system ones is loaded.
    LimitDllSearchToSystem32();
    CKelvaraApp app;
    return app.Run();
}
