// The files named on tallyglass-sim's command line. Each is checked before it is used: an input is
// a regular file (or "-", standard input), so that nothing blocks on a pipe or a device, and is
// read no further than a limit; no output may be the same file as an input or another output.
// A failure is a FileError whose message names the option and the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "error.hpp"

namespace sim {
class FileError : public Error {
public:
    using Error::Error;
};

// A file argument: the option that named it ("SCENARIO", "--ini", ...) and the name as given.
struct FileArgument {
    std::string option;
    std::string name;
};

// "--ini settings.ini" or, for the scenario, "trade.json".
std::string label(const FileArgument& file);
// Throws the FileError "<label>: <problem>".
[[noreturn]] void fail(const FileArgument& file, const std::string& problem);

// What tells two names of one file apart from names of two: the device and inode (on Windows the
// volume and file ID); for a name that does not exist yet, its folder's and its own name.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::string name;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// "-" is standard input; anything else a regular file.
void check_input_file(const FileArgument& file);
void check_input_folder(const FileArgument& folder);
// An output is a regular file that may be written or a new name in a folder that may be written.
void check_output_file(const FileArgument& file);
// Standard output is open (a closed one would hand its number to the next file opened).
void check_standard_output();
// No output is the same file as an input or as another output.
void check_distinct(const std::vector<FileArgument>& inputs,
                    const std::vector<FileArgument>& outputs);

// The whole file, or a FileError when it cannot be read or holds more than `limit` bytes.
std::string read_input(const FileArgument& file, std::size_t limit);

// Flushes standard output; a FileError when anything written to it was lost.
void finish_standard_output();
} // namespace sim
