// How far a long run has come, for a player watching a terminal: once a run has taken about two
// seconds, "opening N of M" on standard error, rewritten in place and erased at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace sim {
class Progress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Shows nothing unless `terminal`: a file or a pipe gets no lines rewritten in place.
    Progress(std::ostream& out, bool terminal, Clock clock = std::chrono::steady_clock::now);
    void operator()(std::int32_t done, std::int32_t all);

private:
    std::ostream& out;
    bool terminal;
    Clock clock;
    std::chrono::steady_clock::time_point start, shown;
    std::size_t shown_width = 0;
};
} // namespace sim
