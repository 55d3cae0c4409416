// The hooks after DiscreteItemViewWidget::SetListItemsBP and ::GetItemAt: read the entries of a
// trading inventory list into LeftList rows.
#include <exception>

#include "capture/slot_layout.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
constexpr std::int32_t max_list_count = 256;
constexpr std::int32_t list_rows_per_load = 48;

// GetItemAt: int32 index, four zero bytes, then the returned entry.
struct ItemAtParams {
    std::int32_t index;
    std::uint8_t zero[4];
    void* result;
};
static_assert(sizeof(ItemAtParams) == 16 && offsetof(ItemAtParams, result) == 8);

void read_list(Tallyglass& mod, host::Context& context) {
    const bool sampled = is_sampled_call(++mod.list_hook_calls);
    host::Object* list = host::context_object(context);
    const String name = safe_full_name(list);
    const TradeSide side = trade_side_from_name(name);
    const bool debug = mod.config.DebugLogging;
    if (debug && sampled) {
        String line = STR("[Tallyglass] List hook SetListItemsBP #");
        line += to_text(mod.list_hook_calls);
        line += STR("; side=");
        line += trade_side_name(side);
        line += STR("; context=");
        line += name;
        line += STR(".\n");
        log_line(line);
    }
    if (side == TradeSide::Other) {
        return;
    }

    host::Object* owner = mod.find_trading_owner(list);
    if (!owner) {
        if (debug) {
            String line = STR("[Tallyglass] List hook skipped: owner "
                              "InventoryBaseTrading/InventoryBase not found for side=");
            line += trade_side_name(side);
            line += STR(".\n");
            log_line(line);
        }
        return;
    }
    host::Function* get_num_items = host::find_function(list, STR("GetNumItems"));
    host::Function* get_item_at = host::find_function(list, STR("GetItemAt"));
    if (!get_num_items || !get_item_at) {
        if (debug) {
            log_line(
                STR("[Tallyglass] List hook skipped: GetNumItems/GetItemAt function missing.\n"));
        }
        return;
    }
    std::int32_t count = 0;
    host::process_event(list, get_num_items, &count);
    if (static_cast<std::uint32_t>(count) > max_list_count) {
        if (debug) {
            String line = STR("[Tallyglass] List hook skipped: implausible item count=");
            line += to_text(count);
            line += STR(".\n");
            log_line(line);
        }
        return;
    }

    ++mod.capture_generation;
    std::int32_t rows_logged_this_call = 0;
    for (std::int32_t index = 0; index < count; ++index) {
        ItemAtParams params{index, {}, nullptr};
        host::process_event(list, get_item_at, &params);
        auto* entry = static_cast<host::Object*>(params.result);
        const bool recorded = mod.read_list_row(side, entry, owner, index, rows_logged_this_call);
        if (recorded && mod.config.ProbeValues && !mod.list_row_cap_logged &&
            mod.list_rows_logged >= list_rows_per_load) {
            mod.list_row_cap_logged = true;
            log_line(STR("[Tallyglass] LeftList row cap reached; further rows are suppressed this "
                         "session.\n"));
        }
    }
}

void read_fetched_entry(Tallyglass& mod, host::Context& context) {
    // The game fetches entries often; nothing is named for a call that cannot give one.
    host::Object* list = host::context_object(context);
    const void* result = host::context_result(context);
    if (!list || !result) {
        return;
    }
    const TradeSide side = trade_side_from_name(safe_full_name(list));
    if (side == TradeSide::Other) {
        return;
    }
    host::Object* owner = mod.find_trading_owner(list);
    if (!owner) {
        return;
    }
    auto* entry = read_field<host::Object*>(result, 0);
    std::int32_t rows_logged_this_call = 0;
    mod.read_list_row(side, entry, owner, -1, rows_logged_this_call);
}
} // namespace

// Both bodies are guarded as a whole: the early steps only name objects and log, but a failing
// log output must not reach the game either.
void Tallyglass::handle_set_list_items(host::Context& context) {
    try {
        read_list(*this, context);
    } catch (const std::exception& error) {
        log_failure(STR("[Tallyglass] List hook failed: "), &error);
    } catch (...) {
        log_failure(STR("[Tallyglass] List hook failed: "), nullptr);
    }
}

void Tallyglass::handle_get_item_at(host::Context& context) {
    try {
        read_fetched_entry(*this, context);
    } catch (const std::exception& error) {
        log_failure(STR("[Tallyglass] GetItemAt hook failed: "), &error);
    } catch (...) {
        log_failure(STR("[Tallyglass] GetItemAt hook failed: "), nullptr);
    }
}
} // namespace tallyglass
