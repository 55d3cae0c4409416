#include "picture.hpp"

#include <algorithm>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "color.hpp"
#include "config/settings.hpp"
#include "display/value_text.hpp"
#include "printable.hpp"
#include "render.hpp"

namespace sim {
namespace {
using tallyglass::Config;
using tallyglass::LinearColor;

// Advance widths of DejaVu Sans, the picture's font, for space to "~", in 1/2048 em: panels are
// sized from them, so a long name never runs into its price.
constexpr unsigned short ascii_advance[95] = {
    651,  821,  942,  1716, 1303, 1946, 1597, 563,  799,  799,  1024, 1716, 651,  739,  651,  690,
    1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 690,  690,  1716, 1716, 1716, 1087,
    2048, 1401, 1405, 1430, 1577, 1294, 1178, 1587, 1540, 604,  604,  1343, 1141, 1767, 1532, 1612,
    1235, 1612, 1423, 1300, 1251, 1499, 1401, 2025, 1403, 1251, 1403, 799,  690,  799,  1716, 1024,
    1024, 1255, 1300, 1126, 1300, 1260, 721,  1300, 1298, 569,  569,  1186, 569,  1995, 1298, 1253,
    1300, 1300, 842,  1067, 803,  1298, 1212, 1675, 1212, 1212, 1075, 1303, 690,  1303, 1716};

constexpr double item_size = 14, title_size = 13, small_size = 12;
// Longer names and value texts are shortened, whole in a tooltip: a panel stays on the screen.
constexpr double max_name_width = 300, max_text_width = 200;
constexpr int row_height = 26, top = 70, left = 20, gap = 12, inset = 10, legend_width = 930;

// UTF-8 code points, one at a time: the byte length of the one at `at`.
std::size_t sequence_length(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        ++end;
    }
    return end - at;
}

double advance(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character[0]);
    if (lead >= 32 && lead < 127) {
        return ascii_advance[lead - 32];
    }
    // Other scripts: accented Latin about as wide as capitals, the rest a full em.
    return lead < 0xE0 ? 1400 : 2048;
}

double text_width(std::string_view text, double size) {
    double units = 0;
    for (std::size_t at = 0; at < text.size(); at += sequence_length(text, at)) {
        units += advance(text.substr(at, sequence_length(text, at)));
    }
    return units * size / 2048;
}

// The longest start of `name` that fits `width` with an ellipsis after it.
std::string shortened(std::string_view name, double width) {
    const double room = width - text_width("\u2026", item_size);
    double used = 0;
    std::size_t at = 0;
    while (at < name.size()) {
        const std::size_t length = sequence_length(name, at);
        used += advance(name.substr(at, length)) * item_size / 2048;
        if (used > room) {
            break;
        }
        at += length;
    }
    return std::string(name.substr(0, at)) + "\u2026";
}

std::string escape_xml(std::string_view text) {
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
        default:
            out += c;
        }
    }
    return out;
}

std::string screen_fill(const Rgba& color) {
    return hex_color(on_screen(color)).substr(0, 7); // SVG takes the alpha apart
}

struct Panel {
    std::string_view key;
    std::vector<const SlotView*> slots;
    int width = 288;
};

std::vector<Panel> panels_of(const SessionResult& result) {
    std::vector<Panel> panels;
    for (std::string_view key : panel_order) {
        Panel panel{key, {}};
        double names = 0, prices = 0;
        for (const auto& slot : result.slots) {
            if (slot.panel == key) {
                panel.slots.push_back(&slot);
                names = std::max(names, text_width(printable(slot.item), item_size));
                prices = std::max(prices, text_width(printable(slot.text), item_size));
            }
        }
        const double needed =
            std::max(text_width(panel_title(key), title_size),
                     std::min(names, max_name_width) + 24 + std::min(prices, max_text_width));
        panel.width = std::max(panel.width, static_cast<int>(needed) + 2 * inset + 1);
        panels.push_back(std::move(panel));
    }
    return panels;
}

// The text as it fits `width`; a shortened one carries the whole as its tooltip.
std::string fitted(const std::string& text, double width) {
    if (text_width(text, item_size) <= width) {
        return escape_xml(text);
    }
    return "<title>" + escape_xml(text) + "</title>" + escape_xml(shortened(text, width));
}

void draw_slot(std::ostream& out, const SlotView& slot, int x, int y, int width) {
    out << "<text x=\"" << x + inset << "\" y=\"" << y << "\" fill=\"#d8d0c0\">"
        << fitted(printable(slot.item), max_name_width);
    const std::string fill = slot.color ? screen_fill(*slot.color) : "#e6e6e6";
    const double opacity =
        slot.color ? std::clamp(static_cast<double>((*slot.color)[3]), 0.0, 1.0) : 1.0;
    out << "</text>\n<text x=\"" << x + width - inset << "\" y=\"" << y
        << "\" text-anchor=\"end\" fill=\"" << fill << "\" fill-opacity=\"" << opacity << "\">"
        << fitted(printable(slot.text), max_text_width) << "</text>\n";
}

// Returns the bottom of the panels.
int draw_panels(std::ostream& out, const std::vector<Panel>& panels) {
    std::size_t most = 1;
    for (const auto& panel : panels) {
        most = std::max(most, panel.slots.size());
    }
    const int bottom = top + 40 + static_cast<int>(most) * row_height;
    int x = left;
    for (const auto& panel : panels) {
        out << "<g>\n<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << panel.width
            << "\" height=\"" << bottom - top
            << "\" rx=\"6\" fill=\"#2a2621\" stroke=\"#5a4e3c\"/>\n"
            << "<text x=\"" << x + inset << "\" y=\"" << top + 24
            << "\" fill=\"#c9b68f\" font-size=\"" << title_size << "\">"
            << escape_xml(panel_title(panel.key)) << "</text>\n";
        int y = top + 52;
        for (const auto* slot : panel.slots) {
            draw_slot(out, *slot, x, y, panel.width);
            y += row_height;
        }
        out << "</g>\n";
        x += panel.width + gap;
    }
    return bottom;
}

class Legend {
public:
    Legend(std::ostream& output, const Config& settings, int top_y)
        : out(output), config(settings), y(top_y) {}

    // Returns the bottom of the legend.
    int draw();

private:
    void heading(const std::string& text);
    void bar(const std::string& label, const LinearColor& from, const LinearColor& to,
             const std::string& low, const std::string& high);

    std::ostream& out;
    const Config& config;
    int y;
    int gradients = 0;
};

void Legend::heading(const std::string& text) {
    out << "<text x=\"" << left << "\" y=\"" << y << "\" fill=\"#e8dcc0\">" << escape_xml(text)
        << "</text>\n";
    y += 16;
}

// Each blend the heatmap takes as a gradient of the colours the game shows along it.
void Legend::bar(const std::string& label, const LinearColor& from, const LinearColor& to,
                 const std::string& low, const std::string& high) {
    // Appended, not added: GCC 12 warns falsely (-Wrestrict) on "g" + string at -O3.
    std::string id = "g";
    id += std::to_string(gradients++);
    out << "<linearGradient id=\"" << id << "\">\n";
    for (int i = 0; i <= 10; ++i) {
        out << "  <stop offset=\"" << i * 10 << "%\" stop-color=\""
            << screen_fill(rgba(tallyglass::blend(from, to, i / 10.0))) << "\"/>\n";
    }
    out << "</linearGradient>\n"
        << "<text x=\"" << left << "\" y=\"" << y + 15 << "\" fill=\"#c9b68f\">"
        << escape_xml(label) << "</text>\n<rect x=\"" << left + 330 << "\" y=\"" << y
        << "\" width=\"500\" height=\"20\" fill=\"url(#" << id << ")\"/>\n"
        << "<text x=\"" << left + 330 << "\" y=\"" << y + 36 << "\" fill=\"#9a8f7a\" font-size=\""
        << small_size << "\">" << escape_xml(low) << "</text>\n<text x=\"" << left + 830
        << "\" y=\"" << y + 36 << "\" text-anchor=\"end\" fill=\"#9a8f7a\" font-size=\""
        << small_size << "\">" << escape_xml(high) << "</text>\n";
    y += 44;
}

int Legend::draw() {
    using tallyglass::HeatmapColorMode;
    if (!config.Enabled) {
        heading("The mod is off (Enabled=false): the game's texts stay as they are.");
        return y;
    }
    if (config.DisplayMode != tallyglass::ValueDisplayMode::ValueTextAppend) {
        heading("The display is off (DisplayMode=Off): no values are added, nothing is coloured.");
        return y;
    }
    if (!config.HeatmapEnabled) {
        heading("The heatmap is off (HeatmapEnabled=false): values keep the game's text colour.");
        return y;
    }
    const std::string max = std::to_string(std::max(config.HeatmapMaxDistancePercent, 1)) + "%";
    heading("Heatmap (" + tallyglass::to_utf8(tallyglass::heatmap_mode_name(config.HeatmapMode)) +
            ", value = base x " + std::to_string(config.BaseValuePercent) +
            "%), colours as the game shows them");
    if (config.HeatmapMode == HeatmapColorMode::Neutral) {
        bar("Distance from the value", config.HeatmapNearColor, config.HeatmapFarColor, "0%",
            max + " and beyond");
        return y;
    }
    bar("Buying below the value: good", config.HeatmapNeutralColor, config.HeatmapGoodColor,
        "at the value", max + " below");
    bar("Buying above the value: bad", config.HeatmapNeutralColor, config.HeatmapBadColor,
        "at the value", max + " above");
    bar("Selling: price / value", config.HeatmapNeutralColor, config.HeatmapGoodColor,
        "0 (price 0 shows the zero colour)", "1 and above");
    out << "<rect x=\"" << left + 850 << "\" y=\"" << y - 44
        << "\" width=\"20\" height=\"20\" fill=\"" << screen_fill(rgba(config.HeatmapZeroColor))
        << "\"/>\n<text x=\"" << left + 878 << "\" y=\"" << y - 29
        << "\" fill=\"#9a8f7a\" font-size=\"" << small_size << "\">price 0</text>\n";
    return y;
}

// The settings the picture was drawn with, colours as written in the settings file.
std::vector<std::string> settings_lines(const Config& config) {
    std::string colours;
    for (const auto& setting : tallyglass::all_settings) {
        if (const auto colour = color_setting(config, setting)) {
            colours += (colours.empty() ? "" : ", ") + std::string(setting.name) + "=" +
                       hex_color(*colour);
        }
    }
    return {"Drawn with " + tallyglass::to_utf8(tallyglass::config_summary(config)), colours};
}
} // namespace

void write_svg(std::ostream& out, const SessionResult& result, const std::string& title) {
    const auto panels = panels_of(result);
    const auto settings = settings_lines(result.config);
    int width = std::max(legend_width, static_cast<int>(text_width(printable(title), 20)) + 1);
    for (const auto& line : settings) {
        width = std::max(width, static_cast<int>(text_width(line, small_size)) + 1);
    }
    int panels_width = -gap;
    for (const auto& panel : panels) {
        panels_width += panel.width + gap;
    }
    width = std::max(width, panels_width) + 2 * left;
    std::ostringstream body;
    const int bottom = draw_panels(body, panels);
    int y = Legend(body, result.config, bottom + 34).draw() + 20;
    for (const auto& line : settings) {
        body << "<text x=\"" << left << "\" y=\"" << y << "\" fill=\"#9a8f7a\" font-size=\""
             << small_size << "\">" << escape_xml(line) << "</text>\n";
        y += 18;
    }
    const int height = y + 4;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << width << " " << height
        << "\" font-family=\"DejaVu Sans, sans-serif\" font-size=\"" << item_size << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#1d1a17\"/>\n"
        << "<text x=\"" << left << "\" y=\"36\" fill=\"#e8dcc0\" font-size=\"20\">"
        << escape_xml(printable(title)) << "</text>\n"
        << body.str() << "</svg>\n";
}
} // namespace sim
