#include "render.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "config/settings.hpp"
#include "display/value_text.hpp"

namespace sim {
namespace {
int channel_byte(float value) {
    double clamped = std::clamp(static_cast<double>(value), 0.0, 1.0);
    return static_cast<int>(std::lround(clamped * 255.0));
}

// Columns line up by code points; good enough for the names a scenario holds.
std::size_t width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string pad(const std::string& text, std::size_t to) {
    std::size_t w = width(text);
    return text + std::string(to > w ? to - w : 0, ' ');
}

const char* panel_title(const std::string& panel) {
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

constexpr const char* panel_order[] = {"trader", "player", "offer_buy", "offer_sell"};

std::string escape_xml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Nine significant digits: enough to tell every float apart, no noise beyond.
double nine_digits(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return std::strtod(buffer, nullptr);
}

std::array<float, 4> rgba(const tallyglass::LinearColor& c) {
    return {c.R, c.G, c.B, c.A};
}
} // namespace

std::string hex_color(const std::array<float, 4>& color) {
    char buffer[16];
    if (channel_byte(color[3]) == 255) {
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", channel_byte(color[0]),
                      channel_byte(color[1]), channel_byte(color[2]));
    } else {
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X%02X", channel_byte(color[0]),
                      channel_byte(color[1]), channel_byte(color[2]), channel_byte(color[3]));
    }
    return buffer;
}

void write_human(std::ostream& out, const SessionResult& result, bool color) {
    out << "Host log\n";
    for (const auto& line : result.log) {
        out << "  " << line;
    }
    for (const char* panel : panel_order) {
        std::vector<const SlotView*> slots;
        for (const auto& slot : result.slots) {
            if (slot.panel == panel) {
                slots.push_back(&slot);
            }
        }
        if (slots.empty()) {
            continue;
        }
        std::size_t item_w = 4, game_w = 9, text_w = 5;
        for (const auto* s : slots) {
            item_w = std::max(item_w, width(s->item));
            game_w = std::max(game_w, width(s->game_text));
            text_w = std::max(text_w, width(s->text));
        }
        out << "\n" << panel_title(panel) << "\n";
        out << "  " << pad("item", item_w) << "  " << pad("game text", game_w) << "  "
            << pad("shown", text_w) << "  colour\n";
        for (const auto* s : slots) {
            out << "  " << pad(s->item, item_w) << "  " << pad(s->game_text, game_w) << "  "
                << pad(s->text, text_w) << "  ";
            if (s->color) {
                out << hex_color(*s->color);
                if (color) {
                    const auto& c = *s->color;
                    out << " \x1b[48;2;" << channel_byte(c[0]) << ";" << channel_byte(c[1]) << ";"
                        << channel_byte(c[2]) << "m    \x1b[0m";
                }
            } else {
                out << "-";
            }
            out << "\n";
        }
    }
}

void write_json(std::ostream& out, const SessionResult& result) {
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
    // Names and texts come from the scenario: replace bad UTF-8 rather than fail.
    out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

void write_svg(std::ostream& out, const SessionResult& result) {
    using tallyglass::blend;
    const auto& config = result.config;
    constexpr int column = 300, row = 26, top = 70, left = 20;
    std::size_t most = 1;
    for (const char* panel : panel_order) {
        most =
            std::max<std::size_t>(most, static_cast<std::size_t>(std::count_if(
                                            result.slots.begin(), result.slots.end(),
                                            [&](const SlotView& s) { return s.panel == panel; })));
    }
    int panels_bottom = top + 40 + static_cast<int>(most) * row;
    int legend_rows = config.HeatmapMode == tallyglass::HeatmapColorMode::Directional ? 3 : 1;
    int height = panels_bottom + 74 + legend_rows * 44;
    int total_width = left * 2 + column * 4;

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << total_width << "\" height=\""
        << height << "\" viewBox=\"0 0 " << total_width << " " << height
        << "\" font-family=\"DejaVu Sans, sans-serif\" font-size=\"14\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#1d1a17\"/>\n"
        << "<text x=\"" << left << "\" y=\"36\" fill=\"#e8dcc0\" font-size=\"20\">Trade</text>\n";

    int x = left;
    for (const char* panel : panel_order) {
        out << "<g>\n<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << column - 12
            << "\" height=\"" << panels_bottom - top << "\" rx=\"6\" fill=\"#2a2621\" "
            << "stroke=\"#5a4e3c\"/>\n"
            << "<text x=\"" << x + 10 << "\" y=\"" << top + 24
            << "\" fill=\"#c9b68f\" font-size=\"13\">" << escape_xml(panel_title(panel))
            << "</text>\n";
        int y = top + 52;
        for (const auto& s : result.slots) {
            if (s.panel != panel) {
                continue;
            }
            std::string fill = s.color ? hex_color(*s.color) : "#e6e6e6";
            if (fill.size() == 9) {
                fill.resize(7); // SVG fill takes the alpha separately
            }
            double opacity =
                s.color ? std::clamp(static_cast<double>((*s.color)[3]), 0.0, 1.0) : 1.0;
            out << "<text x=\"" << x + 10 << "\" y=\"" << y << "\" fill=\"#d8d0c0\">"
                << escape_xml(s.item) << "</text>\n"
                << "<text x=\"" << x + column - 24 << "\" y=\"" << y
                << "\" text-anchor=\"end\" fill=\"" << fill << "\" fill-opacity=\"" << opacity
                << "\">" << escape_xml(s.text) << "</text>\n";
            y += row;
        }
        out << "</g>\n";
        x += column;
    }

    // The legend: each blend the heatmap can take under these settings, as a gradient.
    int gradient = 0;
    auto bar = [&](int y, const std::string& label, const tallyglass::LinearColor& from,
                   const tallyglass::LinearColor& to, const std::string& low,
                   const std::string& high) {
        std::string id = "g";
        id += std::to_string(gradient++);
        out << "<linearGradient id=\"" << id << "\">\n";
        for (int i = 0; i <= 10; ++i) {
            auto c = rgba(blend(from, to, i / 10.0));
            std::string fill = hex_color(c).substr(0, 7);
            out << "  <stop offset=\"" << i * 10 << "%\" stop-color=\"" << fill << "\"/>\n";
        }
        out << "</linearGradient>\n"
            << "<text x=\"" << left << "\" y=\"" << y + 15 << "\" fill=\"#c9b68f\">"
            << escape_xml(label) << "</text>\n"
            << "<rect x=\"" << left + 330 << "\" y=\"" << y << "\" width=\"500\" height=\"20\" "
            << "fill=\"url(#" << id << ")\"/>\n"
            << "<text x=\"" << left + 330 << "\" y=\"" << y + 36
            << "\" fill=\"#9a8f7a\" font-size=\"12\">" << escape_xml(low) << "</text>\n"
            << "<text x=\"" << left + 830 << "\" y=\"" << y + 36
            << "\" text-anchor=\"end\" fill=\"#9a8f7a\" font-size=\"12\">" << escape_xml(high)
            << "</text>\n";
    };
    int y = panels_bottom + 34;
    std::string max = std::to_string(std::max(config.HeatmapMaxDistancePercent, 1)) + "%";
    out << "<text x=\"" << left << "\" y=\"" << y << "\" fill=\"#e8dcc0\">Heatmap ("
        << (config.HeatmapEnabled ? "" : "off; would be ")
        << tallyglass::to_utf8(tallyglass::heatmap_mode_name(config.HeatmapMode))
        << ", value = base x " << config.BaseValuePercent << "%)</text>\n";
    y += 16;
    if (config.HeatmapMode == tallyglass::HeatmapColorMode::Directional) {
        bar(y, "Buying below the value: good", config.HeatmapNeutralColor, config.HeatmapGoodColor,
            "at the value", max + " below");
        bar(y + 44, "Buying above the value: bad", config.HeatmapNeutralColor,
            config.HeatmapBadColor, "at the value", max + " above");
        bar(y + 88, "Selling: price / value", config.HeatmapNeutralColor, config.HeatmapGoodColor,
            "0 (price 0 shows the zero colour)", "1 and above");
        auto zero = hex_color(rgba(config.HeatmapZeroColor)).substr(0, 7);
        out << "<rect x=\"" << left + 850 << "\" y=\"" << y + 88
            << "\" width=\"20\" height=\"20\" fill=\"" << zero << "\"/>\n"
            << "<text x=\"" << left + 878 << "\" y=\"" << y + 103
            << "\" fill=\"#9a8f7a\" font-size=\"12\">price 0</text>\n";
    } else {
        bar(y, "Distance from the value", config.HeatmapNearColor, config.HeatmapFarColor, "0%",
            max + " and beyond");
    }
    out << "</svg>\n";
}

int check_ini(std::ostream& out, const std::string& text) {
    tallyglass::Config config;
    int line_number = 0;
    bool all_applied = true;
    tallyglass::apply_config_text(
        text, config, [&](std::string_view line, const tallyglass::LineOutcome& outcome) {
            using tallyglass::LineKind;
            ++line_number;
            out << "line " << line_number << ": ";
            switch (outcome.kind) {
            case LineKind::Blank:
                out << "blank";
                break;
            case LineKind::Comment:
                out << "comment";
                break;
            case LineKind::NoEquals:
                if (!tallyglass::trim(line).empty() && tallyglass::trim(line).front() == '[') {
                    out << "section " << tallyglass::trim(line) << " (sections have no meaning)";
                } else {
                    out << "ignored: no \"=\" in \"" << tallyglass::trim(line) << "\"";
                }
                break;
            case LineKind::UnknownKey:
                all_applied = false;
                out << "unknown key \"" << outcome.key << "\": ignored";
                break;
            case LineKind::Applied:
                out << "applied " << outcome.field << " = "
                    << tallyglass::setting_text(config, outcome.field);
                if (outcome.key != outcome.field) {
                    out << " (key \"" << outcome.key << "\")";
                }
                break;
            case LineKind::Rejected:
                all_applied = false;
                out << "value not understood for " << outcome.field << ": \"" << outcome.value
                    << "\"; kept " << tallyglass::setting_text(config, outcome.field);
                break;
            }
            out << "\n";
        });
    out << "settings in force: " << tallyglass::to_utf8(tallyglass::config_summary(config)) << "\n";
    return all_applied ? 0 : 1;
}
} // namespace sim
