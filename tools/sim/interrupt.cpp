#include "interrupt.hpp"

#include <csignal>
#include <string>

namespace sim {
namespace {
volatile std::sig_atomic_t caught = 0;

constexpr int handled[] = {SIGINT, SIGTERM,
#ifdef SIGHUP
                           SIGHUP
#endif
};

extern "C" void record(int signal_number) {
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

int caught_signal() {
    return caught;
}

void die_of(int signal_number) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}
} // namespace sim
