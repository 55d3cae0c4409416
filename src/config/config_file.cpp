#include "config/config_file.hpp"

#include <string>
#include <vector>

#include "config/paths.hpp"
#include "config/settings_file.hpp"
#include "game/limits.hpp"
#include "host/log.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tallyglass {
namespace {
#ifdef _WIN32
String module_path() {
    HMODULE module = nullptr;
    // The address of a function of this library names the module that holds it.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&config_directory), &module)) {
        return {};
    }
    std::vector<wchar_t> buffer(260);
    for (;;) {
        DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        // A name that fills the buffer may have been cut: ask again with twice the room.
        if (length < buffer.size() - 1) {
            return String(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}
#else
String module_path() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&config_directory), &info) == 0 || !info.dli_fname) {
        return {};
    }
    return from_utf8(info.dli_fname);
}
#endif
} // namespace

String config_directory() {
    String path = module_path();
    return path.empty() ? String() : parent_directory(path);
}

Config load_config() {
    return load_config_in(config_directory());
}

Config load_config_in(const String& directory) {
    if (directory.empty()) {
        quietly([] { log_line(STR("[Tallyglass] Config path unavailable; using defaults.\n")); });
        return Config{};
    }
    const SettingsRead read =
        read_settings_file(join_path(parent_directory(directory), STR("Tallyglass.ini")));
    quietly([&] {
        switch (read.fallback) {
        case SettingsFallback::None:
            return;
        case SettingsFallback::NotFound:
            return log_line(STR("[Tallyglass] Config not found; using defaults.\n"));
        case SettingsFallback::NotAFile:
            return log_line(STR("[Tallyglass] Config is not a regular file; using defaults.\n"));
        case SettingsFallback::TooLarge:
            return log_line(STR("[Tallyglass] Config larger than ") +
                            to_text(static_cast<std::int64_t>(limits::max_settings_bytes)) +
                            STR(" bytes; using defaults.\n"));
        }
    });
    return read.config;
}
} // namespace tallyglass
