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
