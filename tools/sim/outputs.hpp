// The files a run writes (--picture, --log, --scenario-out). Each is written to a new file beside
// its target and renamed over it only once the whole run has succeeded, so that a failed, refused
// or interrupted run leaves every existing file exactly as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <vector>

#include "files.hpp"

namespace sim {
class PendingOutputs {
public:
    PendingOutputs() = default;
    // Removes every file not yet committed.
    ~PendingOutputs();
    PendingOutputs(const PendingOutputs&) = delete;
    PendingOutputs& operator=(const PendingOutputs&) = delete;

    // Writes the file's new content through `write`; a FileError when any of it could not be
    // written.
    void write(const FileArgument& file, const std::function<void(std::ostream&)>& write);
    // Puts every file written in place of its target; a FileError when one cannot be.
    void commit();

private:
    struct Pending {
        FileArgument file;
        std::filesystem::path target;    // a link's target: the link stays
        std::filesystem::path temporary; // in the target's folder, so that renaming only relinks
    };
    std::vector<Pending> pending;
};
} // namespace sim
