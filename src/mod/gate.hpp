// The library's gate for hook callbacks: a count of callbacks inside the mod and the one object
// they may reach. Kept by the library, not the object, so that unloading on another thread can
// wait for callbacks the host is still running, after the object has stopped taking them.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace tallyglass::gate {
// How long unloading waits for callbacks still inside the mod. A hook call takes microseconds;
// one still running after this is stuck (the game paused in a debugger, a dead lock of the
// host's), and waiting longer would freeze the host's update thread.
inline constexpr std::chrono::milliseconds drain_bound{1000};

// Callbacks inside the mod now, and the object they are let through to (null: none).
inline std::atomic<std::int64_t> in_flight{0};
inline std::atomic<const void*> open_to{nullptr};

// From now on callbacks with `mod` as their custom data are let through.
void open(const void* mod) noexcept;
// No callback reaches `mod` from now on (nothing changes if another object is open).
void close(const void* mod) noexcept;
// Waits until no callback is inside the mod; false when `bound` passed first.
bool drain(std::chrono::milliseconds bound) noexcept;

// One callback's passage through the gate: counted before the custom data is looked at, and
// uncounted as the last thing the callback does. One atomic step in, one out: the closing side
// stores before it reads the count and this side counts before it reads the object (both
// sequentially consistent), so a callback that was let through is always waited for.
class Passage {
public:
    explicit Passage(const void* mod) noexcept {
        in_flight.fetch_add(1);
        admitted = open_to.load() == mod;
    }
    ~Passage() { in_flight.fetch_sub(1); }
    Passage(const Passage&) = delete;
    Passage& operator=(const Passage&) = delete;
    bool admitted;
};
} // namespace tallyglass::gate
