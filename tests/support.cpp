#include "support.hpp"

#include <atomic>
#include <chrono>
#include <fstream>

namespace testing_support {
std::string utf8(const String& text) {
    return tallyglass::to_utf8(text);
}
String wide(const std::string& text) {
    return tallyglass::from_utf8(text);
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

std::filesystem::path temp_folder(const std::string& tag) {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto path =
        std::filesystem::temp_directory_path() /
        ("tallyglass-" + tag + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
    return path;
}

ModFolder::ModFolder(std::optional<std::string> ini) {
    root_path = temp_folder("mod");
    auto dlls = root_path / "Mods" / "Tallyglass" / "dlls";
    std::filesystem::create_directories(dlls);
    std::filesystem::path built(TALLYGLASS_LIBRARY);
    library_path = dlls / built.filename();
    std::filesystem::copy_file(built, library_path);
    if (ini) {
        write_settings(*ini);
    }
}

ModFolder::~ModFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_path, ignored);
}

std::filesystem::path ModFolder::settings() const {
    return root_path / "Mods" / "Tallyglass" / "Tallyglass.ini";
}

void ModFolder::write_settings(const std::string& text) const {
    std::ofstream out(settings(), std::ios::binary);
    out << text;
}
} // namespace testing_support
