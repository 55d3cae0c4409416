// The replay's log reader on arbitrary bytes: a reading whose counts add up, or a ReplayError
// naming the file and what to do; each trade rebuilt is a scenario the simulator's reader takes
// back as it is.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>

#include "replay.hpp"

namespace {
[[noreturn]] void fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "fuzz_log: %s%s\n", what, detail.c_str());
    std::abort();
}

void check(const sim::LogReading& reading) {
    if (reading.trades.empty() || reading.skipped > reading.row_lines ||
        (reading.skipped == 0) != reading.first_skipped.empty()) {
        fail("line counts that do not add up");
    }
    std::size_t rows = 0;
    std::ostringstream out;
    for (std::size_t i = 0; i < reading.trades.size(); ++i) {
        const sim::ReplayTrade& trade = reading.trades[i];
        if (trade.number != static_cast<std::int32_t>(i + 1) || trade.line < 1 ||
            trade.line > reading.lines) {
            fail("trades not numbered 1, 2, ... or a first line outside the log");
        }
        for (const auto& panel : trade.panels) {
            if (panel.from_texts > panel.texts || panel.texts > panel.rows || panel.cut > 7u ||
                panel.unnamed < static_cast<std::int64_t>(panel.unnamed_at.size()) ||
                panel.unnamed_at.size() > 8) {
                fail("a panel's counts do not add up");
            }
            rows += static_cast<std::size_t>(panel.rows);
        }
        const std::string json = sim::scenario_json(trade.scenario);
        if (sim::scenario_json(sim::parse_scenario(json, "trade.json")) != json) {
            fail("a scenario that does not read back as written: ", json);
        }
        const sim::PriceStats stats = sim::price_stats(trade.scenario);
        sim::write_price_stats(out, stats);
        out << sim::price_stats_json(stats).dump() << sim::trade_json(trade).dump();
        sim::write_trade_notes(out, reading, trade);
    }
    if (rows != reading.row_lines - reading.skipped) {
        fail("a row read but in no trade, or in two");
    }
    if (&sim::select_trade(reading, std::nullopt) != &reading.trades.back()) {
        fail("the default trade is not the last");
    }
    sim::write_trade_list(out, reading, "fuzz.log");
    out << sim::skipped_json(reading).dump(-1, ' ', false,
                                           nlohmann::json::error_handler_t::replace);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        check(
            sim::read_log(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.log"));
    } catch (const sim::ReplayError& error) {
        const std::string& message = error.message();
        const bool no_trade = message.rfind("fuzz.log: no trade to replay: ", 0) == 0 &&
                              message.find("ProbeValues=true") != std::string::npos;
        if (!no_trade && message.rfind("fuzz.log: the file is saved as UTF-16", 0) != 0) {
            fail("an error that does not name the file and the setting: ", message);
        }
    } catch (const std::exception& error) {
        fail("an exception other than ReplayError: ", error.what());
    }
    return 0;
}
