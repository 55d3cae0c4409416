// Replaying a trade from the game's UE4SS.log: the mod's row lines read back into the trades the
// player saw, each as a scenario for the simulator, with what the log could not hold and how the
// prices compare with the base values.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"
#include "scenario.hpp"

namespace sim {
// In the order of Scenario's panels and of SessionResult's slots.
inline constexpr std::array<const char*, 4> replay_panels = {"trader", "player", "offer_buy",
                                                             "offer_sell"};

// Why a panel of a trade may lack items or shown texts (bits of ReplayPanel::cut).
enum ReplayCut : unsigned {
    cut_call_cap = 1u,    // its call gave as many rows as the mod logs per call
    cut_session_cap = 2u, // the session's cap on its rows was reached by its last row or before
    cut_texts_cap = 4u,   // the same for the applied rows that hold the shown texts
};

struct ReplayPanel {
    std::int32_t rows = 0;       // its row lines in the trade, applied rows included
    std::int32_t texts = 0;      // items whose shown text the log holds
    std::int32_t from_texts = 0; // items known from an applied row alone
    unsigned cut = 0;
    // Slots below the highest index logged that have no row: the mod writes none for an item
    // without a base value or one the game skips, so they cannot be replayed. The first few.
    std::int64_t unnamed = 0;
    std::vector<std::int32_t> unnamed_at;
};

struct ReplayTrade {
    std::int32_t number = 0; // in log order, from 1
    std::string stamp;       // the time stamp of its first row as logged; empty without one
    std::size_t line = 0;    // the log line of its first row, from 1
    Scenario scenario;       // without a settings file: the caller picks one
    std::array<ReplayPanel, 4> panels;

    bool cut() const;
};

struct LogReading {
    std::vector<ReplayTrade> trades;
    std::size_t lines = 0;
    std::size_t row_lines = 0; // the mod's row lines, read or not
    std::size_t skipped = 0;   // row lines that could not be read
    std::size_t first_skipped_line = 0;
    std::string first_skipped; // as logged, without its time stamp, cut short; raw bytes
};

class ReplayError : public Error {
public:
    using Error::Error;
};

// Takes any bytes. Throws ReplayError, naming `file`, when no trade can be rebuilt (saying how to
// save the file again when it is UTF-16).
LogReading read_log(std::string_view log, const std::string& file);

// `number` counts from 1; none picks the last. Throws ReplayError when there is no such trade.
const ReplayTrade& select_trade(const LogReading& reading, std::optional<std::int32_t> number);

// A scenario file that parse_scenario reads back, for editing and replaying.
std::string scenario_json(const Scenario& scenario);

// The trades found (--list-trades), then the lines that could not be read.
void write_trade_list(std::ostream& out, const LogReading& reading, const std::string& file);
// Which trade is replayed and what the log could not hold of it.
void write_trade_notes(std::ostream& out, const LogReading& reading, const ReplayTrade& trade);
nlohmann::json trade_json(const ReplayTrade& trade);
// The row lines that could not be read: how many, and the first.
nlohmann::json skipped_json(const LogReading& reading);

// Price over base value of one side's items with a base above 0. Each figure is the ratio of the
// item at rank floor((n - 1) * k / 4) of the sorted ratios, k = 0 to 4: always a real item's.
struct SideStats {
    std::int32_t items = 0;
    std::array<double, 5> ratios{}; // lowest, lower quartile, median, upper quartile, highest
    ScenarioItem median;            // the median item
    // The BaseValuePercent that puts the median item at the side's neutral point: buying, the
    // lowest whose shown value is not below the price (the neutral colour when equal); selling,
    // the highest whose shown value is not above it (from there down a sale is fully good).
    std::int32_t percent = 0;
    std::int32_t shown = 0; // the median item's shown value at that percent
};

// Buy: the trader's list and the buy section; sell: the player's list and the sell section.
struct PriceStats {
    SideStats buy;
    SideStats sell;
};

PriceStats price_stats(const Scenario& scenario);
void write_price_stats(std::ostream& out, const PriceStats& stats);
nlohmann::json price_stats_json(const PriceStats& stats);
} // namespace sim
