// The hook after TradingBalanceInventory::UpdateInventory: records an Offer row with its base
// value for every slot of a trade's balance section.
#include <exception>

#include "capture/slot_rows.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
constexpr std::int32_t value_rows_per_call = 6;
constexpr std::int32_t value_rows_per_load = 36;
constexpr std::int32_t max_array_count = 256;
constexpr std::int32_t max_array_capacity = 512;

// The engine's dynamic array as UpdateInventory returns it.
struct ArrayHeader {
    const void* data;
    std::int32_t count;
    std::int32_t capacity;
};

ArrayHeader read_array_header(const void* result) {
    return {read_field<const void*>(result, 0), read_field<std::int32_t>(result, 8),
            read_field<std::int32_t>(result, 12)};
}

bool plausible(const ArrayHeader& header) {
    return static_cast<std::uint32_t>(header.count) <= max_array_count &&
           header.capacity >= header.count && header.capacity <= max_array_capacity;
}

void capture_balance_slots(Tallyglass& mod, host::Context& context) {
    const bool sampled = is_sampled_call(++mod.value_hook_calls);
    host::Object* balance = host::context_object(context);
    const String context_name = safe_full_name(balance);
    const TradeSide side = trade_side_from_name(context_name);
    const bool debug = mod.config.DebugLogging;
    if (debug && sampled) {
        String line = STR("[Tallyglass] Value hook UpdateInventory #");
        line += to_text(mod.value_hook_calls);
        line += STR("; side=");
        line += trade_side_name(side);
        line += STR("; text_appended_total=");
        line += to_text(mod.text_appended_total);
        line += STR("; context=");
        line += context_name;
        line += STR(".\n");
        log_line(line);
    }
    if (side == TradeSide::Other) {
        return;
    }
    ++mod.capture_generation;
    const void* result = host::context_result(context);
    if (!result) {
        if (debug) {
            log_line(STR("[Tallyglass] Value hook skipped: UpdateInventory return array pointer "
                         "unavailable.\n"));
        }
        return;
    }

    auto* inventory_base =
        read_field<host::Object*>(balance, offsets::balance_inventory_base_trading);
    if (!inventory_base) {
        if (debug) {
            String line =
                STR("[Tallyglass] Value hook skipped: m_InventoryBaseTrading is null for side=");
            line += trade_side_name(side);
            line += STR(".\n");
            log_line(line);
        }
        return;
    }
    host::Function* get_base_config =
        host::find_function(inventory_base, STR("GetBaseConfigByPos"));
    if (!get_base_config) {
        if (debug) {
            log_line(
                STR("[Tallyglass] Value hook skipped: GetBaseConfigByPos function not found.\n"));
        }
        return;
    }
    const ArrayHeader header = read_array_header(result);
    if (!plausible(header)) {
        if (debug) {
            String line =
                STR("[Tallyglass] Value hook skipped: implausible UpdateInventory return array "
                    "count=");
            line += to_text(header.count);
            line += STR(", capacity=");
            line += to_text(header.capacity);
            line += STR(".\n");
            log_line(line);
        }
        return;
    }
    const bool probe = mod.config.ProbeValues;
    if (probe && debug && sampled) {
        String line = STR("[Tallyglass] Value hook return side=");
        line += trade_side_name(side);
        line += STR("; slots=");
        line += to_text(header.count);
        line += STR("; inventory_base=");
        line += host::full_name(inventory_base);
        line += STR(".\n");
        log_line(line);
    }

    if (!header.data) {
        return; // every element counts as null
    }
    std::int32_t rows_logged_this_call = 0;
    for (std::int32_t index = 0; index < header.count; ++index) {
        auto* slot =
            read_field<host::Object*>(header.data, static_cast<std::size_t>(index) * sizeof(void*));
        if (!slot || slot_skipped(slot)) {
            continue;
        }
        const SlotFields fields = read_slot_fields(slot);
        std::int32_t base = -1;
        host::Object* config = nullptr;
        bool captured = false;
        if (position_in_range(fields.pos)) {
            config = base_config_at(inventory_base, get_base_config, fields.pos);
            if (config) {
                base = read_field<std::int32_t>(config, offsets::config_base_value);
                if (base >= 0) {
                    captured = true;
                    record_row(mod.rows, mod.capture_generation, slot, side, fields.pos,
                               fields.current, fields.amount, base, fields.trader_index,
                               RowSource::Offer, host::full_name(config));
                }
            }
        }
        if (!probe) {
            continue;
        }
        if (rows_logged_this_call < value_rows_per_call &&
            mod.value_rows_logged < value_rows_per_load) {
            ++rows_logged_this_call;
            ++mod.value_rows_logged;
            const bool append_text =
                mod.config.DisplayMode == ValueDisplayMode::ValueTextAppend && captured;
            String line = STR("[Tallyglass] ValueDisplay row side=");
            line += trade_side_name(side);
            line += STR("; slot_index=");
            line += to_text(index);
            append_slot_numbers(line, fields, base);
            line += STR("; append_text=");
            line += flag_text(append_text);
            line += STR("; item=");
            if (config) {
                line += host::full_name(config);
            } else {
                line += STR("<null>");
            }
            line += STR(".\n");
            log_line(line);
        } else if (!mod.value_row_cap_logged && mod.value_rows_logged >= value_rows_per_load) {
            mod.value_row_cap_logged = true;
            log_line(STR("[Tallyglass] ValueDisplay row cap reached; further rows are suppressed "
                         "this session.\n"));
        }
    }
}
} // namespace

// Everything is guarded, not only the steps that touch game objects: a failing log output in the
// early steps must not reach the game either.
void Tallyglass::handle_update_inventory(host::Context& context) {
    try {
        capture_balance_slots(*this, context);
    } catch (const std::exception& error) {
        log_failure(STR("[Tallyglass] Value hook failed: "), &error);
    } catch (...) {
        log_failure(STR("[Tallyglass] Value hook failed: "), nullptr);
    }
}
} // namespace tallyglass
