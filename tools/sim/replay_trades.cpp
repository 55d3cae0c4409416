// Groups the rows of the log into trades and rebuilds each as a scenario.
//
// The game plays an opening of the screen in this order: the balance sections' rows (buy, then
// sell), the lists' rows (trader, then player), then the applied rows of every slot, offers
// first. A row starts a new trade when it goes back in that order: a value row after list or
// applied rows, a list row with an index after applied rows, an applied row of a panel played
// before the previous applied row's, or a row whose index is not above the last one of its panel.
// An entry the game fetched itself (list_index=-1) can come at any time and starts nothing. A
// "Loaded" line starts a new game session and a new trade.
#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "game/limits.hpp"
#include "replay_rows.hpp"

namespace sim {
namespace replay {
namespace {
constexpr std::array<std::uint64_t, row_kinds> session_caps = {
    tallyglass::limits::value_rows_per_load, tallyglass::limits::list_rows_per_load,
    tallyglass::limits::text_rows_per_load};

constexpr int applied_phase = 2;

std::size_t kind_index(RowKind kind) {
    return static_cast<std::size_t>(kind);
}

bool is_offer(std::size_t panel) {
    return panel == offer_buy || panel == offer_sell;
}

// The game sets the offers' texts first.
int text_rank(std::size_t panel) {
    return static_cast<int>(is_offer(panel) ? panel - offer_buy : panel + 2);
}

// The same entry fetched twice, by the game (index -1) and by the mod's walk of the list, gives
// the same key.
auto entry_key(const LogRow& row) {
    const ScenarioItem& i = row.item;
    return std::tie(row.config, i.item, i.base, i.price, i.previous, i.amount, i.pos,
                    i.trader_index, i.show);
}

std::uint64_t last_seq(const std::vector<LogRow>& rows, std::size_t panel) {
    std::uint64_t last = 0;
    for (const LogRow& row : rows) {
        if (row.panel == panel) {
            last = std::max(last, row.seq);
        }
    }
    return last;
}

// A row with an index is an item; a fetched entry only when no other row holds it. Keyed, since a
// log handed in may hold any number of rows.
std::vector<const LogRow*> panel_entries(const std::vector<LogRow>& rows) {
    std::vector<const LogRow*> out;
    std::set<decltype(entry_key(rows.front()))> held;
    for (const LogRow& row : rows) {
        if (row.index >= 0) {
            out.push_back(&row);
            held.insert(entry_key(row));
        }
    }
    for (const LogRow& row : rows) {
        if (row.index < 0 && held.insert(entry_key(row)).second) {
            out.push_back(&row);
        }
    }
    return out;
}

struct Entry {
    const LogRow* row;
    ScenarioItem item;
    bool shown;
};

using TextKey =
    std::tuple<std::size_t, std::string_view, std::optional<std::int32_t>, std::int32_t>;

TextKey text_key(std::size_t panel, const LogRow& row) {
    return {panel, row.config, row.item.pos, row.item.trader_index};
}

// Each applied row to the entry of its panel with the same position, trader index and base
// config (a text set twice keeps the last); one without such an entry is an item of its own.
void apply_texts(const std::vector<LogRow>& applied, std::array<std::vector<Entry>, 4>& entries,
                 ReplayTrade& trade) {
    std::map<TextKey, std::size_t> found;
    for (std::size_t p = 0; p < entries.size(); ++p) {
        for (std::size_t i = 0; i < entries[p].size(); ++i) {
            found.emplace(text_key(p, *entries[p][i].row), i);
        }
    }
    for (const LogRow& row : applied) {
        auto& list = entries[row.panel];
        auto [at, added] = found.emplace(text_key(row.panel, row), list.size());
        if (added) {
            list.push_back({&row, row.item, true});
            ++trade.panels[row.panel].from_texts;
        } else {
            list[at->second].item.text = row.item.text;
            list[at->second].shown = true;
        }
        ++trade.panels[row.panel].rows;
    }
}

// Enough of the slots without a row to find them in the log.
constexpr std::size_t unnamed_shown = 8;

void find_unnamed(const std::vector<LogRow>& rows, ReplayPanel& panel) {
    std::set<std::int32_t> indices;
    for (const LogRow& row : rows) {
        if (row.index >= 0) {
            indices.insert(row.index);
        }
    }
    std::int64_t next = 0;
    for (const std::int32_t index : indices) {
        panel.unnamed += index - next;
        for (; next < index && panel.unnamed_at.size() < unnamed_shown; ++next) {
            panel.unnamed_at.push_back(static_cast<std::int32_t>(next));
        }
        next = std::int64_t{index} + 1;
    }
}
} // namespace

ReplayTrade build_trade(const TradeBuilder::Open& open, const std::array<unsigned, 4>& cuts) {
    ReplayTrade trade;
    std::array<std::vector<Entry>, 4> entries;
    const LogRow* first = nullptr;
    for (std::size_t p = 0; p < entries.size(); ++p) {
        for (const LogRow* row : panel_entries(open.panels[p])) {
            entries[p].push_back({row, row->item, false});
        }
        for (const LogRow& row : open.panels[p]) {
            first = !first || row.line < first->line ? &row : first;
        }
        trade.panels[p].rows = static_cast<std::int32_t>(open.panels[p].size());
        trade.panels[p].cut = cuts[p];
        find_unnamed(open.panels[p], trade.panels[p]);
    }
    apply_texts(open.applied, entries, trade);
    for (const LogRow& row : open.applied) {
        first = !first || row.line < first->line ? &row : first;
    }
    for (std::size_t p = 0; p < entries.size(); ++p) {
        for (const Entry& e : entries[p]) {
            panel_items(trade.scenario, p).push_back(e.item);
            trade.panels[p].texts += e.shown ? 1 : 0;
        }
    }
    if (first) {
        trade.stamp = first->stamp;
        trade.line = first->line;
    }
    return trade;
}

void TradeBuilder::count(RowKind kind) {
    ++seq;
    const std::size_t k = kind_index(kind);
    if (++session_rows[k] >= session_caps[k] && reached[k] == 0) {
        reached[k] = seq;
    }
}

void TradeBuilder::session_start() {
    close();
    session_rows = {};
    reached = {};
    cap_seen = {};
}

void TradeBuilder::cap_line(RowKind kind) {
    cap_seen[kind_index(kind)] = true;
}

void TradeBuilder::unreadable(RowKind kind) {
    count(kind);
}

void TradeBuilder::row(LogRow row) {
    if (!open.empty && starts_trade(row)) {
        close(); // before the row is counted: it is no part of this trade
    }
    count(row.kind);
    row.seq = seq;
    add(std::move(row));
}

bool TradeBuilder::starts_trade(const LogRow& row) const {
    const std::size_t p = row.panel;
    const bool back = open.indexed[p] > 0 && open.last_index[p] >= row.index;
    switch (row.kind) {
    case RowKind::Value:
        return open.phase > 0 || back || (p == offer_buy && open.indexed[offer_sell] > 0);
    case RowKind::List:
        return row.index >= 0 &&
               (open.phase == applied_phase || back || (p == trader && open.indexed[player] > 0));
    case RowKind::Applied:
        return open.text_rank > text_rank(p);
    }
    return false;
}

void TradeBuilder::add(LogRow row) {
    open.empty = false;
    const std::size_t p = row.panel;
    if (row.kind == RowKind::Applied) {
        open.phase = applied_phase;
        open.text_rank = text_rank(p);
        open.applied.push_back(std::move(row));
        return;
    }
    if (row.index >= 0) {
        open.phase = std::max(open.phase, row.kind == RowKind::Value ? 0 : 1);
        open.last_index[p] = row.index;
        ++open.indexed[p];
    }
    open.panels[p].push_back(std::move(row));
}

// `last`: the panel's last row of that kind in the trade, 0 without one. Once the count has
// reached the cap, rows after it are lost; a cap line alone (the session began before the log)
// says only that some were.
unsigned TradeBuilder::session_cut(RowKind kind, bool has_rows, std::uint64_t last) const {
    const std::size_t k = kind_index(kind);
    if (reached[k] != 0) {
        return !has_rows || last >= reached[k] ? 1u : 0u;
    }
    return cap_seen[k] ? 1u : 0u;
}

void TradeBuilder::close() {
    if (open.empty) {
        return;
    }
    std::array<unsigned, 4> cuts{};
    for (std::size_t p = 0; p < cuts.size(); ++p) {
        const bool offer = is_offer(p);
        const std::int32_t call_cap = offer ? tallyglass::limits::value_rows_per_call
                                            : tallyglass::limits::list_rows_per_call;
        const std::uint64_t last_item = last_seq(open.panels[p], p);
        const std::uint64_t last_text = last_seq(open.applied, p);
        cuts[p] = (open.indexed[p] >= call_cap ? cut_call_cap : 0u) |
                  (session_cut(offer ? RowKind::Value : RowKind::List, last_item != 0, last_item)
                       ? cut_session_cap
                       : 0u) |
                  (session_cut(RowKind::Applied, last_text != 0, last_text) ? cut_texts_cap : 0u);
    }
    ReplayTrade trade = build_trade(open, cuts);
    trade.number = static_cast<std::int32_t>(trades.size() + 1);
    trades.push_back(std::move(trade));
    open = Open{};
}

std::vector<ReplayTrade> TradeBuilder::finish() {
    close();
    return std::move(trades);
}
} // namespace replay

bool ReplayTrade::cut() const {
    return std::any_of(panels.begin(), panels.end(),
                       [](const ReplayPanel& p) { return p.cut != 0; });
}
} // namespace sim
