// Between the log reader and the trade builder: one row line as read, and the builder that groups
// rows into trades and keeps count of the mod's per-session row caps.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "replay.hpp"

namespace sim::replay {
enum class RowKind { Value, List, Applied };
inline constexpr std::size_t row_kinds = 3;

// Indices into replay_panels.
enum PanelIndex : std::size_t { trader = 0, player = 1, offer_buy = 2, offer_sell = 3 };

struct LogRow {
    RowKind kind = RowKind::Value;
    std::size_t panel = trader;
    std::int32_t index = 0; // slot_index or list_index; -1 for an entry the game fetched
    std::string config;     // the base config's full name; empty when the game had none
    ScenarioItem item;      // an applied row's text is the one the game showed
    std::string stamp;
    std::size_t line = 0;
    std::uint64_t seq = 0; // its place among the row lines of the log
};

class TradeBuilder {
public:
    // A "Loaded" line: a new game session with fresh row caps.
    void session_start();
    void cap_line(RowKind kind);
    // A row line that could not be read still counts against its cap.
    void unreadable(RowKind kind);
    void row(LogRow row);
    std::vector<ReplayTrade> finish();

    // One trade as it grows.
    struct Open {
        std::array<std::vector<LogRow>, 4> panels; // value and list rows
        std::vector<LogRow> applied;
        std::array<std::int32_t, 4> last_index{-1, -1, -1, -1};
        std::array<std::int32_t, 4> indexed{}; // rows with an index, i.e. of the panel's call
        int phase = 0;                         // the latest kind of row: 0 value, 1 list, 2 applied
        int text_rank = -1;
        bool empty = true;
    };

private:
    void count(RowKind kind);
    bool starts_trade(const LogRow& row) const;
    void add(LogRow row);
    void close();
    unsigned session_cut(RowKind kind, bool has_rows, std::uint64_t last) const;

    std::uint64_t seq = 0;
    std::array<std::uint64_t, row_kinds> session_rows{};
    std::array<std::uint64_t, row_kinds> reached{}; // the row that reached the cap; 0 not yet
    std::array<bool, row_kinds> cap_seen{};
    Open open;
    std::vector<ReplayTrade> trades;
};

// The items of a panel of a (const) scenario.
template <typename AnyScenario> auto& panel_items(AnyScenario& scenario, std::size_t panel) {
    switch (panel) {
    case trader:
        return scenario.trader;
    case player:
        return scenario.player;
    case offer_buy:
        return scenario.offer_buy;
    default:
        return scenario.offer_sell;
    }
}

// The scenario and the panels' counts of a closed trade; `cuts` from the row caps.
ReplayTrade build_trade(const TradeBuilder::Open& open, const std::array<unsigned, 4>& cuts);
} // namespace sim::replay
