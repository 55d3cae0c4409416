// How much of the game's memory, of the cache and of the log the mod takes on: each limit named
// once, with why it is that number.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tallyglass::limits {
// More entries than a trading screen shows: a larger count means the memory is not what the mod
// takes it for, and nothing of it is read.
inline constexpr std::int32_t max_balance_slots = 256;
inline constexpr std::int32_t max_list_items = 256;
// The engine grows an array's storage to at most about twice its count.
inline constexpr std::int32_t max_balance_capacity = 512;
// Inventory positions are small numbers; a larger one (a negative one too, taken as unsigned) is
// garbage and is never handed to the game's getter.
inline constexpr std::uint32_t max_position = 10000;

// The goods of both sides of a full trade; a bound so that every lookup, a linear scan, stays
// short.
inline constexpr std::size_t max_cached_rows = 384;
// One opening of the screen makes about four capture passes (two sections, two lists): a row
// outlives several openings, not a later trader's screen.
inline constexpr std::int32_t row_lifetime = 30;

// A value text sits a few outers below its slot widget, the slot widget a few below its inventory:
// eight covers that nesting and bounds the work on every text block of the game.
inline constexpr int max_objects_examined = 8;

// SetText's parameter block holds one engine text value, a handful of pointers; a size outside
// this is not that block, and the mod would build a text in a buffer of that size.
inline constexpr std::int32_t min_text_size = 1;
inline constexpr std::int32_t max_text_size = 256;

// Row lines: enough to check one trade in the log, while the load-wide caps keep a long game
// session from filling it.
inline constexpr std::int32_t value_rows_per_call = 6;
inline constexpr std::int32_t value_rows_per_load = 36;
inline constexpr std::int32_t list_rows_per_call = 24;
inline constexpr std::int32_t list_rows_per_load = 48;
inline constexpr std::int32_t text_rows_per_load = 36;

// A settings file is a few kilobytes of lines; a thousand times that is no settings file (a log
// renamed, a device), and reading it would cost the game's start memory and time.
inline constexpr std::size_t max_settings_bytes = 1024 * 1024;

// Summary and skip lines: the first shows that a hook works, the later ones that it keeps
// working; past the last a line would only repeat.
inline constexpr std::array<std::int32_t, 5> sampled_calls = {1, 10, 25, 50, 100};
} // namespace tallyglass::limits
