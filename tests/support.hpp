// Shared helpers of the test suites: the host log as UTF-8, the mod installed and launched as the
// host does it, and a fresh simulated world per test.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <simhost/engine.hpp>
#include <simhost/game.hpp>
#include <simhost/install.hpp>
#include <simhost/loader.hpp>

#include "host/text.hpp"

namespace testing_support {
using tallyglass::String;

std::string utf8(const String& text);
String wide(const std::string& text);

// The mod's hook paths, in the order it registers them, and its line for one registration.
inline constexpr const char* hook_paths[4] = {"/Script/G1R.TradingBalanceInventory:UpdateInventory",
                                              "/Script/G1R.DiscreteItemViewWidget:SetListItemsBP",
                                              "/Script/G1R.DiscreteItemViewWidget:GetItemAt",
                                              "/Script/UMG.TextBlock:SetText"};
std::string registered(const std::string& path, int pre, int post);
// Paths registered with the host now, in UTF-8.
std::vector<std::string> registered_paths();
// The start-up line under the defaults, up to its closing "." and line break.
inline constexpr const char* default_startup =
    "[Tallyglass] Loaded v0.4.0-rc1; config: Enabled=true, DisplayMode=ValueTextAppend, "
    "BaseValuePercent=75, HeatmapEnabled=true, HeatmapMode=Directional, "
    "HeatmapMaxDistancePercent=100";

// A file's bytes, and a file made of these bytes.
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& bytes);
// A scenario's JSON: a trader's list of `count` items, opened `opens` times.
std::string trader_scenario(int count, int opens = 1);

// The host log, one UTF-8 string per line, newline included.
std::vector<std::string> log_lines();
// Lines of the log that contain `needle`.
std::vector<std::string> log_lines_with(const std::string& needle);

// A fresh world with the game installed; the log empty.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

using simhost::temp_folder;

// The mod installed as the README says, in a temporary game folder, and the host launched over
// it: its mods started, the engine not yet found.
struct Launch {
    explicit Launch(const std::optional<std::string>& ini = std::nullopt);
    RC::CppUserModBase* mod() const { return host.started(STR("Tallyglass")); }

    simhost::GameFolder game;
    simhost::ModHost host;
};
} // namespace testing_support
