#include "config/settings_file.hpp"

#include <algorithm>
#include <memory>

#include "config/settings.hpp"
#include "game/limits.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tallyglass {
namespace {
constexpr std::size_t limit = limits::max_settings_bytes;

struct Opened {
    std::FILE* file;
    SettingsFallback fallback;
};

#ifdef _WIN32
// A folder is no file to read; a handle that is no disk file (a pipe, a device) neither.
Opened open_settings(const String& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {nullptr, SettingsFallback::NotFound};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return {nullptr, SettingsFallback::NotAFile};
    }
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {nullptr, SettingsFallback::NotFound};
    }
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        CloseHandle(handle);
        return {nullptr, SettingsFallback::NotAFile};
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        CloseHandle(handle);
        return {nullptr, SettingsFallback::TooLarge};
    }
    // Text mode, as the game's C runtime reads: CRLF becomes LF, and Ctrl-Z ends the file.
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_TEXT);
    if (descriptor == -1) {
        CloseHandle(handle);
        return {nullptr, SettingsFallback::NotFound};
    }
    std::FILE* file = _fdopen(descriptor, "rt");
    if (!file) {
        _close(descriptor);
        return {nullptr, SettingsFallback::NotFound};
    }
    return {file, SettingsFallback::None};
}
#else
// The type is looked at before the file is opened, so that no device is ever opened; the open does
// not wait, should the name have become a pipe in between.
Opened open_settings(const String& path) {
    const std::string name = to_utf8(path);
    struct stat info {};
    if (stat(name.c_str(), &info) != 0) {
        return {nullptr, SettingsFallback::NotFound};
    }
    if (!S_ISREG(info.st_mode)) {
        return {nullptr, SettingsFallback::NotAFile};
    }
    const int descriptor = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor == -1) {
        return {nullptr, SettingsFallback::NotFound};
    }
    SettingsFallback fallback = SettingsFallback::None;
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        fallback = SettingsFallback::NotAFile;
    } else if (static_cast<unsigned long long>(info.st_size) > limit) {
        fallback = SettingsFallback::TooLarge;
    }
    std::FILE* file = fallback == SettingsFallback::None ? fdopen(descriptor, "r") : nullptr;
    if (!file) {
        close(descriptor);
        return {nullptr,
                fallback == SettingsFallback::None ? SettingsFallback::NotFound : fallback};
    }
    return {file, SettingsFallback::None};
}
#endif

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

std::string read_at_most(std::FILE* file, std::size_t most) {
    std::string text;
    char chunk[4096];
    while (text.size() <= most) {
        const std::size_t want = std::min(sizeof chunk, most + 1 - text.size());
        const std::size_t got = std::fread(chunk, 1, want, file);
        text.append(chunk, got);
        if (got < want) {
            break;
        }
    }
    return text;
}

std::string read_settings_text(std::FILE* file, std::size_t most) {
    std::string text = read_at_most(file, most);
    if (std::ferror(file)) {
        // A read failure ends the file at the last whole line; what was read until then stands.
        const auto last_line_feed = text.rfind('\n');
        text.resize(last_line_feed == std::string::npos ? 0 : last_line_feed + 1);
    }
    return text;
}

SettingsRead read_settings_file(const String& path) {
    const Opened opened = open_settings(path);
    if (!opened.file) {
        return {Config{}, opened.fallback};
    }
    std::unique_ptr<std::FILE, FileCloser> file(opened.file);
    // The size was looked at before; a file that grew since is still read no further.
    const std::string text = read_settings_text(file.get(), limit);
    if (text.size() > limit) {
        return {Config{}, SettingsFallback::TooLarge};
    }
    SettingsRead read;
    apply_config_text(text, read.config);
    return read;
}
} // namespace tallyglass
