#include "support.hpp"

namespace testing_support {
std::string utf8(const String& text) {
    return tallyglass::to_utf8(text);
}
String wide(const std::string& text) {
    return tallyglass::from_utf8(text);
}

std::string registered(const std::string& path, int pre, int post) {
    return "[Tallyglass] Registered hook for " + path + " (pre=" + std::to_string(pre) +
           ", post=" + std::to_string(post) + ").\n";
}

std::vector<std::string> registered_paths() {
    std::vector<std::string> out;
    for (const auto& path : simhost::registered_paths()) {
        out.push_back(utf8(path));
    }
    return out;
}

std::vector<std::string> log_lines() {
    std::vector<std::string> out;
    for (const auto& line : simhost::log()) {
        out.push_back(utf8(line));
    }
    return out;
}

std::vector<std::string> log_lines_with(const std::string& needle) {
    std::vector<std::string> out;
    for (auto& line : log_lines()) {
        if (line.find(needle) != std::string::npos) {
            out.push_back(line);
        }
    }
    return out;
}

void WorldTest::SetUp() {
    simhost::reset();
    simhost::game::install();
}

void WorldTest::TearDown() {
    simhost::reset();
}

Launch::Launch(const std::optional<std::string>& ini) : host(game.mods()) {
    game.install(TALLYGLASS_LIBRARY, ini);
    host.install_mods();
    host.start_mods();
}
} // namespace testing_support
