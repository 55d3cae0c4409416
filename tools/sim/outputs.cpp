#include "outputs.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace sim {
namespace {
namespace fs = std::filesystem;

// A hidden name beside the target that no other run of the tool picks.
fs::path temporary_beside(const fs::path& target) {
    static unsigned count = 0;
    // Appended rather than added: GCC 12 warns falsely (-Wrestrict) on "." + string at -O3.
    std::string name = ".";
    name += target.filename().string();
    name += ".tallyglass-" + std::to_string(getpid()) + "-" + std::to_string(++count);
    return target.parent_path() / name;
}
} // namespace

PendingOutputs::~PendingOutputs() {
    for (const auto& p : pending) {
        std::error_code ignored;
        fs::remove(p.temporary, ignored);
    }
}

void PendingOutputs::write(const FileArgument& file,
                           const std::function<void(std::ostream&)>& write) {
    std::error_code error;
    fs::path target = fs::absolute(file.name, error);
    if (!error && fs::is_symlink(fs::symlink_status(target))) {
        target = fs::canonical(target, error);
    }
    if (error) {
        fail(file, "cannot be written: " + error.message());
    }
    pending.push_back({file, target, temporary_beside(target)});
    std::ofstream out(pending.back().temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        fail(file, std::string("cannot be created: ") + std::strerror(errno));
    }
    write(out);
    out.close();
    if (!out) {
        fail(file, std::string("cannot be written: ") + std::strerror(errno));
    }
}

void PendingOutputs::commit() {
    for (auto& p : pending) {
        std::error_code error;
        // A file replaced keeps who may read and write it.
        const auto existing = fs::status(p.target, error);
        if (!error && fs::exists(existing)) {
            fs::permissions(p.temporary, existing.permissions(), error);
        }
        fs::rename(p.temporary, p.target, error);
        if (error) {
            fail(p.file, "cannot be written: " + error.message());
        }
        p.temporary.clear();
    }
    pending.clear();
}
} // namespace sim
