// Reads one entry of a trading inventory list into a LeftList row. Host exceptions pass through
// to the calling hook's guard.
#include "capture/slot_rows.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
constexpr std::int32_t list_rows_per_call = 24;
constexpr std::int32_t list_rows_per_load = 48;
} // namespace

host::Object* base_config_at(host::Object* inventory, host::Function* get_base_config,
                             std::int32_t pos) {
    BaseConfigParams params{pos, {}, nullptr};
    host::process_event(inventory, get_base_config, &params);
    return static_cast<host::Object*>(params.result);
}

void append_slot_numbers(String& line, const SlotFields& fields, std::int32_t base) {
    line += STR("; pos=");
    line += to_text(fields.pos);
    line += STR("; current=");
    line += to_text(fields.current);
    line += STR("; previous=");
    line += to_text(fields.previous);
    line += STR("; base=");
    line += to_text(base);
    line += STR("; amount=");
    line += to_text(fields.amount);
    line += STR("; show=");
    line += flag_text(fields.show);
    line += STR("; trader_index=");
    line += to_text(fields.trader_index);
}

bool Tallyglass::read_list_row(TradeSide side, host::Object* slot_data, host::Object* owner,
                               std::int32_t list_index, std::int32_t& rows_logged_this_call) {
    if (!slot_data || !contains_text(host::full_name(slot_data), STR("InventorySlotData")) ||
        slot_skipped(slot_data)) {
        return false;
    }
    const SlotFields fields = read_slot_fields(slot_data);
    if (!owner || !position_in_range(fields.pos)) {
        return false;
    }
    host::Function* get_base_config = host::find_function(owner, STR("GetBaseConfigByPos"));
    if (!get_base_config) {
        return false;
    }
    host::Object* base_config = base_config_at(owner, get_base_config, fields.pos);
    if (!base_config) {
        return false;
    }
    const auto base = read_field<std::int32_t>(base_config, offsets::config_base_value);
    if (base < 0) {
        return false;
    }
    record_row(rows, capture_generation, slot_data, side, fields.pos, fields.current, fields.amount,
               base, fields.trader_index, RowSource::LeftList, host::full_name(base_config));

    if (config.ProbeValues && rows_logged_this_call < list_rows_per_call &&
        list_rows_logged < list_rows_per_load) {
        ++rows_logged_this_call;
        ++list_rows_logged;
        String line = STR("[Tallyglass] LeftList row side=");
        line += trade_side_name(side);
        line += STR("; list_index=");
        line += to_text(list_index);
        append_slot_numbers(line, fields, base);
        line += STR("; item=");
        line += host::full_name(base_config);
        line += STR(".\n");
        log_line(line);
    }
    return true;
}
} // namespace tallyglass
