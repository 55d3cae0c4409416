// The hook after TradingBalanceInventory::UpdateInventory: records an Offer row with its base
// value for every slot of a trade's balance section.
#include "capture/slot_rows.hpp"
#include "mod/hook_guard.hpp"
#include "mod/tallyglass.hpp"
#include "ui/widgets.hpp"

namespace tallyglass {
namespace {
// One slot of the section as the hook saw it.
struct CapturedSlot {
    SlotFields fields;
    std::int32_t base = -1;         // -1 when the position was out of range or no config came back
    host::Object* config = nullptr; // the base config object, even when its value is negative
    bool captured = false;          // a row was recorded
};

bool plausible(const ArrayHeader& header) {
    return static_cast<std::uint32_t>(header.count) <=
               static_cast<std::uint32_t>(limits::max_balance_slots) &&
           header.capacity >= header.count && header.capacity <= limits::max_balance_capacity;
}

void log_skip(const Tallyglass& mod, StringView reason) {
    if (mod.config.DebugLogging) {
        LogLine(STR("Value hook skipped: ")).add(reason).send();
    }
}

CapturedSlot capture_slot(Tallyglass& mod, TradeSide side, host::Object* slot,
                          host::Object* inventory, host::Function* get_base_config) {
    CapturedSlot out{read_slot_fields(slot)};
    if (!position_in_range(out.fields.pos)) {
        return out;
    }
    out.config =
        base_config_at(mod.layout.get_base_config, inventory, get_base_config, out.fields.pos);
    if (!out.config) {
        return out;
    }
    out.base = read_field<std::int32_t>(out.config, offsets::config_base_value);
    if (out.base >= 0) {
        out.captured = true;
        record_row(mod.rows, mod.capture_generation, slot, side, out.fields.pos, out.fields.current,
                   out.fields.amount, out.base, out.fields.trader_index, RowSource::Offer,
                   host::full_name(out.config));
    }
    return out;
}

void log_value_row(Tallyglass& mod, TradeSide side, std::int32_t index, const CapturedSlot& slot,
                   std::int32_t& rows_logged_this_call) {
    if (rows_logged_this_call < limits::value_rows_per_call &&
        mod.value_rows_logged < limits::value_rows_per_load) {
        ++rows_logged_this_call;
        ++mod.value_rows_logged;
        const bool append_text =
            mod.config.DisplayMode == ValueDisplayMode::ValueTextAppend && slot.captured;
        LogLine line(STR("ValueDisplay row side="));
        line.add(trade_side_name(side)).piece(STR("slot_index"), index);
        add_slot_numbers(line, slot.fields, slot.base);
        line.piece(STR("append_text"), flag_text(append_text))
            .piece(STR("item"), slot.config ? host::full_name(slot.config) : String(STR("<null>")))
            .send();
    } else if (!mod.value_row_cap_logged && mod.value_rows_logged >= limits::value_rows_per_load) {
        mod.value_row_cap_logged = true;
        log_line(STR("[Tallyglass] ValueDisplay row cap reached; further rows are suppressed this "
                     "session.\n"));
    }
}

void capture_slots(Tallyglass& mod, TradeSide side, const ArrayHeader& header,
                   host::Object* inventory, host::Function* get_base_config) {
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
        const CapturedSlot captured = capture_slot(mod, side, slot, inventory, get_base_config);
        if (mod.config.ProbeValues) {
            log_value_row(mod, side, index, captured, rows_logged_this_call);
        }
    }
}

// After the section is known to be on a side: the inventory, the getter and the array, each
// checked before any slot is read.
void capture_section(Tallyglass& mod, host::Object* section, const void* result, TradeSide side,
                     bool sampled) {
    auto* inventory = read_field<host::Object*>(section, offsets::balance_inventory_base_trading);
    if (!inventory) {
        if (mod.config.DebugLogging) {
            LogLine(STR("Value hook skipped: m_InventoryBaseTrading is null for side="))
                .add(trade_side_name(side))
                .send();
        }
        return;
    }
    host::Function* get_base_config = host::find_function(inventory, STR("GetBaseConfigByPos"));
    if (!get_base_config) {
        return log_skip(mod, STR("GetBaseConfigByPos function not found"));
    }
    const ArrayHeader header = read_array_header(result);
    if (!plausible(header)) {
        if (mod.config.DebugLogging) {
            LogLine(STR("Value hook skipped: implausible UpdateInventory return array count="))
                .add(header.count)
                .add(STR(", capacity="))
                .add(header.capacity)
                .send();
        }
        return;
    }
    if (mod.config.ProbeValues && mod.config.DebugLogging && sampled) {
        LogLine(STR("Value hook return side="))
            .add(trade_side_name(side))
            .piece(STR("slots"), header.count)
            .piece(STR("inventory_base"), host::full_name(inventory))
            .send();
    }
    capture_slots(mod, side, header, inventory, get_base_config);
}

void capture_balance_section(Tallyglass& mod, host::Context& context) {
    const CaptureCall call = begin_capture_call(mod.value_hook_calls, context);
    if (mod.config.DebugLogging && call.sampled) {
        summary_line(STR("Value hook UpdateInventory"), mod.value_hook_calls, call.side)
            .piece(STR("text_appended_total"), mod.text_appended_total)
            .piece(STR("context"), call.name)
            .send();
    }
    if (call.side == TradeSide::Other) {
        return;
    }
    count_up(mod.capture_generation);
    const void* result = host::context_result(context);
    if (!result) {
        return log_skip(mod, STR("UpdateInventory return array pointer unavailable"));
    }
    capture_section(mod, call.object, result, call.side, call.sampled);
}
} // namespace

void Tallyglass::handle_update_inventory(host::Context& context) {
    // The whole body is guarded, not only the steps that touch game objects: a failing log output
    // in the early steps must not reach the game either.
    run_guarded(STR("[Tallyglass] Value hook failed: "),
                [&] { capture_balance_section(*this, context); });
}
} // namespace tallyglass
