// Trade sides and the name tests of the trading screen. Pure: works on full names only.
#pragma once

#include <array>
#include <cstdint>

#include "host/text.hpp"

namespace tallyglass {
enum class TradeSide : std::int32_t { Buy = 0, Sell = 1, Other = 2 };

// Exact, case-sensitive substring test on 16-bit code units; an empty needle always matches.
bool contains_text(StringView haystack, StringView needle);

// A fixed pattern searched for in many names: gives the same answer as contains_text, but skips
// ahead by up to the pattern's length on a mismatch (Horspool), with the skip table built once.
// Code units share a table entry by their low byte, which only makes some skips shorter.
class TextPattern {
public:
    constexpr explicit TextPattern(StringView text) : pattern(text) {
        skip.fill(static_cast<std::uint8_t>(text.size() < 255 ? text.size() : 255));
        for (std::size_t i = 0; i + 1 < text.size() && text.size() < 256; ++i) {
            skip[low_byte(text[i])] = static_cast<std::uint8_t>(text.size() - 1 - i);
        }
    }
    constexpr StringView text() const { return pattern; }
    bool found_in(StringView haystack) const;

private:
    static constexpr std::size_t low_byte(Char c) { return static_cast<std::size_t>(c) & 0xFFu; }
    StringView pattern;
    std::array<std::uint8_t, 256> skip{};
};

// The first of the balance-section, then inventory markers found in the name decides.
TradeSide trade_side_from_name(StringView name);
// "trade-buy", "trade-sell", or "other" for any other value.
const Char* trade_side_name(TradeSide side);
} // namespace tallyglass
