// Signals during a run. The handler only records the signal; the run looks at it between
// openings and before it puts its outputs in place, and throws, so that the temporary game folder
// and the unfinished outputs are removed while unwinding; the tool then dies of the same signal,
// so that its exit status tells the truth. A second signal ends the tool at once.
#pragma once

#include <stdexcept>

namespace sim {
class Interrupted : public std::runtime_error {
public:
    explicit Interrupted(int signal_number);
    int signal_number;
};

// Records every signal that would end the tool and can be caught (INT, TERM, HUP, QUIT, USR1,
// USR2, PIPE, ALRM) from now until the guard ends, then restores what was there. Outside a guard
// the signals keep their default action: nothing needs cleaning up then, and a read from a
// terminal must not go on waiting after Ctrl-C.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// Throws Interrupted when a signal arrived since the guard began.
void throw_if_interrupted();

// Restores the signal's default action and raises it; returns only if that did not end the
// process.
void die_of(int signal_number);
} // namespace sim
