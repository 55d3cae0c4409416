// Reads one entry of a trading inventory list into a LeftList row. Host exceptions pass through
// to the calling hook's guard.
#include "capture/slot_rows.hpp"
#include "mod/tallyglass.hpp"
#include "ui/widgets.hpp"

namespace tallyglass {
CaptureCall begin_capture_call(std::int32_t& calls, const host::Context& context) {
    const bool sampled = is_sampled_call(count_up(calls));
    host::Object* object = host::context_object(context);
    String name = safe_full_name(object);
    const TradeSide side = trade_side_from_name(name);
    return {object, std::move(name), side, sampled};
}

LogLine summary_line(StringView head, std::int32_t calls, TradeSide side) {
    LogLine line(head);
    line.add(STR(" #")).add(calls).piece(STR("side"), trade_side_name(side));
    return line;
}

host::Object* base_config_at(const CallBlock& block, host::Object* inventory,
                             host::Function* get_base_config, std::int32_t pos) {
    CallParams params(block);
    params.set(block.argument, pos);
    host::process_event(inventory, get_base_config, params.data());
    return params.get<host::Object*>(block.result);
}

void add_slot_numbers(LogLine& line, const SlotFields& fields, std::int32_t base) {
    line.piece(STR("pos"), fields.pos)
        .piece(STR("current"), fields.current)
        .piece(STR("previous"), fields.previous)
        .piece(STR("base"), base)
        .piece(STR("amount"), fields.amount)
        .piece(STR("show"), flag_text(fields.show))
        .piece(STR("trader_index"), fields.trader_index);
}

host::Function* BaseConfigSource::get_base_config() {
    if (!looked_up) {
        function = host::find_function(owner_object, STR("GetBaseConfigByPos"));
        looked_up = true;
    }
    return function;
}

bool Tallyglass::read_list_row(TradeSide side, host::Object* slot_data, host::Object* owner,
                               std::int32_t list_index, std::int32_t& rows_logged_this_call) {
    BaseConfigSource source(owner);
    return read_list_row(side, slot_data, source, list_index, rows_logged_this_call);
}

bool Tallyglass::read_list_row(TradeSide side, host::Object* slot_data, BaseConfigSource& source,
                               std::int32_t list_index, std::int32_t& rows_logged_this_call) {
    if (!slot_data || !is_slot_data(host::full_name(slot_data))) {
        return false;
    }
    return read_slot_data_row(side, slot_data, source, list_index, rows_logged_this_call);
}

bool Tallyglass::read_slot_data_row(TradeSide side, host::Object* slot_data,
                                    BaseConfigSource& source, std::int32_t list_index,
                                    std::int32_t& rows_logged_this_call) {
    if (slot_skipped(slot_data)) {
        return false;
    }
    const SlotFields fields = read_slot_fields(slot_data);
    if (!source.owner() || !position_in_range(fields.pos)) {
        return false;
    }
    host::Function* get_base_config = source.get_base_config();
    if (!get_base_config) {
        return false;
    }
    host::Object* base_config =
        base_config_at(layout.get_base_config, source.owner(), get_base_config, fields.pos);
    if (!base_config) {
        return false;
    }
    const auto base = read_field<std::int32_t>(base_config, offsets::config_base_value);
    if (base < 0) {
        return false;
    }
    record_row(rows, capture_generation, slot_data, side, fields.pos, fields.current, fields.amount,
               base, fields.trader_index, RowSource::LeftList, host::full_name(base_config));

    if (config.ProbeValues && rows_logged_this_call < limits::list_rows_per_call &&
        list_rows_logged < limits::list_rows_per_load) {
        ++rows_logged_this_call;
        ++list_rows_logged;
        LogLine line(STR("LeftList row side="));
        line.add(trade_side_name(side)).piece(STR("list_index"), list_index);
        add_slot_numbers(line, fields, base);
        line.piece(STR("item"), host::full_name(base_config)).send();
    }
    return true;
}
} // namespace tallyglass
