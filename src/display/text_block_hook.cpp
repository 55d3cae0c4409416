// The hook on the engine's TextBlock SetText: recognises a trading slot's value text, finds the
// item behind it, appends the scaled base value and colours the text.
#include <exception>
#include <limits>
#include <optional>

#include "display/value_text.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
// The text block's Text property.
constexpr std::size_t text_block_text_offset = 0x1A0;
constexpr std::int32_t max_text_rows_logged = 36;
// Preset as the per-call count so that the on-demand row read writes no list row line.
constexpr std::int32_t list_rows_already_logged = 24;
constexpr std::int32_t on_demand_list_index = -2;

// Every text block of the game passes these tests; most fail the first.
constexpr TextPattern trading_main(STR("W_Trading_Main"));
constexpr TextPattern inventory_slot(STR("W_Inventory_Slot"));
constexpr TextPattern text_value(STR("Text_Value"));
constexpr TextPattern trading_inventory(STR("W_TradingInventory"));

enum class TextMatch { SlotData, Value };

const Char* text_match_name(TextMatch match) {
    return match == TextMatch::SlotData ? STR("slot-data") : STR("value");
}

// Clears the re-entry flag as soon as the engine call returns, whichever way it returns.
struct RewriteGuard {
    bool& flag;
    explicit RewriteGuard(bool& f) : flag(f) { flag = true; }
    ~RewriteGuard() { flag = false; }
    RewriteGuard(const RewriteGuard&) = delete;
    RewriteGuard& operator=(const RewriteGuard&) = delete;
};

} // namespace

void Tallyglass::on_text_block_set_text(host::Context& context) {
    if (config.DisplayMode != ValueDisplayMode::ValueTextAppend || in_text_rewrite) {
        return;
    }
    host::Object* text_block = host::context_object(context);
    if (!text_block) {
        return;
    }
    try {
        String name = safe_full_name(text_block);
        if (!trading_main.found_in(name) || !inventory_slot.found_in(name) ||
            !text_value.found_in(name)) {
            return;
        }
        TradeSide side = trade_side_from_name(name);
        if (side == TradeSide::Other) {
            return;
        }

        String shown;
        if (!read_text_property(text_block, text_block_text_offset, shown)) {
            log_text_append_skip(STR("could not read TextBlock.Text"), name);
            return;
        }
        if (!shown.empty() && has_appended_value(shown)) {
            return;
        }
        std::optional<std::int32_t> parsed = parse_shown_value(shown);
        if (!parsed) {
            return;
        }
        std::int32_t observed = *parsed;

        host::Object* slot = find_slot_widget(text_block);
        host::Object* slot_data = slot_data_of(slot);
        TextMatch match = TextMatch::SlotData;
        const ItemRow* found = find_row(rows, capture_generation, side, slot_data);
        if (!found && slot_data && slot && trading_inventory.found_in(name)) {
            if (host::Object* owner = find_trading_owner(slot)) {
                std::int32_t logged = list_rows_already_logged;
                read_list_row(side, slot_data, owner, on_demand_list_index, logged);
                found = find_row(rows, capture_generation, side, slot_data);
            }
        }
        if (!found) {
            match = TextMatch::Value;
            found = find_row_by_current(rows, capture_generation, side, observed);
        }
        if (!found) {
            log_text_append_skip(STR("no unique cached row for Text_Value"), name);
            return;
        }
        // A copy: the engine's SetText may run capture hooks that move or drop cached rows.
        const ItemRow row = *found;
        found = nullptr;

        host::Function* set_text = host::find_function(text_block, STR("SetText"));
        if (!set_text) {
            log_text_append_skip(STR("TextBlock.SetText missing"), name);
            return;
        }
        std::int32_t shown_base = display_base(row.base, config.BaseValuePercent);
        String text = build_value_text(shown, shown_base);
        bool set = false;
        {
            RewriteGuard guard(in_text_rewrite);
            set = call_set_text(text_block, set_text, text);
        }
        if (!set) {
            log_text_append_skip(STR("SetText failed"), name);
            return;
        }

        std::int32_t distance = 0;
        bool heatmap_applied = false;
        if (config.HeatmapEnabled) {
            if (host::Function* set_color =
                    host::find_function(text_block, STR("SetColorAndOpacity"))) {
                distance = heatmap_distance(observed, shown_base);
                call_set_color_and_opacity(
                    text_block, set_color,
                    heatmap_color(config, side, observed, shown_base, distance));
                heatmap_applied = true;
            } else if (config.DebugLogging) {
                log_text_append_skip(STR("TextBlock.SetColorAndOpacity missing"), name);
            }
        }
        if (text_appended_total < std::numeric_limits<std::int32_t>::max()) {
            ++text_appended_total;
        }

        if (!config.DebugLogging) {
            return;
        }
        if (text_rows_logged >= max_text_rows_logged) {
            if (!text_row_cap_logged) {
                text_row_cap_logged = true;
                log_line(STR("[Tallyglass] TextBlockAppend row cap reached; further applied rows "
                             "are suppressed this session.\n"));
            }
            return;
        }
        ++text_rows_logged;
        String line = STR("[Tallyglass] TextBlockAppend row side=");
        line += trade_side_name(row.side);
        line += STR("; observed=");
        line += shown;
        line += STR("; cached_current=");
        line += to_text(row.current);
        line += STR("; base=");
        line += to_text(row.base);
        line += STR("; display_base=");
        line += to_text(shown_base);
        line += STR("; percent=");
        line += to_text(config.BaseValuePercent);
        line += STR("; heatmap_mode=");
        line += heatmap_mode_name(config.HeatmapMode);
        line += STR("; heatmap_distance=");
        line += to_text(distance);
        line += STR("; heatmap_applied=");
        line += flag_text(heatmap_applied);
        line += STR("; pos=");
        line += to_text(row.pos);
        line += STR("; amount=");
        line += to_text(row.amount);
        line += STR("; trader_index=");
        line += to_text(row.trader_index);
        line += STR("; source=");
        line += row_source_name(row.source);
        line += STR("; match=");
        line += text_match_name(match);
        line += STR("; applied=true; item=");
        line += row.item;
        line += STR(".\n");
        log_line(line);
    } catch (const std::exception& e) {
        in_text_rewrite = false;
        log_failure(STR("[Tallyglass] TextBlock value append failed: "), &e);
    } catch (...) {
        in_text_rewrite = false;
        log_failure(STR("[Tallyglass] TextBlock value append failed: "), nullptr);
    }
}
} // namespace tallyglass
