#include "support.hpp"

#include <fstream>
#include <iterator>

namespace testing_support {
std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string trader_scenario(int count, int opens) {
    std::string json = R"({"opens": )" + std::to_string(opens) + R"(, "trader": [)";
    for (int i = 0; i < count; ++i) {
        json += std::string(i ? "," : "") + R"({"item": "Item", "base": 10, "price": 9})";
    }
    return json + "]}";
}

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
