#include "config/config_file.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "config/paths.hpp"
#include "config/settings.hpp"
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

std::FILE* open_for_reading(const String& path) {
    return _wfopen(path.c_str(), L"rt");
}
#else
String module_path() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&config_directory), &info) == 0 || !info.dli_fname) {
        return {};
    }
    return from_utf8(info.dli_fname);
}

std::FILE* open_for_reading(const String& path) {
    return std::fopen(to_utf8(path).c_str(), "r");
}
#endif

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

String config_directory() {
    String path = module_path();
    return path.empty() ? String() : parent_directory(path);
}

std::string read_settings_text(std::FILE* file) {
    std::string text;
    char chunk[4096];
    while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, file)) {
        text.append(chunk, got);
    }
    if (std::ferror(file)) {
        // A read failure ends the file at the last whole line; what was read until then stands.
        const auto last_line_feed = text.rfind('\n');
        text.resize(last_line_feed == std::string::npos ? 0 : last_line_feed + 1);
    }
    return text;
}

bool read_config_file(const String& path, Config& config) {
    std::unique_ptr<std::FILE, FileCloser> file(open_for_reading(path));
    if (!file) {
        return false;
    }
    apply_config_text(read_settings_text(file.get()), config);
    return true;
}

Config load_config() {
    return load_config_in(config_directory());
}

Config load_config_in(const String& directory) {
    Config config;
    if (directory.empty()) {
        quietly([] { log_line(STR("[Tallyglass] Config path unavailable; using defaults.\n")); });
        return config;
    }
    String path = join_path(parent_directory(directory), STR("Tallyglass.ini"));
    if (!read_config_file(path, config)) {
        quietly([] { log_line(STR("[Tallyglass] Config not found; using defaults.\n")); });
        return Config{};
    }
    return config;
}
} // namespace tallyglass
