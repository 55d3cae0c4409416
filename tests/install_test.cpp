// The install as UE4SS's loader takes it: one row per way a player may lay out or enable the mod,
// with the host's lines, whether the mod started, and that a started mod appends each value once
// and leaves no hook behind over a hot reload. And the README's install tree is the one made here.
#include <gtest/gtest.h>

#include <DynamicOutput/Output.hpp>
#include <fstream>
#include <iterator>
#include <set>

#include <simhost/trading.hpp>

#include "readme_tree.hpp"
#include "support.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

// Rows leave out the fields that keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {
using testing_support::log_lines;
using Lines = std::vector<std::string>;

const std::string from_list = "Starting mods (from mods.txt load order)...\n";
const std::string no_list = "No mods.txt file found...\n";
const std::string from_enabled = "Starting mods (from enabled.txt, no defined load order)...\n";
const std::string has_enabled = "Mod 'Tallyglass' has enabled.txt, starting mod.\n";
const std::string starting = "Starting C++ mod 'Tallyglass'\n";
const std::string disabled = "Mod 'Tallyglass' disabled in mods.txt.\n";
const std::string loaded = testing_support::default_startup + std::string(".\n");
const std::string no_dlls = "Could not find the dlls folder for mod Tallyglass\n";
const std::string no_exports =
    "Failed to find exported mod lifecycle functions for mod Tallyglass\n";
// The mod's dlls folder and a separator, in an expected line.
const std::string dlls_main =
    "<dlls>" + std::string(1, static_cast<char>(std::filesystem::path::preferred_separator)) +
    "main.dll";
std::string load_failed(const std::string& code) {
    return "Failed to load dll <" + dlls_main + "> for mod Tallyglass, error code: " + code + "\n";
}
const std::string threw =
    "Failed to load dll <" + dlls_main + "\n> for mod Tallyglass, because: no game data found\n";

// The log of a hot reload with DebugLogging on: the old hooks go, the new ones take ids from 9.
Lines reload_lines() {
    Lines lines{"Re-installing all mods\n", "Stopping C++ mod 'Tallyglass' for uninstall\n"};
    for (int i = 3; i >= 0; --i) {
        lines.push_back("[Tallyglass] Unregistered hook for " +
                        std::string(testing_support::hook_paths[i]) + ".\n");
    }
    lines.insert(lines.end(), {from_list, no_list, from_enabled, has_enabled,
                               std::string(testing_support::default_startup) +
                                   ", ProbeValues=false, DebugLogging=true.\n",
                               "[Tallyglass] Unreal initialized; registering configured hooks.\n"});
    for (int i = 0; i < 4; ++i) {
        lines.push_back(
            testing_support::registered(testing_support::hook_paths[i], 9 + 2 * i, 10 + 2 * i));
    }
    lines.push_back("All mods re-installed\n");
    return lines;
}

const char* const lib = TALLYGLASS_LIBRARY;
const char* const main_dll = "dlls/main.dll";

// The README's install (GameFolder::install), then changed as the row says.
struct Row {
    const char* name;
    Lines lines; // the launch's log; with `reload`, the log of the hot reload after it
    bool started;
    const char* library = lib;
    const char* library_at = main_dll; // below the mod's folder
    std::optional<std::string> mods_txt = std::nullopt;
    bool enabled_txt = true;
    const char* mod = "Tallyglass";
    bool reload = false;
    bool held = false; // another handle keeps the library mapped over the reload
};

// A second handle on a library: freeing the host's handle then leaves it mapped, its globals as
// they were.
class HeldLibrary {
public:
    explicit HeldLibrary(const std::filesystem::path& path) {
#ifdef _WIN32
        handle = LoadLibraryW(path.c_str());
#else
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    }
    ~HeldLibrary() {
        if (!handle) {
            return;
        }
#ifdef _WIN32
        FreeLibrary(static_cast<HMODULE>(handle));
#else
        dlclose(handle);
#endif
    }
    HeldLibrary(const HeldLibrary&) = delete;
    HeldLibrary& operator=(const HeldLibrary&) = delete;
    bool held() const {
        return handle != nullptr;
    }

private:
    void* handle;
};

// Rows of one or two lines, lined up by hand.
// clang-format off
const Row rows[] = {
    {"the README's install", {from_list, no_list, from_enabled, has_enabled, loaded}, true},
    {"the library as dlls/Tallyglass.dll", {load_failed("0x7e"), from_list, no_list, from_enabled},
     false, lib, "dlls/Tallyglass.dll"},
    {"no dlls folder", {no_dlls, from_list, no_list, from_enabled}, false, lib, "Tallyglass.dll"},
    {"a main.dll that is no library", {load_failed("0xc1"), from_list, no_list, from_enabled},
     false, TALLYGLASS_README},
    {"a library without uninstall_mod", {no_exports, from_list, no_list, from_enabled}, false,
     TALLYGLASS_NO_UNINSTALL},
    {"Tallyglass : 0 in mods.txt", {from_list, disabled, from_enabled}, false, lib, main_dll,
     "Tallyglass : 0\n", false},
    {"Tallyglass : 0 in mods.txt and an enabled.txt",
     {from_list, disabled, from_enabled, has_enabled, loaded}, true, lib, main_dll,
     "Tallyglass : 0\n"},
    {"lines with ';', of 4 characters, with a tab or in other case; then one of 5",
     {from_list, "Starting C++ mod 'Tg'\n", loaded, from_enabled}, true, lib, main_dll,
     "Tg:1\n; Tg : 1\nTg : 1 ; on\nTg\t: 1\ntg : 1\nTg :1\n", false, "Tg"},
    {"Tallyglass : 1 first after a byte-order mark", {from_list, from_enabled}, false, lib,
     main_dll, "\xEF\xBB\xBFTallyglass : 1\r\n", false},
    {"Tallyglass : 1 on the second line", {from_list, starting, loaded, from_enabled}, true, lib,
     main_dll, "\xEF\xBB\xBF; Built-in mods\r\nTallyglass : 1\r\n", false},
    {"Tallyglass : 1 twice: one mod object", {from_list, starting, loaded, starting, from_enabled},
     true, lib, main_dll, "Tallyglass : 1\nTallyglass:1\n", false},
    {"a start_mod that throws", {from_list, no_list, from_enabled, has_enabled, threw}, false,
     TALLYGLASS_THROWING_START},
    {"a start_mod that gives null", {from_list, no_list, from_enabled, has_enabled}, false,
     TALLYGLASS_NULL_START},
    {"a hot reload", reload_lines(), true, lib, main_dll, std::nullopt, true, "Tallyglass", true},
    {"a hot reload with the library held mapped", reload_lines(), true, lib, main_dll, std::nullopt,
     true, "Tallyglass", true, true},
};
// clang-format on

// The README's install, changed as the row says; the row's lines with the mod's dlls folder.
Lines arrange(const simhost::GameFolder& game, const Row& row) {
    const auto folder = game.mods() / row.mod;
    game.install(row.library, row.reload ? "DebugLogging=true\n" : "", row.mod);
    if (std::string_view(row.library_at) != main_dll) {
        std::filesystem::rename(folder / main_dll, folder / row.library_at);
        std::error_code kept; // unless the library is still in it
        std::filesystem::remove(folder / "dlls", kept);
    }
    if (!row.enabled_txt) {
        std::filesystem::remove(folder / "enabled.txt");
    }
    if (row.mods_txt) {
        game.write("mods.txt", *row.mods_txt);
    }
    Lines expected = row.lines;
    for (auto& line : expected) {
        if (auto at = line.find("<dlls>"); at != std::string::npos) {
            line.replace(at, 6, (folder / "dlls").string());
        }
    }
    return expected;
}

TEST(Install, WaysToLayOutAndEnableTheMod) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        simhost::reset();
        auto screen = simhost::trading::build_screen();
        simhost::trading::Item sword;
        sword.name = STR("Sword");
        sword.base = 133;
        sword.price = 120;
        screen.add(simhost::trading::Panel::Trader, sword);
        simhost::GameFolder game("install");
        const Lines expected = arrange(game, row);

        simhost::ModHost host(game.mods());
        host.install_mods();
        host.start_mods();
        const Lines launch = log_lines();
        host.fire_unreal_init();
        std::optional<HeldLibrary> held;
        if (row.held) {
            held.emplace(game.mods() / row.mod / main_dll);
            ASSERT_TRUE(held->held());
        }
        if (row.reload) {
            simhost::clear_log();
            host.reinstall_mods();
        }
        EXPECT_EQ(row.reload ? log_lines() : launch, expected);
        EXPECT_EQ(host.started(testing_support::wide(row.mod)) != nullptr, row.started);
        host.reinstall_mods();
        screen.open();
        EXPECT_EQ(testing_support::utf8(simhost::game::text_of(screen.slots[0].text_block)),
                  row.started ? "120 (99)" : "120");
        EXPECT_EQ(simhost::registered_hook_count(), row.started ? 4u : 0u);
        EXPECT_TRUE(simhost::orphaned_hooks().empty());
    }
    simhost::reset();
}

// Each output call is one entry after its UTC second; UTF-8 without a byte-order mark.
TEST(Install, UE4SSLogStampsEachOutputCall) {
    using namespace std::chrono;
    simhost::reset();
    simhost::set_log_clock([] {
        return sys_days{year{2024} / 2 / 18} + hours{11} + minutes{48} + milliseconds{47999};
    });
    simhost::GameFolder game("log");
    {
        simhost::ModHost host(game.mods());
        host.install_mods();
        host.start_mods();
        RC::Output::send(STR("no line break"));
        RC::Output::send(STR("; \u00e4\U0001F600") + testing_support::String(1, 0xD800) +
                         STR("\n"));
    }
    simhost::set_log_clock({});
    const std::string stamp = "[2024-02-18 11:48:47] ";
    const std::string expected = stamp + from_list + stamp + no_list + stamp + from_enabled +
                                 stamp + "no line break" + stamp +
                                 "; \xC3\xA4\xF0\x9F\x98\x80\xEF\xBF\xBD\n";
    EXPECT_EQ(simhost::log_file_text(), expected);
    ASSERT_TRUE(simhost::write_log_file(game.win64() / "UE4SS.log"));
    std::ifstream in(game.win64() / "UE4SS.log", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
    simhost::reset();
}

TEST(Install, TheReadmesTreeIsTheOneInstalled) {
    simhost::GameFolder game("tree");
    game.install(TALLYGLASS_LIBRARY, "");
    std::set<std::string> installed;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(game.win64())) {
        if (entry.is_regular_file()) {
            installed.insert(entry.path().lexically_relative(game.win64()).generic_string());
        }
    }
    const auto readme = testing_support::readme_tree(TALLYGLASS_README);
    for (const auto& file : installed) {
        EXPECT_TRUE(readme.contains(file)) << file << " is not in the README";
    }
    for (const auto& file : readme) {
        EXPECT_TRUE(!file.starts_with("Mods/Tallyglass/") || installed.contains(file))
            << file << " is in the README but not installed";
    }
    EXPECT_EQ(installed.size(), 3u);
}
} // namespace
