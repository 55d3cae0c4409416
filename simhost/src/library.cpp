#include "library.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace simhost::detail {
#ifdef _WIN32
Library::Library(const std::filesystem::path& dlls) {
    // As UE4SS: the dlls folder joins the search path, so a mod may bring libraries of its own.
    search_cookie = AddDllDirectory(dlls.c_str());
    const auto main = dlls / L"main.dll";
    module = LoadLibraryExW(main.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    code = module ? 0 : GetLastError();
}

void* Library::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void Library::free() {
    if (module) {
        FreeLibrary(static_cast<HMODULE>(module));
        module = nullptr;
    }
    if (search_cookie) {
        RemoveDllDirectory(search_cookie);
        search_cookie = nullptr;
    }
}
#else
namespace {
constexpr std::uint32_t error_mod_not_found = 0x7e;
constexpr std::uint32_t error_bad_exe_format = 0xc1;
} // namespace

Library::Library(const std::filesystem::path& dlls) {
    const auto main = dlls / "main.dll";
    module = dlopen(main.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        dlerror();
        std::error_code ignored;
        code = std::filesystem::exists(main, ignored) ? error_bad_exe_format : error_mod_not_found;
    }
}

void* Library::symbol(const char* name) const {
    return dlsym(module, name);
}

void Library::free() {
    if (module) {
        dlclose(module);
        module = nullptr;
    }
}
#endif

Library::~Library() {
    free();
}
} // namespace simhost::detail
