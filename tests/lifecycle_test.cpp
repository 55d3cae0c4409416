// The mod library as the host sees it: installed, loaded and started by the host's loader,
// initialised, and removed on a hot reload's uninstall.
#include <gtest/gtest.h>

#include <Mod/CppUserModBase.hpp>
#include <cstddef>
#include <new>
#include <stdexcept>

#include "mod/hook_guard.hpp"
#include "mod/tallyglass.hpp"

#include "support.hpp"

namespace {
using testing_support::Launch;
using testing_support::log_lines;
using testing_support::log_lines_with;
using testing_support::utf8;

using testing_support::registered;
using testing_support::registered_paths;
const std::string value_path = testing_support::hook_paths[0];
const std::string list_path = testing_support::hook_paths[1];
const std::string item_path = testing_support::hook_paths[2];
const std::string text_path = testing_support::hook_paths[3];
const std::string default_startup = testing_support::default_startup + std::string(".\n");
const std::string stopping = "Stopping C++ mod 'Tallyglass' for uninstall\n";

class Lifecycle : public testing_support::WorldTest {};

// The paths the mod asked the host to remove hooks at, in UTF-8.
std::vector<std::string> unregistered_paths() {
    std::vector<std::string> asked;
    for (const auto& path : simhost::unregistered_paths()) {
        asked.push_back(utf8(path));
    }
    return asked;
}

TEST_F(Lifecycle, StartupLineShowsTheSettingsInForce) {
    struct Case {
        const char* name;
        std::optional<std::string> ini;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"no file",
         std::nullopt,
         {"[Tallyglass] Config not found; using defaults.\n", default_startup}},
        {"empty file", "", {default_startup}},
        {"debug only",
         "ProbeValues=false\nDebugLogging=true\n",
         {"[Tallyglass] Loaded v0.4.0-rc1; config: Enabled=true, DisplayMode=ValueTextAppend, "
          "BaseValuePercent=75, HeatmapEnabled=true, HeatmapMode=Directional, "
          "HeatmapMaxDistancePercent=100, ProbeValues=false, DebugLogging=true.\n"}},
        {"everything changed",
         "Enabled=no\nDisplayMode=off\nBaseValuePercent=150%\nHeatmap=off\nHeatmapMode=distance\n"
         "HeatmapMaxDistancePercent=40\nProbeValues=on\n",
         {"[Tallyglass] Loaded v0.4.0-rc1; config: Enabled=false, DisplayMode=Off, "
          "BaseValuePercent=150, HeatmapEnabled=false, HeatmapMode=Neutral, "
          "HeatmapMaxDistancePercent=40, ProbeValues=true, DebugLogging=false.\n"}},
    };
    for (const auto& c : cases) {
        Launch launch(c.ini);
        EXPECT_EQ(log_lines_with("[Tallyglass]"), c.lines) << c.name;
        ASSERT_NE(launch.mod(), nullptr);
        EXPECT_EQ(utf8(launch.mod()->ModName + STR(" ") + launch.mod()->ModVersion + STR(", ") +
                       launch.mod()->ModAuthors + STR(": ") + launch.mod()->ModDescription),
                  "Tallyglass 0.4.0-rc1, brasswick: Native UE4SS trade value display patch for "
                  "Worthmark");
    }
}

TEST_F(Lifecycle, UnrealInitRegistersWhatTheSettingsAskFor) {
    struct Case {
        const char* name;
        std::string ini;
        std::vector<std::string> lines; // after the start-up line
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"defaults",
         "",
         {"[Tallyglass] Unreal initialized; registering configured hooks.\n",
          registered(value_path, 1, 2), registered(list_path, 3, 4), registered(item_path, 5, 6),
          registered(text_path, 7, 8)},
         {value_path, list_path, item_path, text_path}},
        {"disabled",
         "Enabled=false\nProbeValues=true\n",
         {"[Tallyglass] Unreal initialized; probe disabled by config.\n"},
         {}},
        {"display off, probing",
         "DisplayMode=Off\nProbeValues=true\n",
         {"[Tallyglass] Unreal initialized; registering configured hooks.\n",
          registered(value_path, 1, 2), registered(list_path, 3, 4), registered(item_path, 5, 6),
          "[Tallyglass] Generic TextBlock value rewrite disabled by DisplayMode.\n"},
         {value_path, list_path, item_path}},
        {"display off, not probing",
         "DisplayMode=Off\n",
         {"[Tallyglass] Unreal initialized; registering configured hooks.\n",
          "[Tallyglass] Value/list hooks disabled by config.\n",
          "[Tallyglass] Generic TextBlock value rewrite disabled by DisplayMode.\n"},
         {}},
    };
    for (const auto& c : cases) {
        simhost::reset();
        simhost::game::install();
        Launch launch(c.ini);
        simhost::clear_log();
        launch.host.fire_unreal_init();
        EXPECT_EQ(log_lines(), c.lines) << c.name;
        EXPECT_EQ(registered_paths(), c.paths) << c.name;
        simhost::clear_log();
        launch.host.uninstall_mods();
        EXPECT_EQ(log_lines(), std::vector<std::string>{stopping}) << c.name << ": unload is quiet";
        EXPECT_EQ(unregistered_paths(), std::vector<std::string>(c.paths.rbegin(), c.paths.rend()))
            << c.name << ": only what was registered is removed";
        EXPECT_EQ(simhost::registered_hook_count(), 0u) << c.name;
    }
}

// What the host makes of the TextBlock hook's registration; the other hooks register all the same.
TEST_F(Lifecycle, RegistrationOutcomes) {
    struct Case {
        const char* name;
        void (*arrange)(RC::Unreal::UClass* text_block);
        std::string line;
        bool removed; // at unload
    };
    static const auto set_text = STR("SetText");
    const Case cases[] = {
        {"ids (1, 0)",
         [](auto*) {
             simhost::set_register_result(STR("/Script/UMG.TextBlock:SetText"), {1, 0});
         },
         registered(text_path, 1, 0), true},
        {"ids (0, 1)",
         [](auto*) {
             simhost::set_register_result(STR("/Script/UMG.TextBlock:SetText"), {0, 1});
         },
         registered(text_path, 0, 1), true},
        {"ids (0, 0)",
         [](auto*) {
             simhost::set_register_result(STR("/Script/UMG.TextBlock:SetText"), {0, 0});
         },
         registered(text_path, 0, 0), false},
        {"ids (-1, -1) of a failed registration",
         [](auto*) {
             simhost::set_register_result(STR("/Script/UMG.TextBlock:SetText"), {-1, -1});
         },
         registered(text_path, -1, -1), false},
        {"a script function: one id for both",
         [](auto* cls) {
             simhost::remove_function(cls, set_text);
             simhost::define_function(cls, set_text, 24, -1, {}, simhost::FunctionKind::Script);
         },
         registered(text_path, 7, 7), true},
        // The host's lookup by path would use the null it found and take the game down.
        {"function not loaded", [](auto* cls) { simhost::remove_function(cls, set_text); },
         "[Tallyglass] Failed to register hook for " + text_path + ": function not found.\n",
         false},
        {"neither native nor script: the host throws",
         [](auto* cls) {
             simhost::remove_function(cls, set_text);
             simhost::define_function(cls, set_text, 24, -1, {}, simhost::FunctionKind::Neither);
         },
         "[Tallyglass] Failed to register hook for " + text_path + ": Tried to hook " + text_path +
             ", which is neither a native nor a script function\n",
         false},
    };
    for (const auto& c : cases) {
        simhost::reset();
        simhost::game::install();
        Launch launch("DebugLogging=true\n");
        c.arrange(simhost::find_class(STR("TextBlock")));
        simhost::clear_log();
        launch.host.fire_unreal_init();
        auto lines = log_lines();
        ASSERT_EQ(lines.size(), 5u) << c.name;
        EXPECT_EQ(lines[3], registered(item_path, 5, 6)) << c.name;
        EXPECT_EQ(lines[4], c.line) << c.name;
        simhost::clear_log();
        launch.host.uninstall_mods();
        auto removal = log_lines();
        ASSERT_EQ(removal.size(), c.removed ? 5u : 4u) << c.name;
        EXPECT_EQ(removal[1] == "[Tallyglass] Unregistered hook for " + text_path + ".\n",
                  c.removed)
            << c.name;
        EXPECT_EQ(simhost::registered_hook_count(), 0u) << c.name;
    }
}

TEST_F(Lifecycle, AFailedRemovalDoesNotStopTheOthers) {
    for (auto kind : {simhost::FaultKind::Standard, simhost::FaultKind::Foreign}) {
        simhost::reset();
        simhost::game::install();
        Launch launch;
        launch.host.fire_unreal_init();
        simhost::arm_fault({simhost::Op::UnregisterHook, 2, kind});
        simhost::clear_log();
        launch.host.uninstall_mods();
        EXPECT_EQ(log_lines(),
                  (std::vector<std::string>{stopping, "[Tallyglass] Hook unregister failed for " +
                                                          item_path + "; continuing unload.\n"}));
        EXPECT_EQ(unregistered_paths(),
                  (std::vector<std::string>{text_path, item_path, list_path, value_path}));
        EXPECT_EQ(registered_paths(), std::vector<std::string>{});
        ASSERT_EQ(simhost::orphaned_hooks().size(), 1u);
        EXPECT_EQ(utf8(simhost::orphaned_hooks()[0]), item_path)
            << "only the failed removal outlives the library";
    }
}

// The host holds every hook through one dispatch: whatever a body might let out stops there.
TEST(Dispatch, NothingAHookBodyLetsOutReachesTheHost) {
    struct Body {
        void standard(tallyglass::host::Context&) { throw std::runtime_error("out"); }
        void foreign(tallyglass::host::Context&) { throw 7; }
    } body;
    alignas(std::max_align_t) std::byte frame[64]{}; // the engine's stack frame, opaque
    tallyglass::host::Context context(nullptr, *reinterpret_cast<RC::Unreal::FFrame*>(frame),
                                      nullptr);
    EXPECT_NO_THROW((tallyglass::dispatch<Body, &Body::standard>(context, &body)));
    EXPECT_NO_THROW((tallyglass::dispatch<Body, &Body::foreign>(context, &body)));
}

// The gate, on one thread: a callback that reaches the mod once its destructor has begun touches
// nothing of it (not even the host on its behalf); one still inside the mod when the bound passes
// is logged, and the unload goes on.
TEST_F(Lifecycle, UnloadTurnsCallbacksAwayAndWaitsForThoseInside) {
    simhost::UObject* block = simhost::game::new_text_block(STR("Text_QuestTitle"), nullptr);
    alignas(std::max_align_t) std::byte frame[64]{};
    tallyglass::host::Context context(block, *reinterpret_cast<RC::Unreal::FFrame*>(frame),
                                      nullptr);
    constexpr auto hook = tallyglass::dispatch<tallyglass::Tallyglass,
                                               &tallyglass::Tallyglass::on_text_block_set_text>;
    // The object's storage stays the test's, so that a callback let through reads no freed memory.
    alignas(tallyglass::Tallyglass) std::byte storage[sizeof(tallyglass::Tallyglass)];
    auto* mod = new (storage) tallyglass::Tallyglass();
    std::uint64_t calls = simhost::host_calls();
    hook(context, mod);
    EXPECT_GT(simhost::host_calls(), calls) << "the open mod's hook ran";
    mod->~Tallyglass();
    calls = simhost::host_calls();
    hook(context, mod);
    EXPECT_EQ(simhost::host_calls(), calls) << "a callback reached a destroyed mod";

    auto* waited_for = new tallyglass::Tallyglass();
    {
        const tallyglass::gate::Passage inside(waited_for);
        simhost::clear_log();
        delete waited_for;
    }
    EXPECT_EQ(log_lines(), std::vector<std::string>{"[Tallyglass] Hook callbacks still running "
                                                    "after 1000 ms; unloading anyway.\n"});
    delete new tallyglass::Tallyglass(); // and none is inside now: no line
    EXPECT_EQ(log_lines_with("still running").size(), 1u);
}
} // namespace
