// What the replay writes: the scenario file, the list of trades, and the notes on what the log
// could not hold.
#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "game/limits.hpp"
#include "printable.hpp"
#include "replay_rows.hpp"

namespace sim {
namespace {
using nlohmann::ordered_json;
namespace limits = tallyglass::limits;

// Only what differs from parse_scenario's defaults, so that an edited file stays short.
ordered_json item_json(const ScenarioItem& item) {
    ordered_json out;
    out["item"] = item.item;
    out["base"] = item.base ? ordered_json(*item.base) : ordered_json(nullptr);
    out["price"] = item.price;
    if (item.text) {
        out["text"] = *item.text;
    }
    if (item.amount != 1) {
        out["amount"] = item.amount;
    }
    if (item.previous) {
        out["previous"] = *item.previous;
    }
    if (item.pos) {
        out["pos"] = *item.pos;
    }
    if (item.trader_index != 0) {
        out["trader_index"] = item.trader_index;
    }
    if (item.skip) {
        out["skip"] = true;
    }
    if (!item.show) {
        out["show"] = false;
    }
    if (!item.slot_data) {
        out["slot_data"] = false;
    }
    return out;
}

std::string item_count(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " item" : " items");
}

// The reasons behind a panel's cut bits, one phrase each; `items` for the rows that give items.
std::vector<std::string> cut_reasons(std::size_t panel, unsigned cut, bool items) {
    const bool offer = panel == replay::offer_buy || panel == replay::offer_sell;
    std::vector<std::string> out;
    if (items && (cut & cut_call_cap)) {
        out.push_back(offer ? "its section gave " + std::to_string(limits::value_rows_per_call) +
                                  " rows, the most the mod logs per call"
                            : "its list gave " + std::to_string(limits::list_rows_per_call) +
                                  " rows, the most the mod logs per call");
    }
    if (items && (cut & cut_session_cap)) {
        out.push_back(offer ? "the mod's cap of " + std::to_string(limits::value_rows_per_load) +
                                  " value rows per game session was reached"
                            : "the mod's cap of " + std::to_string(limits::list_rows_per_load) +
                                  " list rows per game session was reached");
    }
    if (!items && (cut & cut_texts_cap)) {
        out.push_back("the mod's cap of " + std::to_string(limits::text_rows_per_load) +
                      " applied rows per game session was reached");
    }
    return out;
}

std::string joined(const std::vector<std::string>& parts, const std::string& between) {
    std::string out;
    for (const auto& part : parts) {
        out += (out.empty() ? "" : between) + part;
    }
    return out;
}

void write_skipped(std::ostream& out, const LogReading& reading) {
    if (reading.skipped == 0) {
        return;
    }
    out << reading.skipped << " of " << reading.row_lines
        << " row lines could not be read and were skipped; the first, line "
        << reading.first_skipped_line << ": " << printable(reading.first_skipped) << "\n";
}

// "list index 1" or "slot indices 1, 3 and 4", and "..." when the log has more.
std::string unnamed_where(std::size_t panel, const ReplayPanel& p) {
    const bool offer = panel == replay::offer_buy || panel == replay::offer_sell;
    std::vector<std::string> indices;
    for (const std::int32_t index : p.unnamed_at) {
        indices.push_back(std::to_string(index));
    }
    std::string where =
        std::string(offer ? "slot " : "list ") + (p.unnamed == 1 ? "index " : "indices ");
    if (static_cast<std::int64_t>(indices.size()) < p.unnamed) {
        return where + joined(indices, ", ") + ", ...";
    }
    const std::string last = indices.back();
    indices.pop_back();
    return where + (indices.empty() ? last : joined(indices, ", ") + " and " + last);
}
} // namespace

std::string scenario_json(const Scenario& scenario) {
    ordered_json doc;
    if (scenario.ini) {
        doc["ini"] = *scenario.ini;
    }
    if (scenario.opens != 1) {
        doc["opens"] = scenario.opens;
    }
    if (!scenario.game_update.empty()) {
        doc["game_update"] = scenario.game_update;
    }
    for (std::size_t p = 0; p < replay_panels.size(); ++p) {
        ordered_json items = ordered_json::array();
        for (const ScenarioItem& item : replay::panel_items(scenario, p)) {
            items.push_back(item_json(item));
        }
        doc[replay_panels[p]] = std::move(items);
    }
    return doc.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

void write_trade_list(std::ostream& out, const LogReading& reading, const std::string& file) {
    out << "Trades in " << printable(file) << ": " << reading.trades.size()
        << " (the replay takes the last unless --trade N picks one); rows per panel:\n";
    std::vector<std::vector<std::string>> table = {{"trade", "line", "time stamp"}};
    table[0].insert(table[0].end(), replay_panels.begin(), replay_panels.end());
    table[0].push_back("cut off");
    for (const auto& trade : reading.trades) {
        std::vector<std::string> row = {std::to_string(trade.number), std::to_string(trade.line),
                                        printable(trade.stamp)};
        std::vector<std::string> cut;
        for (std::size_t p = 0; p < replay_panels.size(); ++p) {
            row.push_back(std::to_string(trade.panels[p].rows));
            if (trade.panels[p].cut != 0) {
                cut.push_back(replay_panels[p]);
            }
        }
        row.push_back(cut.empty() ? "no" : "maybe: " + joined(cut, ", "));
        table.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(table[0].size(), 0);
    for (const auto& row : table) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], display_width(row[c]));
        }
    }
    for (const auto& row : table) {
        std::string line = " ";
        for (std::size_t c = 0; c < row.size(); ++c) {
            line +=
                " " + row[c] +
                (c + 1 < row.size() ? std::string(widths[c] - display_width(row[c]) + 1, ' ') : "");
        }
        out << line << "\n";
    }
    write_skipped(out, reading);
}

void write_trade_notes(std::ostream& out, const LogReading& reading, const ReplayTrade& trade) {
    const Scenario& s = trade.scenario;
    out << "Trade " << trade.number << " of " << reading.trades.size() << " in the log, from line "
        << trade.line << (trade.stamp.empty() ? "" : " (" + trade.stamp + ")") << ": "
        << item_count(s.trader.size()) << " of the trader's, " << item_count(s.player.size())
        << " of yours, " << item_count(s.offer_buy.size() + s.offer_sell.size())
        << " in the balance sections.\n";
    for (std::size_t p = 0; p < replay_panels.size(); ++p) {
        const ReplayPanel& panel = trade.panels[p];
        if (auto items = cut_reasons(p, panel.cut, true); !items.empty()) {
            out << "  " << replay_panels[p] << " may be incomplete: " << joined(items, "; ")
                << ".\n";
        }
        if (auto texts = cut_reasons(p, panel.cut, false); !texts.empty()) {
            out << "  " << replay_panels[p]
                << ": the game's texts may be missing: " << joined(texts, "; ") << ".\n";
        }
        if (panel.from_texts > 0) {
            out << "  " << replay_panels[p] << ": "
                << item_count(static_cast<std::size_t>(panel.from_texts))
                << " known from applied rows alone.\n";
        }
        if (panel.unnamed > 0) {
            out << "  " << replay_panels[p] << ": the log has no row for " << panel.unnamed
                << (panel.unnamed == 1 ? " slot" : " slots") << " (" << unnamed_where(p, panel)
                << "), so the replay lacks " << (panel.unnamed == 1 ? "it" : "them")
                << ": the mod writes none for an item without a base value or one the game "
                   "skips.\n";
        }
    }
    write_skipped(out, reading);
}

nlohmann::json trade_json(const ReplayTrade& trade) {
    nlohmann::json panels = nlohmann::json::object();
    for (std::size_t p = 0; p < replay_panels.size(); ++p) {
        const ReplayPanel& panel = trade.panels[p];
        nlohmann::json reasons = nlohmann::json::array();
        for (const auto& reason : cut_reasons(p, panel.cut, true)) {
            reasons.push_back(reason);
        }
        for (const auto& reason : cut_reasons(p, panel.cut, false)) {
            reasons.push_back("texts: " + reason);
        }
        panels[replay_panels[p]] = {{"items", replay::panel_items(trade.scenario, p).size()},
                                    {"rows", panel.rows},
                                    {"texts", panel.texts},
                                    {"from_texts", panel.from_texts},
                                    {"unnamed", panel.unnamed},
                                    {"cut", reasons}};
    }
    return {{"number", trade.number},
            {"line", trade.line},
            {"stamp", trade.stamp},
            {"cut", trade.cut()},
            {"panels", panels}};
}

nlohmann::json skipped_json(const LogReading& reading) {
    const bool any = reading.skipped > 0;
    return {{"lines", reading.skipped},
            {"of", reading.row_lines},
            {"first_line", any ? nlohmann::json(reading.first_skipped_line) : nullptr},
            {"first", any ? nlohmann::json(reading.first_skipped) : nullptr}};
}
} // namespace sim
