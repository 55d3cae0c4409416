#include "mod/tallyglass.hpp"

#include <exception>

#include "config/config_file.hpp"

namespace tallyglass {
namespace {
// The host sees only this: a stateless function that turns the custom data back into the mod
// object. A failure that even the hook's own guard could not report (its log line failed)
// ends here rather than in the game.
template <void (Tallyglass::*Hook)(host::Context&)>
void dispatch(host::Context& context, void* custom_data) {
    try {
        (static_cast<Tallyglass*>(custom_data)->*Hook)(context);
    } catch (...) {
    }
}
} // namespace

void log_line(StringView line) {
    host::log(line);
}

void log_line_quietly(StringView line) {
    try {
        log_line(line);
    } catch (...) {
    }
}

void log_failure(StringView prefix, const std::exception* error) noexcept {
    try {
        String line(prefix);
        line += error ? widen_message(error->what()) : String(STR("unknown exception."));
        line += STR("\n");
        log_line(line);
    } catch (...) {
    }
}

bool is_sampled_call(std::int32_t n) {
    return n == 1 || n == 10 || n == 25 || n == 50 || n == 100;
}

String safe_full_name(host::Object* object) {
    if (!object) {
        return STR("<null>");
    }
    try {
        return host::full_name(object);
    } catch (...) {
        return STR("<GetFullName failed>");
    }
}

Tallyglass::Tallyglass() {
    ModName = STR("Tallyglass");
    ModVersion = mod_version;
    ModDescription = STR("Native UE4SS trade value display patch for Worthmark");
    ModAuthors = STR("brasswick");
    config = load_config();
    String line = STR("[Tallyglass] Loaded v");
    line += mod_version;
    line += STR("; config: ");
    line += config_summary(config);
    line += STR(".\n");
    log_line_quietly(line);
}

Tallyglass::~Tallyglass() {
    unregister_hook(text_block_hook);
    unregister_hook(get_item_at_hook);
    unregister_hook(list_hook);
    unregister_hook(value_hook);
}

void Tallyglass::on_unreal_init() {
    if (!config.Enabled) {
        log_line_quietly(STR("[Tallyglass] Unreal initialized; probe disabled by config.\n"));
        return;
    }
    log_line_quietly(STR("[Tallyglass] Unreal initialized; registering configured hooks.\n"));
    if (config.ProbeValues || config.DisplayMode != ValueDisplayMode::Off) {
        register_hook(value_hook, STR("/Script/G1R.TradingBalanceInventory:UpdateInventory"),
                      dispatch<&Tallyglass::handle_update_inventory>);
        register_hook(list_hook, STR("/Script/G1R.DiscreteItemViewWidget:SetListItemsBP"),
                      dispatch<&Tallyglass::handle_set_list_items>);
        register_hook(get_item_at_hook, STR("/Script/G1R.DiscreteItemViewWidget:GetItemAt"),
                      dispatch<&Tallyglass::handle_get_item_at>);
    } else {
        log_line_quietly(STR("[Tallyglass] Value/list hooks disabled by config.\n"));
    }
    if (config.DisplayMode == ValueDisplayMode::ValueTextAppend) {
        register_hook(text_block_hook, STR("/Script/UMG.TextBlock:SetText"),
                      dispatch<&Tallyglass::on_text_block_set_text>);
    } else {
        log_line_quietly(
            STR("[Tallyglass] Generic TextBlock value rewrite disabled by DisplayMode.\n"));
    }
}

void Tallyglass::register_hook(HookState& state, const Char* path, host::Callback callback) {
    state.path = path;
    try {
        state.ids = host::register_hook(state.path, std::move(callback), this);
    } catch (const std::exception& e) {
        state.registered = false;
        log_line_quietly(STR("[Tallyglass] Failed to register hook for ") + state.path + STR(": ") +
                         widen_message(e.what()) + STR("\n"));
        return;
    } catch (...) {
        state.registered = false;
        log_line_quietly(STR("[Tallyglass] Failed to register hook for ") + state.path +
                         STR(": unknown exception.\n"));
        return;
    }
    // Recorded before the line is written: a hook the host holds must be removed at unload even
    // when the log failed, or its callback would outlive this object.
    state.registered = state.ids.first != 0 || state.ids.second != 0;
    log_line_quietly(STR("[Tallyglass] Registered hook for ") + state.path + STR(" (pre=") +
                     to_text(state.ids.first) + STR(", post=") + to_text(state.ids.second) +
                     STR(").\n"));
}

void Tallyglass::unregister_hook(HookState& state) {
    if (!state.registered) {
        return;
    }
    try {
        host::unregister_hook(state.path, state.ids);
        if (config.DebugLogging) {
            log_line(STR("[Tallyglass] Unregistered hook for ") + state.path + STR(".\n"));
        }
    } catch (...) {
        log_line_quietly(STR("[Tallyglass] Hook unregister failed for ") + state.path +
                         STR("; continuing unload.\n"));
    }
    state.registered = false;
}
} // namespace tallyglass
