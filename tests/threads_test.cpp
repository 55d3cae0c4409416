// UE4SS's threads: hot reloads on the update thread, each freeing and loading the library again,
// while the game thread opens trades with all four hooks firing. No callback may reach a
// destroyed mod object or freed code; the sanitizers watch for both.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include <simhost/threads.hpp>
#include <simhost/trading.hpp>

#include "support.hpp"

namespace {
using testing_support::hook_paths;
using testing_support::registered;
using Lines = std::vector<std::string>;

constexpr int wanted_reloads = 1000;
constexpr auto time_for_reloads = std::chrono::seconds(30);

// Every line the threads other than the game thread write, in the order they write them: the
// host's own, and the mod's at start, registration and unload. Those of the game thread, from its
// hooks, come between them anywhere.
bool lifecycle_line(const std::string& line) {
    for (const char* head :
         {"[Tallyglass] Loaded", "[Tallyglass] Unreal initialized", "[Tallyglass] Registered hook",
          "[Tallyglass] Unregistered hook", "[Tallyglass] Hook callbacks still running"}) {
        if (line.starts_with(head)) {
            return true;
        }
    }
    return !line.starts_with("[Tallyglass]");
}

// Start-up and registration with DebugLogging on, the hooks taking ids from `first_id`.
void add_start(Lines& lines, int first_id) {
    lines.insert(lines.end(),
                 {"Starting mods (from mods.txt load order)...\n", "No mods.txt file found...\n",
                  "Starting mods (from enabled.txt, no defined load order)...\n",
                  "Mod 'Tallyglass' has enabled.txt, starting mod.\n",
                  std::string(testing_support::default_startup) +
                      ", ProbeValues=false, DebugLogging=true.\n",
                  "[Tallyglass] Unreal initialized; registering configured hooks.\n"});
    for (int i = 0; i < 4; ++i) {
        lines.push_back(registered(hook_paths[i], first_id + 2 * i, first_id + 2 * i + 1));
    }
}

Lines expected_lines(int reloads) {
    Lines lines;
    add_start(lines, 1);
    for (int reload = 1; reload <= reloads; ++reload) {
        lines.insert(lines.end(),
                     {"Re-installing all mods\n", "Stopping C++ mod 'Tallyglass' for uninstall\n"});
        for (int i = 3; i >= 0; --i) {
            lines.push_back("[Tallyglass] Unregistered hook for " + std::string(hook_paths[i]) +
                            ".\n");
        }
        add_start(lines, 1 + 8 * reload);
        lines.push_back("All mods re-installed\n");
    }
    return lines;
}

simhost::trading::Item item(const simhost::CharType* name, std::int32_t base, std::int32_t price) {
    simhost::trading::Item out;
    out.name = name;
    out.base = base;
    out.price = price;
    return out;
}

TEST(Threads, HotReloadsWhileTheGameTrades) {
    using simhost::trading::Panel;
    simhost::reset();
    auto screen = simhost::trading::build_screen();
    for (Panel panel : {Panel::Trader, Panel::Player, Panel::OfferBuy, Panel::OfferSell}) {
        screen.add(panel, item(STR("Sword"), 133, 120));
        screen.add(panel, item(STR("Potion"), 40, 30));
    }
    // Gone before the world is reset: at its exit the host releases the mod, which removes its
    // hooks from the functions of this world.
    auto launch = std::make_unique<testing_support::Launch>("DebugLogging=true\n");

    int reloads = 0;
    std::uint64_t frames_before = 0;
    std::uint64_t frames_after = 0;
    {
        simhost::HostThreads threads(launch->host, [&] { screen.open(); });
        threads.wait_for_init();
        frames_before = threads.frames();
        const auto deadline = std::chrono::steady_clock::now() + time_for_reloads;
        while (reloads < wanted_reloads && std::chrono::steady_clock::now() < deadline) {
            threads.hot_reload();
            ++reloads;
        }
        frames_after = threads.frames();
        EXPECT_GT(threads.updates(), 0u);
    }
    std::printf("%d hot reloads while the game thread opened %llu trades\n", reloads,
                static_cast<unsigned long long>(frames_after - frames_before));
    EXPECT_GT(frames_after, frames_before);

    Lines lifecycle;
    for (auto& line : testing_support::log_lines()) {
        if (lifecycle_line(line)) {
            lifecycle.push_back(line);
        }
    }
    EXPECT_EQ(lifecycle, expected_lines(reloads));
    EXPECT_EQ(simhost::callback_escapes(), 0u);
    EXPECT_TRUE(simhost::orphaned_hooks().empty());
    EXPECT_EQ(simhost::registered_hook_count(), 4u);

    // The mod of the last load still works, from the game thread's own callbacks.
    screen.open();
    EXPECT_EQ(testing_support::utf8(simhost::game::text_of(screen.slots[0].text_block)),
              "120 (99)");
    launch.reset();
    simhost::reset();
}
} // namespace
