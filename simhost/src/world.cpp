// The one simulated world, and reset() that returns it to its start.
#include "world.hpp"

namespace simhost {
detail::World& detail::world() {
    static World instance;
    return instance;
}

void reset() {
    auto& w = detail::world();
    // First, so that the game's maps never hold a destroyed object.
    detail::clear_game_state();
    w.objects.clear();
    w.hooks = {};
    w.classes.clear();
    w.log.clear();
    w.log_times.clear();
    w.log_closed = false;
    w.text_size.reset();
    w.calls = {};
    define_class(STR("/Script/CoreUObject"), STR("Package"));
}
} // namespace simhost
