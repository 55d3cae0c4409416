#include "files.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "config/settings_file.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sim {
namespace {
namespace fs = std::filesystem;

void check_named(const FileArgument& file, const char* what) {
    if (file.name.empty()) {
        throw FileError(file.option + ": the " + what + " name is empty");
    }
}

fs::file_status status_of(const FileArgument& file) {
    std::error_code error;
    auto status = fs::status(file.name, error);
    if (error && error != std::errc::no_such_file_or_directory &&
        error != std::errc::not_a_directory) {
        fail(file, "cannot be looked at: " + error.message());
    }
    return status;
}

// Whatever is no regular file may block an open or a read, or never end.
void check_regular(const FileArgument& file, const fs::file_status& status) {
    switch (status.type()) {
    case fs::file_type::regular:
        return;
    case fs::file_type::directory:
        fail(file, "is a folder, not a file");
    case fs::file_type::fifo:
        fail(file, "is a pipe, not a file");
    case fs::file_type::character:
    case fs::file_type::block:
        fail(file, "is a device, not a file");
    default:
        fail(file, "is not a regular file");
    }
}

#ifdef _WIN32
std::optional<FileIdentity> identity_of(const std::string& name) {
    HANDLE handle = CreateFileW(fs::path(name).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow,
                        {}};
}

std::optional<FileIdentity> standard_input_identity() {
    return std::nullopt;
}
#else
std::optional<FileIdentity> identity_of(const std::string& name) {
    struct stat info {};
    if (stat(name.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), {}};
}

std::optional<FileIdentity> standard_input_identity() {
    struct stat info {};
    if (fstat(STDIN_FILENO, &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), {}};
}
#endif

// A name that does not exist yet is one file with another such name in the same folder.
std::optional<FileIdentity> identity(const FileArgument& file) {
    if (file.name == "-") {
        return standard_input_identity();
    }
    if (auto known = identity_of(file.name)) {
        return known;
    }
    const fs::path path(file.name);
    auto folder = identity_of(path.has_parent_path() ? path.parent_path().string() : ".");
    if (folder) {
        folder->name = path.filename().string();
    }
    return folder;
}

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Opened without waiting, should the name have become a pipe since it was looked at.
std::FILE* open_regular(const FileArgument& file) {
#ifdef _WIN32
    std::FILE* opened = _wfopen(fs::path(file.name).c_str(), L"rb");
    if (!opened) {
        fail(file, std::string("cannot be opened: ") + std::strerror(errno));
    }
    return opened;
#else
    const int descriptor = open(file.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor == -1) {
        fail(file, std::string("cannot be opened: ") + std::strerror(errno));
    }
    struct stat info {};
    std::FILE* opened =
        fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) ? fdopen(descriptor, "rb") : nullptr;
    if (!opened) {
        close(descriptor);
        fail(file, "is not a regular file");
    }
    return opened;
#endif
}
} // namespace

std::string label(const FileArgument& file) {
    if (file.option == "SCENARIO") {
        return file.name == "-" ? "<stdin>" : file.name;
    }
    return file.option + " " + file.name;
}

void fail(const FileArgument& file, const std::string& problem) {
    throw FileError(label(file) + ": " + problem);
}

void check_input_file(const FileArgument& file) {
    check_named(file, "file");
    if (file.name == "-") {
        return;
    }
    auto status = status_of(file);
    if (!fs::exists(status)) {
        fail(file, "no such file");
    }
    check_regular(file, status);
}

void check_input_folder(const FileArgument& folder) {
    check_named(folder, "folder");
    auto status = status_of(folder);
    if (!fs::exists(status)) {
        fail(folder, "no such folder");
    }
    if (!fs::is_directory(status)) {
        fail(folder, "is not a folder");
    }
}

void check_output_file(const FileArgument& file) {
    check_named(file, "file");
    if (file.name == "-") {
        fail(file, "standard output takes the tables or the JSON; name a file (./- for one "
                   "named \"-\")");
    }
    const auto status = status_of(file);
    if (fs::exists(status)) {
        check_regular(file, status);
    }
    const fs::path parent = fs::path(file.name).parent_path();
    std::error_code error;
    if (!parent.empty() && !fs::is_directory(parent, error)) {
        fail(file, "its folder " + parent.string() + " does not exist");
    }
#ifndef _WIN32
    // The output is written beside the file and renamed over it: both need the folder writable.
    const std::string folder = parent.empty() ? "." : parent.string();
    if (access(folder.c_str(), W_OK | X_OK) != 0 ||
        (fs::exists(status) && access(file.name.c_str(), W_OK) != 0)) {
        fail(file, std::string("cannot be written: ") + std::strerror(errno));
    }
#endif
}

void check_standard_output() {
#ifndef _WIN32
    if (fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        throw FileError("standard output is closed; nothing can be written");
    }
#endif
}

void check_distinct(const std::vector<FileArgument>& inputs,
                    const std::vector<FileArgument>& outputs) {
    for (std::size_t o = 0; o < outputs.size(); ++o) {
        const auto output = identity(outputs[o]);
        if (!output) {
            continue;
        }
        for (const auto& input : inputs) {
            if (identity(input) == output) {
                fail(outputs[o], "the same file as " + label(input) +
                                     "; an output may not replace a file the run reads");
            }
        }
        for (std::size_t other = 0; other < o; ++other) {
            if (identity(outputs[other]) == output) {
                fail(outputs[o], "the same file as " + label(outputs[other]) +
                                     "; each output needs a file of its own");
            }
        }
    }
}

std::string read_input(const FileArgument& file, std::size_t limit) {
    const bool from_stdin = file.name == "-";
    std::unique_ptr<std::FILE, Closer> opened(from_stdin ? nullptr : open_regular(file));
    std::FILE* in = from_stdin ? stdin : opened.get();
    std::string text = tallyglass::read_at_most(in, limit);
    if (std::ferror(in)) {
        fail(file, std::string("cannot be read: ") + std::strerror(errno));
    }
    if (text.size() > limit) {
        fail(file, "larger than " + std::to_string(limit / (1024 * 1024)) +
                       " MiB, the most tallyglass-sim reads");
    }
    return text;
}

void finish_standard_output() {
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        throw FileError(std::string("standard output: cannot be written: ") + std::strerror(errno));
    }
}
} // namespace sim
