#include "interrupt.hpp"

#include <csignal>
#include <string>

namespace sim {
namespace {
volatile std::sig_atomic_t caught = 0;

#ifdef _WIN32
constexpr int handled[] = {SIGINT, SIGTERM};
constexpr int pipe_signal = 0;
#else
constexpr int handled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM};
constexpr int pipe_signal = SIGPIPE;
#endif

// The first signal is recorded; a second one (Ctrl-C again) takes its default action when the
// handler returns. Every write to a closed pipe raises SIGPIPE anew: those only count once.
extern "C" void record(int signal_number) {
    if (caught != 0 && signal_number != pipe_signal) {
        std::signal(signal_number, SIG_DFL);
        std::raise(signal_number);
        return;
    }
    caught = signal_number;
}

using Handler = void (*)(int);
Handler previous[std::size(handled)];
} // namespace

Interrupted::Interrupted(int signal)
    : std::runtime_error("interrupted by signal " + std::to_string(signal)), signal_number(signal) {
}

InterruptGuard::InterruptGuard() {
    caught = 0;
    for (std::size_t i = 0; i < std::size(handled); ++i) {
        previous[i] = std::signal(handled[i], record);
        // A signal the caller asked to ignore (nohup, a background job) stays ignored.
        if (previous[i] == SIG_IGN) {
            std::signal(handled[i], SIG_IGN);
        }
    }
}

InterruptGuard::~InterruptGuard() {
    for (std::size_t i = 0; i < std::size(handled); ++i) {
        std::signal(handled[i], previous[i] == SIG_ERR ? SIG_DFL : previous[i]);
    }
}

void throw_if_interrupted() {
    if (caught != 0) {
        throw Interrupted(caught);
    }
}

void die_of(int signal_number) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}
} // namespace sim
