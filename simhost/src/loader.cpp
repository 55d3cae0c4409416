#include <simhost/loader.hpp>

#include <stdexcept>

#include <Mod/CppUserModBase.hpp>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace simhost {
namespace {
void* open_library(const std::filesystem::path& library) {
#ifdef _WIN32
    return reinterpret_cast<void*>(LoadLibraryW(library.c_str()));
#else
    return dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

void* symbol(void* handle, const char* name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

} // namespace

LoadedMod::LoadedMod(const std::filesystem::path& library) {
    handle = open_library(library);
    if (!handle) {
#ifdef _WIN32
        throw std::runtime_error("cannot load " + library.string());
#else
        throw std::runtime_error("cannot load " + library.string() + ": " + dlerror());
#endif
    }
    start_mod = reinterpret_cast<RC::CppUserModBase* (*)()>(symbol(handle, "start_mod"));
    uninstall_mod =
        reinterpret_cast<void (*)(RC::CppUserModBase*)>(symbol(handle, "uninstall_mod"));
    if (!start_mod || !uninstall_mod) {
        throw std::runtime_error(library.string() + " lacks start_mod or uninstall_mod");
    }
}

LoadedMod::~LoadedMod() {
    uninstall();
    // The library stays mapped, as the host keeps its mods: a hook whose removal failed still
    // holds callbacks whose code lives there.
}

RC::CppUserModBase* LoadedMod::start() {
    if (!instance) {
        instance = start_mod();
    }
    return instance;
}

void LoadedMod::unreal_init() {
    if (instance) {
        instance->on_unreal_init();
    }
}

void LoadedMod::uninstall() {
    if (instance) {
        uninstall_mod(instance);
        instance = nullptr;
    }
}
} // namespace simhost
