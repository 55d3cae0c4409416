// One shape for every hook body: it runs under a guard that lets nothing out into the host and
// writes the hook's failure line, and a re-entry flag it raises is lowered on every exit.
#pragma once

#include <exception>

#include "host/host.hpp"
#include "host/log.hpp"
#include "mod/gate.hpp"

namespace tallyglass {
// A standard exception becomes `failure_prefix` and its message, anything else `failure_prefix`
// and "unknown exception."; the call ends there. The prefix is measured only on a failure: most
// hook calls leave at once, and its length would cost them more than their own work.
template <class Body> void run_guarded(const Char* failure_prefix, Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        log_failure(failure_prefix, std::current_exception());
    }
}

// What the host holds for a hook: a stateless function that turns the custom data back into the
// mod object and runs its hook body. Every body guards itself; this catch is the last resort should
// one ever let something out, since anything that reaches the host takes the game down. The gate
// comes first and goes last: the object may be going on another thread.
template <class Mod, void (Mod::*Hook)(host::Context&)>
void dispatch(host::Context& context, void* custom_data) noexcept {
    const gate::Passage passage(custom_data);
    if (!passage.admitted) {
        return;
    }
    try {
        (static_cast<Mod*>(custom_data)->*Hook)(context);
    } catch (...) {
    }
}

// Raises a flag for one scope, so that a hook fired again from inside its own engine call returns
// at once; lowered whichever way the scope ends, before any failure line is written.
class ReentryFlag {
public:
    explicit ReentryFlag(bool& flag) : raised(flag) { raised = true; }
    ~ReentryFlag() { raised = false; }
    ReentryFlag(const ReentryFlag&) = delete;
    ReentryFlag& operator=(const ReentryFlag&) = delete;

private:
    bool& raised;
};
} // namespace tallyglass
