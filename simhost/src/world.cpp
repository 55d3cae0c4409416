// The one simulated world, and reset() that returns it to its start.
#include "world.hpp"

#include <cstdio>
#include <cstdlib>

namespace simhost {
detail::World& detail::world() {
    static World instance;
    return instance;
}

void detail::HostCalls::clear() {
    faults.clear();
    name_faults.clear();
    total.store(0);
    for (auto& count : counts) {
        count.store(0);
    }
    faults_thrown.store(0);
    recording = false;
    records.clear();
}

void detail::crash(const std::string& what) {
    std::fprintf(stderr, "simulated UE4SS: the game crashes here: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

void reset() {
    auto& w = detail::world();
    // First, so that the game's maps never hold a destroyed object.
    detail::clear_game_state();
    w.objects.clear();
    w.hooks.clear();
    w.classes.clear();
    w.log.clear();
    w.log_times.clear();
    w.log_closed.store(false);
    w.texts = {};
    w.names = {};
    w.calls.clear();
    define_class(STR("/Script/CoreUObject"), STR("Package"));
    define_class(STR("/Script/CoreUObject"), STR("Function"));
}
} // namespace simhost
