// The hooks after DiscreteItemViewWidget::SetListItemsBP and ::GetItemAt: read the entries of a
// trading inventory list into LeftList rows.
#include <optional>
#include <utility>

#include "capture/slot_rows.hpp"
#include "mod/hook_guard.hpp"
#include "mod/tallyglass.hpp"
#include "ui/widgets.hpp"

namespace tallyglass {
namespace {
void log_skip(const Tallyglass& mod, StringView reason) {
    if (mod.config.DebugLogging) {
        LogLine(STR("List hook skipped: ")).add(reason).send();
    }
}

// The list's owner holds the base configs; GetNumItems and GetItemAt walk its entries.
struct ListAccess {
    host::Object* owner;
    host::Function* get_num_items;
    host::Function* get_item_at;
};

std::optional<ListAccess> open_list(Tallyglass& mod, host::Object* list, StringView list_name,
                                    TradeSide side) {
    host::Object* owner = mod.find_trading_owner(list, list_name);
    if (!owner) {
        if (mod.config.DebugLogging) {
            LogLine(STR("List hook skipped: owner InventoryBaseTrading/InventoryBase not found for "
                        "side="))
                .add(trade_side_name(side))
                .send();
        }
        return std::nullopt;
    }
    host::Function* get_num_items = host::find_function(list, STR("GetNumItems"));
    host::Function* get_item_at = host::find_function(list, STR("GetItemAt"));
    if (!get_num_items || !get_item_at) {
        log_skip(mod, STR("GetNumItems/GetItemAt function missing"));
        return std::nullopt;
    }
    return ListAccess{owner, get_num_items, get_item_at};
}

// GetItemAt through the host, which runs the GetItemAt hook for this call too. The list's other
// fetches, the game's own among them, have return storage of their own and are read as before.
host::Object* fetch_entry(Tallyglass& mod, host::Object* list, host::Function* get_item_at,
                          std::int32_t index) {
    const CallBlock& block = mod.layout.get_item_at;
    CallParams params(block);
    params.set(block.argument, index);
    struct OwnFetch {
        Tallyglass& mod;
        const void* outer; // of a fill of another list, nested in the game's GetItemAt
        ~OwnFetch() { mod.own_fetch_result = outer; }
    } own{mod, std::exchange(mod.own_fetch_result, params.at(block.result))};
    host::process_event(list, get_item_at, params.data());
    return params.get<host::Object*>(block.result);
}

void read_entries(Tallyglass& mod, host::Object* list, TradeSide side, const ListAccess& access,
                  std::int32_t count) {
    count_up(mod.capture_generation);
    std::int32_t rows_logged_this_call = 0;
    BaseConfigSource source(access.owner);
    for (std::int32_t index = 0; index < count; ++index) {
        auto* entry = fetch_entry(mod, list, access.get_item_at, index);
        const bool recorded = mod.read_list_row(side, entry, source, index, rows_logged_this_call);
        if (recorded && mod.config.ProbeValues && !mod.list_row_cap_logged &&
            mod.list_rows_logged >= limits::list_rows_per_load) {
            mod.list_row_cap_logged = true;
            log_line(STR("[Tallyglass] LeftList row cap reached; further rows are suppressed this "
                         "session.\n"));
        }
    }
}

void read_list(Tallyglass& mod, host::Context& context) {
    const CaptureCall call = begin_capture_call(mod.list_hook_calls, context);
    if (mod.config.DebugLogging && call.sampled) {
        summary_line(STR("List hook SetListItemsBP"), mod.list_hook_calls, call.side)
            .piece(STR("context"), call.name)
            .send();
    }
    if (call.side == TradeSide::Other) {
        return;
    }
    host::Object* list = call.object;
    const TradeSide side = call.side;
    const std::optional<ListAccess> access = open_list(mod, list, call.name, side);
    if (!access) {
        return;
    }
    CallParams params(mod.layout.get_num_items);
    host::process_event(list, access->get_num_items, params.data());
    const auto count = params.get<std::int32_t>(mod.layout.get_num_items.result);
    if (static_cast<std::uint32_t>(count) > static_cast<std::uint32_t>(limits::max_list_items)) {
        if (mod.config.DebugLogging) {
            LogLine(STR("List hook skipped: implausible item count=")).add(count).send();
        }
        return;
    }
    read_entries(mod, list, side, *access, count);
}

void read_fetched_entry(Tallyglass& mod, host::Context& context) {
    // The game fetches entries often; nothing is named for a call that cannot give one.
    host::Object* list = host::context_object(context);
    const void* result = host::context_result(context);
    if (!list || !result || result == mod.own_fetch_result) {
        return;
    }
    const String name = safe_full_name(list);
    const TradeSide side = trade_side_from_name(name);
    if (side == TradeSide::Other) {
        return;
    }
    host::Object* owner = mod.find_trading_owner(list, name);
    if (!owner) {
        return;
    }
    auto* entry = read_field<host::Object*>(result, 0);
    std::int32_t rows_logged_this_call = 0;
    mod.read_list_row(side, entry, owner, fetched_list_index, rows_logged_this_call);
}
} // namespace

// Both bodies are guarded as a whole: the early steps only name objects and log, but a failing
// log output must not reach the game either.
void Tallyglass::handle_set_list_items(host::Context& context) {
    run_guarded(STR("[Tallyglass] List hook failed: "), [&] { read_list(*this, context); });
}

void Tallyglass::handle_get_item_at(host::Context& context) {
    run_guarded(STR("[Tallyglass] GetItemAt hook failed: "),
                [&] { read_fetched_entry(*this, context); });
}
} // namespace tallyglass
