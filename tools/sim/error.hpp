// An error of the tool. Its message may hold any bytes from a user's file or command line (a name,
// a key, a line of a log), a NUL among them, which what() would cut short: message() gives it
// whole, to be escaped where it is printed.
#pragma once

#include <stdexcept>
#include <string>

namespace sim {
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text), whole(text) {}
    const std::string& message() const { return whole; }

private:
    std::string whole;
};
} // namespace sim
