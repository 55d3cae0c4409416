// Shared helpers of the test suites: the host log as UTF-8, a mod folder laid out as the host
// lays it out, and a fresh simulated world per test.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <simhost/engine.hpp>
#include <simhost/game.hpp>
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

// Mods/Tallyglass/dlls/<library> in a temporary folder, settings one level above "dlls".
class ModFolder {
public:
    explicit ModFolder(std::optional<std::string> ini = std::nullopt);
    ~ModFolder();
    ModFolder(const ModFolder&) = delete;
    ModFolder& operator=(const ModFolder&) = delete;

    const std::filesystem::path& library() const { return library_path; }
    const std::filesystem::path& root() const { return root_path; }
    std::filesystem::path settings() const;
    void write_settings(const std::string& text) const;

private:
    std::filesystem::path root_path;
    std::filesystem::path library_path;
};

std::filesystem::path temp_folder(const std::string& tag);
} // namespace testing_support
