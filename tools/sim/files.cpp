#include "files.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sim {
namespace {
namespace fs = std::filesystem;

// "--ini settings.ini" or, for the scenario, "trade.json".
std::string label(const FileArgument& file) {
    if (file.option == "SCENARIO") {
        return file.name == "-" ? "<stdin>" : file.name;
    }
    return file.option + " " + file.name;
}

[[noreturn]] void fail(const FileArgument& file, const std::string& problem) {
    throw FileError(label(file) + ": " + problem);
}

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

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

void check_input_file(const FileArgument& file, bool standard_input) {
    check_named(file, "file");
    if (standard_input && file.name == "-") {
        return;
    }
    auto status = status_of(file);
    if (!fs::exists(status)) {
        fail(file, "no such file");
    }
    if (fs::is_directory(status)) {
        fail(file, "is a folder, not a file");
    }
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
    if (fs::is_directory(status_of(file))) {
        fail(file, "is a folder, not a file");
    }
    fs::path parent = fs::path(file.name).parent_path();
    std::error_code error;
    if (!parent.empty() && !fs::is_directory(parent, error)) {
        fail(file, "its folder " + parent.string() + " does not exist");
    }
}

void check_standard_output() {
#ifndef _WIN32
    if (fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        throw FileError("standard output is closed; nothing can be written");
    }
#endif
}

std::string read_input(const FileArgument& file, std::size_t limit) {
    const bool from_stdin = file.name == "-";
    std::unique_ptr<std::FILE, Closer> opened(from_stdin ? nullptr
                                                         : std::fopen(file.name.c_str(), "rb"));
    std::FILE* in = from_stdin ? stdin : opened.get();
    if (!in) {
        fail(file, std::string("cannot be opened: ") + std::strerror(errno));
    }
    std::string text;
    char chunk[65536];
    // One byte past the limit tells a file that is too large from one that just fits.
    while (text.size() <= limit) {
        const std::size_t want = std::min(sizeof chunk, limit + 1 - text.size());
        const std::size_t got = std::fread(chunk, 1, want, in);
        text.append(chunk, got);
        if (got < want) {
            break;
        }
    }
    if (std::ferror(in)) {
        fail(file, std::string("cannot be read: ") + std::strerror(errno));
    }
    if (text.size() > limit) {
        fail(file, "larger than " + std::to_string(limit / (1024 * 1024)) +
                       " MiB, the most tallyglass-sim reads");
    }
    return text;
}

void write_output(const FileArgument& file, const std::function<void(std::ostream&)>& write) {
    std::ofstream out(file.name, std::ios::binary);
    if (!out) {
        fail(file, std::string("cannot be created: ") + std::strerror(errno));
    }
    write(out);
    out.close();
    if (!out) {
        fail(file, std::string("cannot be written: ") + std::strerror(errno));
    }
}

void finish_standard_output() {
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        throw FileError(std::string("standard output: cannot be written: ") + std::strerror(errno));
    }
}
} // namespace sim
