// Ctrl-C and SIGTERM during a run. The handler only records the signal; the session looks at it
// between openings and throws, so the temporary game folder is removed while unwinding, and the
// tool then dies of the same signal, so that its exit status tells the truth.
#pragma once

#include <stdexcept>

namespace sim {
class Interrupted : public std::runtime_error {
public:
    explicit Interrupted(int signal_number);
    int signal_number;
};

// Records SIGINT, SIGTERM and SIGHUP from now until the guard ends, then restores what was there.
// Outside a guard the signals keep their default action: nothing needs cleaning up then, and a
// read from a terminal must not go on waiting after Ctrl-C.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// Throws Interrupted when a signal arrived since the guard began.
void throw_if_interrupted();

// The signal that arrived, or 0.
int caught_signal();

// Restores the signal's default action and raises it; returns only if that did not end the
// process.
void die_of(int signal_number);
} // namespace sim
