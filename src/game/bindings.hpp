// The game's layout proved against its own reflection, once at start: every field the mod reads
// and every parameter block it builds or reads is a named binding, tied to the parts of the mod
// that need it. A binding that fails turns off exactly those parts, with one line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tallyglass {
// The parts a changed layout can turn off.
enum class Part : std::uint32_t {
    ValueCapture = 1, // the UpdateInventory hook
    ListCapture = 2,  // the SetListItemsBP and GetItemAt hooks
    TextRewrite = 4,  // the TextBlock hook
    SlotMatch = 8,    // finding a value text's row by its slot's data object
    Heatmap = 16,
    OnDemandRead = 32, // the TextBlock hook reading a slot's list entry the cache lacks
};
constexpr std::uint32_t operator|(Part a, Part b) {
    return static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b);
}
constexpr std::uint32_t operator|(std::uint32_t a, Part b) {
    return a | static_cast<std::uint32_t>(b);
}

// A script call's parameter block as the game declares it: its size, where the argument and
// where the result sit.
struct CallBlock {
    std::int32_t size;
    std::int32_t argument;
    std::int32_t result;
};
// No block the mod builds is larger: a bound block is exactly the size the mod expects.
inline constexpr std::size_t max_call_block = 64;

struct GameLayout {
    std::uint32_t off = 0; // Part bits
    CallBlock get_item_at{16, 0, 8};
    CallBlock get_base_config{16, 0, 8};
    CallBlock get_num_items{4, 0, 0};
    CallBlock set_color{20, 0, 0};
    bool on(Part part) const { return (off & static_cast<std::uint32_t>(part)) == 0; }
};

// Checks every binding of the `wanted` parts; writes one always-logged line for each that
// fails. Never throws: a host fault fails the binding it struck.
GameLayout bind_game_layout(std::uint32_t wanted) noexcept;

// A parameter block in a buffer of the function's own size, zeroed, on the stack.
class CallParams {
public:
    explicit CallParams(const CallBlock& block) : shape(block) {
        std::memset(bytes, 0, static_cast<std::size_t>(block.size));
    }
    template <class T> void set(std::int32_t offset, T value) {
        std::memcpy(bytes + offset, &value, sizeof(T));
    }
    template <class T> T get(std::int32_t offset) const {
        T value;
        std::memcpy(&value, bytes + offset, sizeof(T));
        return value;
    }
    void* data() { return bytes; }
    const void* at(std::int32_t offset) const { return bytes + offset; }
    const CallBlock& block() const { return shape; }

private:
    alignas(16) std::byte bytes[max_call_block];
    CallBlock shape;
};
} // namespace tallyglass
