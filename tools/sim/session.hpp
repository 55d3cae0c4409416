// Plays a scenario: installs the built mod into a temporary game folder as a player would (or
// takes a Mods folder a player installed), lets the simulated host's loader start it as UE4SS
// does, opens the trading screen and collects what the player sees and the whole host log.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/config.hpp"
#include "scenario.hpp"

namespace sim {
struct SlotView {
    std::string panel; // "trader", "player", "offer_buy", "offer_sell"
    int index;
    std::string item;
    std::string game_text;
    std::string text;                          // the text block's text at the end
    std::optional<std::array<float, 4>> color; // as the last SetColorAndOpacity left it
    std::string text_block;                    // full name
};

struct SessionResult {
    std::vector<std::string> log; // UTF-8, the host's and the mod's entries as sent, in order
    std::vector<SlotView> slots;  // in panel order: trader, player, offer_buy, offer_sell
    tallyglass::Config config;    // what the started mod read from its Tallyglass.ini, or defaults
    int started = 0;              // mods the host started
    std::string log_file;         // the log as UE4SS.log holds it
};

// The mod library that tallyglass-sim loads: $TALLYGLASS_LIBRARY, else the one built with it.
std::filesystem::path default_library();

struct PlayOptions {
    // The built mod, installed into a temporary game folder.
    std::filesystem::path library = default_library();
    // Play with what this Mods folder holds instead.
    std::optional<std::filesystem::path> mods;
    // Told after each opening: how many are done, of how many.
    std::function<void(std::int32_t done, std::int32_t all)> progress;
};

// A mod that the host does not start is no error: the trade is played without it. Throws
// std::runtime_error when the game folder cannot be made, `mods` is no folder, the scenario
// brings settings that a Mods folder would ignore, a mod lets an exception out into the host
// ("the game would crash"), or the simulated game itself fails.
SessionResult play(const Scenario& scenario, const PlayOptions& options);
} // namespace sim
