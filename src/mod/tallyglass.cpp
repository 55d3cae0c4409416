#include "mod/tallyglass.hpp"

#include "config/config_file.hpp"
#include "config/settings.hpp"
#include "host/log.hpp"
#include "mod/gate.hpp"
#include "mod/hook_guard.hpp"

namespace tallyglass {
Tallyglass::Tallyglass() {
    ModName = STR("Tallyglass");
    ModVersion = mod_version;
    ModDescription = STR("Native UE4SS trade value display patch for Worthmark");
    ModAuthors = STR("brasswick");
    config = load_config();
    quietly([&] {
        LogLine(STR("Loaded v"))
            .add(mod_version)
            .add(STR("; config: "))
            .add(config_summary(config))
            .send();
    });
    // Last: a hook registered from now on may fire on the game thread at once.
    gate::open(this);
}

// The host may destroy the object on its update thread while the game thread is inside a hook,
// and frees the library as soon as this returns: callbacks are turned away first, then the hooks
// go, then every callback still inside the mod is waited for.
Tallyglass::~Tallyglass() {
    gate::close(this);
    unregister_hook(text_block_hook);
    unregister_hook(get_item_at_hook);
    unregister_hook(list_hook);
    unregister_hook(value_hook);
    if (!gate::drain(gate::drain_bound)) {
        quietly([] {
            LogLine(STR("Hook callbacks still running after "))
                .add(static_cast<std::int32_t>(gate::drain_bound.count()))
                .add(STR(" ms; unloading anyway"))
                .send();
        });
    }
}

void Tallyglass::on_unreal_init() {
    if (!config.Enabled) {
        quietly(
            [] { log_line(STR("[Tallyglass] Unreal initialized; probe disabled by config.\n")); });
        return;
    }
    quietly(
        [] { log_line(STR("[Tallyglass] Unreal initialized; registering configured hooks.\n")); });
    const bool capture = config.ProbeValues || config.DisplayMode != ValueDisplayMode::Off;
    const bool rewrite = config.DisplayMode == ValueDisplayMode::ValueTextAppend;
    std::uint32_t wanted = 0;
    if (capture) {
        wanted |= Part::ValueCapture | Part::ListCapture;
    }
    if (rewrite) {
        wanted |= Part::TextRewrite | Part::SlotMatch | Part::OnDemandRead;
        wanted |= config.HeatmapEnabled ? static_cast<std::uint32_t>(Part::Heatmap) : 0;
    }
    // Once, before any hook can run: a hook whose layout changed is never registered.
    layout = bind_game_layout(wanted);
    if (capture) {
        if (layout.on(Part::ValueCapture)) {
            register_hook(value_hook, STR("/Script/G1R.TradingBalanceInventory:UpdateInventory"),
                          dispatch<Tallyglass, &Tallyglass::handle_update_inventory>);
        }
        if (layout.on(Part::ListCapture)) {
            register_hook(list_hook, STR("/Script/G1R.DiscreteItemViewWidget:SetListItemsBP"),
                          dispatch<Tallyglass, &Tallyglass::handle_set_list_items>);
            register_hook(get_item_at_hook, STR("/Script/G1R.DiscreteItemViewWidget:GetItemAt"),
                          dispatch<Tallyglass, &Tallyglass::handle_get_item_at>);
        }
    } else {
        quietly([] { log_line(STR("[Tallyglass] Value/list hooks disabled by config.\n")); });
    }
    if (rewrite && !layout.on(Part::TextRewrite)) {
        return;
    }
    if (rewrite) {
        register_hook(text_block_hook, STR("/Script/UMG.TextBlock:SetText"),
                      dispatch<Tallyglass, &Tallyglass::on_text_block_set_text>);
    } else {
        quietly([] {
            log_line(
                STR("[Tallyglass] Generic TextBlock value rewrite disabled by DisplayMode.\n"));
        });
    }
}

void Tallyglass::register_hook(HookState& state, const Char* path, host::Callback callback) {
    try {
        // Inside the guard: copying the path allocates, and a failure must not reach the host.
        state.path = path;
        // The host's own lookup by path uses what it finds unchecked: a function the game has not
        // loaded would crash the game there.
        state.function = host::find_function_at(state.path);
        if (!state.function) {
            state.registered = false;
            quietly([&] {
                log_line(STR("[Tallyglass] Failed to register hook for ") + state.path +
                         STR(": function not found.\n"));
            });
            return;
        }
        state.ids = host::register_hook(state.function, std::move(callback), this);
    } catch (...) {
        state.registered = false;
        quietly([&, error = std::current_exception()] {
            log_failure(String(STR("[Tallyglass] Failed to register hook for ")) + path + STR(": "),
                        error);
        });
        return;
    }
    // Recorded before the line is written: a hook the host holds must be removed at unload even
    // when the log failed, or its callback would outlive this object. Hosts report a failure as
    // (0, 0) or, in one fork, (-1, -1).
    state.registered = state.ids.first > 0 || state.ids.second > 0;
    quietly([&] {
        LogLine(STR("Registered hook for "))
            .add(state.path)
            .add(STR(" (pre="))
            .add(state.ids.first)
            .add(STR(", post="))
            .add(state.ids.second)
            .add(STR(")"))
            .send();
    });
}

void Tallyglass::unregister_hook(HookState& state) {
    if (!state.registered) {
        return;
    }
    try {
        host::unregister_hook(state.function, state.ids);
        if (config.DebugLogging) {
            LogLine(STR("Unregistered hook for ")).add(state.path).send();
        }
    } catch (...) {
        quietly([&] {
            log_line(STR("[Tallyglass] Hook unregister failed for ") + state.path +
                     STR("; continuing unload.\n"));
        });
    }
    state.registered = false;
}
} // namespace tallyglass
