// Mod libraries that go wrong in the ways the host's loader must handle: ODD_NO_UNINSTALL exports
// start_mod without uninstall_mod, ODD_THROWING_START has a start_mod that throws a standard
// exception, ODD_NULL_START one that gives no mod object.
#include <stdexcept>

#ifdef _WIN32
#define ODD_EXPORT extern "C" __declspec(dllexport)
#else
#define ODD_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace RC {
class CppUserModBase;
}

ODD_EXPORT RC::CppUserModBase* start_mod() {
#ifdef ODD_THROWING_START
    throw std::runtime_error("no game data found");
#else
    return nullptr;
#endif
}

#ifndef ODD_NO_UNINSTALL
ODD_EXPORT void uninstall_mod(RC::CppUserModBase*) {}
#endif
