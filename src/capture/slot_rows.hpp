// What the value hook and the list row reader share: the game's base config lookup for a
// position, and a slot's numbers as their row lines show them.
#pragma once

#include "capture/slot_layout.hpp"
#include "host/host.hpp"

namespace tallyglass {
// Calls the game's GetBaseConfigByPos on `inventory`; the base config object, or null.
host::Object* base_config_at(host::Object* inventory, host::Function* get_base_config,
                             std::int32_t pos);

// "; pos=..; current=..; previous=..; base=..; amount=..; show=..; trader_index=..".
void append_slot_numbers(String& line, const SlotFields& fields, std::int32_t base);
} // namespace tallyglass
