#include "render.hpp"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "color.hpp"
#include "printable.hpp"

namespace sim {
namespace {
// Columns line up on a terminal, wide East Asian characters included.
std::string pad(const std::string& text, std::size_t to) {
    std::size_t w = display_width(text);
    return text + std::string(to > w ? to - w : 0, ' ');
}

// Nine significant digits: enough to tell every float apart, no noise beyond.
double nine_digits(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return std::strtod(buffer, nullptr);
}

struct Row {
    std::string item, game_text, text, color, screen;
    std::optional<Rgba> shown;
};

Row row_of(const SlotView& slot) {
    Row row{printable(slot.item), printable(slot.game_text), printable(slot.text), "-", "-", {}};
    if (slot.color) {
        row.shown = on_screen(*slot.color);
        row.color = hex_color(*slot.color);
        row.screen = hex_color(*row.shown);
    }
    return row;
}

void write_panel(std::ostream& out, std::string_view panel, const std::vector<Row>& rows,
                 bool color) {
    std::size_t item_w = 4, game_w = 9, text_w = 5, color_w = 6;
    for (const auto& r : rows) {
        item_w = std::max(item_w, display_width(r.item));
        game_w = std::max(game_w, display_width(r.game_text));
        text_w = std::max(text_w, display_width(r.text));
        color_w = std::max(color_w, display_width(r.color));
    }
    out << "\n" << panel_title(panel) << "\n";
    out << "  " << pad("item", item_w) << "  " << pad("game text", game_w) << "  "
        << pad("shown", text_w) << "  " << pad("colour", color_w) << "  on screen\n";
    for (const auto& r : rows) {
        out << "  " << pad(r.item, item_w) << "  " << pad(r.game_text, game_w) << "  "
            << pad(r.text, text_w) << "  " << pad(r.color, color_w) << "  " << r.screen;
        if (color && r.shown) {
            const auto& c = *r.shown;
            out << " \x1b[48;2;" << channel_byte(c[0]) << ";" << channel_byte(c[1]) << ";"
                << channel_byte(c[2]) << "m    \x1b[0m";
        }
        out << "\n";
    }
}
} // namespace

const char* panel_title(std::string_view panel) {
    if (panel == "trader") {
        return "Trader's goods (W_TradingInventory_Buy)";
    }
    if (panel == "player") {
        return "Your goods (W_TradingInventory_Sell)";
    }
    if (panel == "offer_buy") {
        return "Buying (W_Trading_BalanceSection_Buy)";
    }
    return "Selling (W_Trading_BalanceSection_Sell)";
}

void write_human(std::ostream& out, const SessionResult& result, bool color) {
    out << "Host log\n";
    for (const auto& line : result.log) {
        std::string_view text = line;
        const bool ends = text.ends_with('\n');
        out << "  " << printable(ends ? text.substr(0, text.size() - 1) : text) << "\n";
    }
    for (std::string_view panel : panel_order) {
        std::vector<Row> rows;
        for (const auto& slot : result.slots) {
            if (slot.panel == panel) {
                rows.push_back(row_of(slot));
            }
        }
        if (!rows.empty()) {
            write_panel(out, panel, rows, color);
        }
    }
}

void write_json(std::ostream& out, const SessionResult& result) {
    write_json(out, result, nlohmann::ordered_json::object());
}

void write_json(std::ostream& out, const SessionResult& result,
                const nlohmann::ordered_json& extra) {
    nlohmann::ordered_json doc;
    doc["log"] = result.log;
    doc["slots"] = nlohmann::ordered_json::array();
    for (const auto& s : result.slots) {
        nlohmann::ordered_json slot;
        slot["panel"] = s.panel;
        slot["index"] = s.index;
        slot["item"] = s.item;
        slot["game_text"] = s.game_text;
        slot["text"] = s.text;
        if (s.color) {
            slot["color"] = nlohmann::ordered_json::array();
            for (float channel : *s.color) {
                slot["color"].push_back(nine_digits(channel));
            }
        } else {
            slot["color"] = nullptr;
        }
        slot["text_block"] = s.text_block;
        doc["slots"].push_back(std::move(slot));
    }
    if (extra.is_object()) {
        for (const auto& [key, value] : extra.items()) {
            doc[key] = value;
        }
    }
    // Names and texts come from the scenario: replace bad UTF-8 rather than fail.
    out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}
} // namespace sim
