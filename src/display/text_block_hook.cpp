// The hook on the engine's TextBlock SetText: recognises a trading slot's value text, finds the
// item behind it, appends the scaled base value and colours the text.
#include <optional>

#include "config/settings.hpp"
#include "display/value_text.hpp"
#include "game/layout.hpp"
#include "game/limits.hpp"
#include "mod/hook_guard.hpp"
#include "mod/tallyglass.hpp"
#include "ui/widgets.hpp"

namespace tallyglass {
namespace {
// Every text block of the game passes these tests; most fail the first.
constexpr TextPattern trading_main(STR("W_Trading_Main"));
constexpr TextPattern inventory_slot(STR("W_Inventory_Slot"));
constexpr TextPattern text_value(STR("Text_Value"));
constexpr TextPattern trading_inventory(STR("W_TradingInventory"));

enum class TextMatch { SlotData, Value };

const Char* text_match_name(TextMatch match) {
    return match == TextMatch::SlotData ? STR("slot-data") : STR("value");
}

// A slot's value text showing a plain number, before its item is looked for.
struct ValueText {
    String name; // the text block's full name
    TradeSide side;
    String shown; // as the game set it
    std::int32_t observed;
};

struct FoundRow {
    ItemRow row;
    TextMatch match;
};

struct Heatmap {
    std::int32_t distance = 0;
    bool applied = false;
};

std::optional<ValueText> recognise(Tallyglass& mod, host::Object* text_block) {
    String name = safe_full_name(text_block);
    if (!trading_main.found_in(name) || !inventory_slot.found_in(name) ||
        !text_value.found_in(name)) {
        return std::nullopt;
    }
    const TradeSide side = trade_side_from_name(name);
    if (side == TradeSide::Other) {
        return std::nullopt;
    }
    String shown;
    if (!mod.read_text_property(text_block, offsets::text_block_text, shown)) {
        mod.log_text_append_skip(STR("could not read TextBlock.Text"), name);
        return std::nullopt;
    }
    if (!shown.empty() && has_appended_value(shown)) {
        return std::nullopt;
    }
    const std::optional<std::int32_t> observed = parse_shown_value(shown);
    if (!observed) {
        return std::nullopt;
    }
    return ValueText{std::move(name), side, std::move(shown), *observed};
}

// A copy of the row: the engine's SetText may run capture hooks that move or drop cached rows.
// Its item's name goes only into the applied row's line, so it is copied only for that.
FoundRow copy_of(const Tallyglass& mod, const ItemRow& row, TextMatch match) {
    FoundRow out{{row.slot_data, row.side, row.generation, row.pos, row.current, row.amount,
                  row.base, row.trader_index, row.source, String()},
                 match};
    if (mod.config.DebugLogging) {
        out.row.item = row.item;
    }
    return out;
}

// The slot's list entry read when the cache lacks it.
const ItemRow* read_on_demand(Tallyglass& mod, const NamedObject& slot, host::Object* slot_data,
                              const ValueText& value) {
    if (!slot_data || !slot.object || !trading_inventory.found_in(value.name) ||
        !mod.layout.on(Part::OnDemandRead)) {
        return nullptr;
    }
    host::Object* owner = mod.find_trading_owner(slot.object, slot.name);
    if (!owner) {
        return nullptr;
    }
    BaseConfigSource source(owner);
    // Preset to the per-call cap, so that this read writes no list row line.
    std::int32_t logged = limits::list_rows_per_call;
    mod.read_slot_data_row(value.side, slot_data, source, on_demand_list_index, logged);
    return find_row(mod.rows, mod.capture_generation, value.side, slot_data);
}

// By the slot's data object, reading the slot's list entry on demand when the cache lacks it, and
// last by the number shown. Each object is named once: the text block's name starts the walk to
// its slot, the slot's starts the walk to the list's owner.
std::optional<FoundRow> find_item_row(Tallyglass& mod, host::Object* text_block,
                                      const ValueText& value) {
    const ItemRow* found = nullptr;
    if (mod.layout.on(Part::SlotMatch)) {
        const NamedObject slot = mod.find_slot_widget(text_block, value.name);
        host::Object* slot_data = mod.slot_data_of(slot.object);
        found = find_row(mod.rows, mod.capture_generation, value.side, slot_data);
        found = found ? found : read_on_demand(mod, slot, slot_data, value);
    }
    if (found) {
        return copy_of(mod, *found, TextMatch::SlotData);
    }
    found = find_row_by_current(mod.rows, mod.capture_generation, value.side, value.observed);
    if (found) {
        return copy_of(mod, *found, TextMatch::Value);
    }
    return std::nullopt;
}

// The engine's SetText fires this hook again, nested; the raised flag makes that call return.
bool set_value_text(Tallyglass& mod, host::Object* text_block, host::Function* set_text,
                    const String& text) {
    ReentryFlag rewriting(mod.in_text_rewrite);
    return mod.call_set_text(text_block, set_text, text);
}

Heatmap colour(Tallyglass& mod, host::Object* text_block, const ValueText& value,
               std::int32_t shown_base) {
    Heatmap heatmap;
    if (!mod.config.HeatmapEnabled || !mod.layout.on(Part::Heatmap)) {
        return heatmap;
    }
    host::Function* set_color = host::find_function(text_block, STR("SetColorAndOpacity"));
    if (!set_color) {
        if (mod.config.DebugLogging) {
            mod.log_text_append_skip(STR("TextBlock.SetColorAndOpacity missing"), value.name);
        }
        return heatmap;
    }
    heatmap.distance = heatmap_distance(value.observed, shown_base);
    mod.call_set_color_and_opacity(
        text_block, set_color,
        heatmap_color(mod.config, value.side, value.observed, shown_base, heatmap.distance));
    heatmap.applied = true;
    return heatmap;
}

void log_applied_row(Tallyglass& mod, const ValueText& value, const FoundRow& found,
                     std::int32_t shown_base, const Heatmap& heatmap) {
    if (mod.text_rows_logged >= limits::text_rows_per_load) {
        if (!mod.text_row_cap_logged) {
            mod.text_row_cap_logged = true;
            log_line(STR("[Tallyglass] TextBlockAppend row cap reached; further applied rows are "
                         "suppressed this session.\n"));
        }
        return;
    }
    ++mod.text_rows_logged;
    const ItemRow& row = found.row;
    LogLine(STR("TextBlockAppend row side="))
        .add(trade_side_name(row.side))
        .piece(STR("observed"), value.shown)
        .piece(STR("cached_current"), row.current)
        .piece(STR("base"), row.base)
        .piece(STR("display_base"), shown_base)
        .piece(STR("percent"), mod.config.BaseValuePercent)
        .piece(STR("heatmap_mode"), heatmap_mode_name(mod.config.HeatmapMode))
        .piece(STR("heatmap_distance"), heatmap.distance)
        .piece(STR("heatmap_applied"), flag_text(heatmap.applied))
        .piece(STR("pos"), row.pos)
        .piece(STR("amount"), row.amount)
        .piece(STR("trader_index"), row.trader_index)
        .piece(STR("source"), row_source_name(row.source))
        .piece(STR("match"), text_match_name(found.match))
        .piece(STR("applied"), STR("true"))
        .piece(STR("item"), row.item)
        .send();
}

void rewrite_value_text(Tallyglass& mod, host::Object* text_block) {
    const std::optional<ValueText> value = recognise(mod, text_block);
    if (!value) {
        return;
    }
    const std::optional<FoundRow> found = find_item_row(mod, text_block, *value);
    if (!found) {
        return mod.log_text_append_skip(STR("no unique cached row for Text_Value"), value->name);
    }
    host::Function* set_text = host::find_function(text_block, STR("SetText"));
    if (!set_text) {
        return mod.log_text_append_skip(STR("TextBlock.SetText missing"), value->name);
    }
    const std::int32_t shown_base = display_base(found->row.base, mod.config.BaseValuePercent);
    if (!set_value_text(mod, text_block, set_text, build_value_text(value->shown, shown_base))) {
        return mod.log_text_append_skip(STR("SetText failed"), value->name);
    }
    const Heatmap heatmap = colour(mod, text_block, *value, shown_base);
    count_up(mod.text_appended_total);
    if (mod.config.DebugLogging) {
        log_applied_row(mod, *value, *found, shown_base, heatmap);
    }
}
} // namespace

void Tallyglass::on_text_block_set_text(host::Context& context) {
    if (config.DisplayMode != ValueDisplayMode::ValueTextAppend || in_text_rewrite) {
        return;
    }
    host::Object* text_block = host::context_object(context);
    if (!text_block) {
        return;
    }
    run_guarded(STR("[Tallyglass] TextBlock value append failed: "),
                [&] { rewrite_value_text(*this, text_block); });
}
} // namespace tallyglass
