#include "mod/gate.hpp"

#include <thread>

namespace tallyglass::gate {
void open(const void* mod) noexcept {
    open_to.store(mod);
}

void close(const void* mod) noexcept {
    const void* expected = mod;
    open_to.compare_exchange_strong(expected, nullptr);
}

bool drain(std::chrono::milliseconds bound) noexcept {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + bound;
    // Callbacks leave within microseconds: yield first, then sleep so as not to take a core
    // the game thread needs to finish them.
    for (int round = 0; in_flight.load() != 0; ++round) {
        if (Clock::now() >= deadline) {
            return false;
        }
        if (round < 64) {
            std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }
    return true;
}
} // namespace tallyglass::gate
