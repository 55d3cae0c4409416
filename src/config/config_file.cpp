#include "config/config_file.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "mod/tallyglass.hpp"

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

bool read_config_file(const String& path, Config& config) {
    std::unique_ptr<std::FILE, FileCloser> file(open_for_reading(path));
    if (!file) {
        return false;
    }
    std::string line;
    for (;;) {
        int c = std::fgetc(file.get());
        if (c == EOF) {
            // A read failure ends the file here; what was read so far stands.
            if (!line.empty() && !std::ferror(file.get())) {
                apply_config_line(line, config);
            }
            break;
        }
        if (c == '\n') {
            apply_config_line(line, config);
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    return true;
}

Config load_config() {
    Config config;
    String directory = config_directory();
    if (directory.empty()) {
        log_line_quietly(STR("[Tallyglass] Config path unavailable; using defaults.\n"));
        return config;
    }
    String path = join_path(parent_directory(directory), STR("Tallyglass.ini"));
    if (!read_config_file(path, config)) {
        log_line_quietly(STR("[Tallyglass] Config not found; using defaults.\n"));
        return Config{};
    }
    return config;
}
} // namespace tallyglass
