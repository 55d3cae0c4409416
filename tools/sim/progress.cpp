#include "progress.hpp"

#include <ostream>

namespace sim {
namespace {
constexpr auto quiet_for = std::chrono::seconds(2);
constexpr auto redraw_every = std::chrono::milliseconds(200);
} // namespace

Progress::Progress(std::ostream& output, bool on_terminal, Clock now)
    : out(output), terminal(on_terminal), clock(std::move(now)), start(clock()), shown(start) {}

void Progress::operator()(std::int32_t done, std::int32_t all) {
    if (!terminal) {
        return;
    }
    const auto now = clock();
    if (done >= all) {
        if (shown_width > 0) {
            out << "\r" << std::string(shown_width, ' ') << "\r" << std::flush;
            shown_width = 0;
        }
        return;
    }
    if (now - start < quiet_for || (shown_width > 0 && now - shown < redraw_every)) {
        return;
    }
    const std::string line =
        "tallyglass-sim: opening " + std::to_string(done) + " of " + std::to_string(all) + " ...";
    out << "\r" << line << std::flush;
    shown = now;
    shown_width = line.size();
}
} // namespace sim
