// Plays a scenario: loads the built mod into the simulated host as UE4SS would, opens the
// trading screen and collects what the player sees and what the mod logged.
#pragma once

#include <array>
#include <filesystem>
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
    std::vector<std::string> log; // UTF-8, each line as sent, newline included
    std::vector<SlotView> slots;  // in panel order: trader, player, offer_buy, offer_sell
    tallyglass::Config config;    // the settings in force, read as the mod reads them
};

// The mod library that tallyglass-sim loads: $TALLYGLASS_LIBRARY, else the one built with it.
std::filesystem::path default_library();

struct PlayOptions {
    // the built mod, installed into a temporary game folder
    std::filesystem::path library;
    // play with what this Mods folder holds instead
    std::optional<std::filesystem::path> mods;
    // also write the whole session log here, as UE4SS.log holds it
    std::optional<std::filesystem::path> log;
};

// Throws std::runtime_error when the library cannot be laid out or loaded, and sim::Interrupted
// when a signal asked the run to stop.
SessionResult play(const Scenario& scenario, const PlayOptions& options);
} // namespace sim
