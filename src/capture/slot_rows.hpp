// What the capture hooks share: the start of a call, the game's base config lookup for a
// position, and a slot's numbers as their row lines show them.
#pragma once

#include "game/bindings.hpp"
#include "game/layout.hpp"
#include "game/limits.hpp"
#include "host/host.hpp"
#include "host/log.hpp"
#include "ui/names.hpp"

namespace tallyglass {
// The start of a capture hook's call: the call counted, its object named and its side found.
struct CaptureCall {
    host::Object* object;
    String name;
    TradeSide side;
    bool sampled; // a per-call summary line is due
};
CaptureCall begin_capture_call(std::int32_t& calls, const host::Context& context);

// "[Tallyglass] <head> #<calls>; side=<side>", the start of a per-call summary line.
LogLine summary_line(StringView head, std::int32_t calls, TradeSide side);

inline bool position_in_range(std::int32_t pos) {
    return static_cast<std::uint32_t>(pos) <= limits::max_position;
}

// Calls the game's GetBaseConfigByPos on `inventory`; the base config object, or null.
host::Object* base_config_at(const CallBlock& block, host::Object* inventory,
                             host::Function* get_base_config, std::int32_t pos);

// "; pos=..; current=..; previous=..; base=..; amount=..; show=..; trader_index=..".
void add_slot_numbers(LogLine& line, const SlotFields& fields, std::int32_t base);
} // namespace tallyglass
