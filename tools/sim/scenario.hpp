// A simulated trade: the settings file, the items of each panel and how often the screen opens,
// read from JSON with an error that names the file, the field and what was expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"

namespace sim {
struct ScenarioItem {
    std::string item;
    std::optional<std::int32_t> base{}; // none: the game has no base config for it
    std::int32_t price = 0;
    std::optional<std::string> text{};
    std::int32_t amount = 1;
    std::optional<std::int32_t> previous{};
    std::optional<std::int32_t> pos{};
    std::int32_t trader_index = 0;
    bool skip = false;
    bool show = true;
    bool slot_data = true;
    friend bool operator==(const ScenarioItem&, const ScenarioItem&) = default;
};

struct Scenario {
    std::optional<std::string> ini; // none: no settings file
    std::vector<ScenarioItem> trader;
    std::vector<ScenarioItem> player;
    std::vector<ScenarioItem> offer_buy;
    std::vector<ScenarioItem> offer_sell;
    std::int32_t opens = 1;
    // Patches of the game's layout, as a game update might bring them, by name
    // (simhost::game::layout_edits()).
    std::vector<std::string> game_update;
};

// What a scenario may hold: enough for any trade worth watching (a panel of 1000 rows shows the
// mod's own refusal of lists above 256), little enough that no file can exhaust memory or time.
struct ScenarioLimits {
    std::size_t bytes = 16 * 1024 * 1024;
    std::size_t items = 1000; // in each panel
    std::int32_t opens = 10000;
    std::size_t values = 100000; // JSON values of every kind, counted while reading
};

class ScenarioError : public Error {
public:
    using Error::Error;
};

// Throws ScenarioError: "<file>: <field>: expected <what>"; for JSON that is not well-formed the
// field is "line L, column C".
Scenario parse_scenario(std::string_view json, const std::string& file,
                        const ScenarioLimits& limits = {});

// Items above, at and below their scaled value on both sides, a base value of 0, a sale at
// price 0, and an offer in each balance section.
Scenario builtin_scenario();
} // namespace sim
