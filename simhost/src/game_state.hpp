// The simulated game's per-object state, which its script functions answer from; shared by the
// classes (game.cpp) and the calls that set up and play a trade (game_objects.cpp).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <simhost/game.hpp>
#include <vector>

namespace simhost::game {
struct Balance {
    std::vector<UObject*> slots;
    ArrayHeaderOverride header;
};
struct List {
    std::vector<UObject*> items;
    std::optional<std::int32_t> count;
};

// Keyed by the object; cleared with the world.
struct GameState {
    std::map<UObject*, Balance> balances;
    std::map<UObject*, List> lists;
    std::map<UObject*, std::map<std::int32_t, UObject*>> configs;
    std::map<UObject*, SlateColor> colors;
    std::function<void(UObject*)> during_set_text;
};
extern GameState state;

// The text block's Text property, at the game's offset.
FText* text_property(UObject* text_block);
} // namespace simhost::game
