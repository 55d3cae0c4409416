// The files named on tallyglass-sim's command line. Each is checked before it is used and read no
// further than a limit; every write is checked. A failure is a FileError whose message names the
// option and the file.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace sim {
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file argument: the option that named it ("SCENARIO", "--ini", ...) and the name as given.
struct FileArgument {
    std::string option;
    std::string name;
};

// An input file exists and is no directory; "-" (when `standard_input`) is standard input.
void check_input_file(const FileArgument& file, bool standard_input = false);
void check_input_folder(const FileArgument& folder);
// An output file can be created: its name is not empty, it is no directory, its folder exists.
void check_output_file(const FileArgument& file);
// Standard output is open (a closed one would hand its number to the next file opened).
void check_standard_output();

// The whole file, or a FileError when it cannot be read or holds more than `limit` bytes.
std::string read_input(const FileArgument& file, std::size_t limit);

// Writes the file through `write`; a FileError when any of it could not be written.
void write_output(const FileArgument& file, const std::function<void(std::ostream&)>& write);
// Flushes standard output; a FileError when anything written to it was lost.
void finish_standard_output();
} // namespace sim
