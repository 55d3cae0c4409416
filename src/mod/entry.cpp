// The library's only exported names: the host creates and destroys the mod object here.
#include "mod/tallyglass.hpp"

#ifdef _WIN32
#define TALLYGLASS_EXPORT extern "C" __declspec(dllexport)
#else
#define TALLYGLASS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TALLYGLASS_EXPORT RC::CppUserModBase* start_mod() {
    return new tallyglass::Tallyglass();
}

TALLYGLASS_EXPORT void uninstall_mod(RC::CppUserModBase* mod) {
    delete mod;
}
