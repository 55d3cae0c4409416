// The library's only exported names: the host creates and destroys the mod object here.
#include "mod/tallyglass.hpp"

#ifdef _WIN32
#define TALLYGLASS_EXPORT extern "C" __declspec(dllexport)
#else
#define TALLYGLASS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
// The library holds one mod object. The host starts a mod again for each line of mods.txt that
// enables it and forgets the object it had; handing out the live one keeps a second start from
// reading the settings again, writing a second start-up line and leaking the first object.
tallyglass::Tallyglass* live_mod = nullptr;
} // namespace

TALLYGLASS_EXPORT RC::CppUserModBase* start_mod() {
    if (!live_mod) {
        live_mod = new tallyglass::Tallyglass();
    }
    return live_mod;
}

TALLYGLASS_EXPORT void uninstall_mod(RC::CppUserModBase* mod) {
    // A later start (after a hot reload that kept the library mapped) builds a fresh object.
    if (mod == live_mod) {
        live_mod = nullptr;
    }
    delete mod;
}
