// Replaying trades from UE4SS.log: a trade played with the probe on, read back from its log and
// played again shows the same; trades cut by the row caps say so; the log's forms and broken
// lines; the statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "color.hpp"
#include "render.hpp"
#include "replay.hpp"
#include "session.hpp"

namespace {
const std::string probe_ini = "ProbeValues=true\nDebugLogging=true\n";

// The session's lines as UE4SS writes them to UE4SS.log.
std::string ue4ss_log(const std::vector<std::string>& lines,
                      const std::string& stamp = "[2025-06-11 02:29:09.3559751] ",
                      const std::string& newline = "\n") {
    std::string out;
    for (const auto& line : lines) {
        out += stamp + line.substr(0, line.size() - 1) + newline;
    }
    return out;
}

std::vector<std::string> shown(const sim::SessionResult& result) {
    std::vector<std::string> out;
    for (const auto& s : result.slots) {
        out.push_back(s.panel + " | " + s.item + " | " + s.game_text + " | " + s.text + " | " +
                      (s.color ? sim::hex_color(*s.color) : "-"));
    }
    return out;
}

sim::SessionResult play(const sim::Scenario& scenario) {
    return sim::play(scenario, {});
}

sim::ScenarioItem ware(std::string name, std::int32_t base, std::int32_t price) {
    sim::ScenarioItem item;
    item.item = std::move(name);
    item.base = base;
    item.price = price;
    return item;
}

sim::Scenario builtin(std::int32_t opens = 1) {
    sim::Scenario s = sim::builtin_scenario();
    s.ini = probe_ini;
    s.opens = opens;
    return s;
}

// The notes the replay writes for `trade` hold `text`.
void expect_notes_hold(const sim::LogReading& reading, const sim::ReplayTrade& trade,
                       const std::string& text) {
    std::ostringstream notes;
    sim::write_trade_notes(notes, reading, trade);
    EXPECT_NE(notes.str().find(text), std::string::npos) << notes.str();
}

sim::LogReading read(const sim::SessionResult& first) {
    return sim::read_log(ue4ss_log(first.log), "UE4SS.log");
}

// The trade as read from the log, through the scenario file, under the original settings.
sim::SessionResult replay(const sim::ReplayTrade& trade, const sim::Scenario& original) {
    sim::Scenario again = sim::parse_scenario(sim::scenario_json(trade.scenario), "out.json");
    again.ini = original.ini;
    return play(again);
}

// Per panel (trader, player, offer_buy, offer_sell): items/shown texts/cut bits.
std::string summary(const sim::ReplayTrade& trade) {
    const auto& s = trade.scenario;
    const std::vector<sim::ScenarioItem>* items[] = {&s.trader, &s.player, &s.offer_buy,
                                                     &s.offer_sell};
    std::string out;
    for (std::size_t p = 0; p < 4; ++p) {
        out += (p ? " " : "") + std::to_string(items[p]->size()) + "/" +
               std::to_string(trade.panels[p].texts) + "/" + std::to_string(trade.panels[p].cut);
    }
    return out;
}

// As large as the row caps allow: 6 rows per balance section, 24 entries for both lists (each
// gives two rows), 36 applied rows. Prices rise within a side, so that a slot without its data
// object is still found by the number shown.
sim::Scenario random_trade(unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    sim::Scenario s;
    s.ini = probe_ini + "BaseValuePercent=" + std::to_string(pick(10, 200)) +
            (pick(0, 1) ? "\nHeatmapMode=Neutral\n" : "\n");
    int prices[2] = {0, 0};
    auto fill = [&](std::vector<sim::ScenarioItem>& panel, int count, int side, bool offer) {
        for (int i = 0; i < count; ++i) {
            sim::ScenarioItem item;
            item.price = prices[side] += pick(1, 30);
            item.item = "Ware " + std::to_string(seed) + "-" + std::to_string(item.price) +
                        (pick(0, 3) ? "" : ".v2");
            if (offer && pick(0, 5) == 0) {
                item.item = "(unknown)"; // as the log leaves an item without a base config
            } else {
                item.base = pick(offer ? -2 : 0, 500);
            }
            item.amount = pick(1, 5);
            item.previous = item.price + pick(-5, 5);
            item.trader_index = pick(0, 3);
            item.show = pick(0, 4) != 0;
            item.slot_data = pick(0, 4) != 0;
            // The log holds a game text only for a slot the mod rewrote.
            if (pick(0, 3) == 0 && item.base && *item.base >= 0) {
                item.text = " " + std::to_string(item.price);
            }
            panel.push_back(item);
        }
    };
    const int trader = pick(0, 24);
    fill(s.offer_buy, pick(0, 6), 0, true);
    fill(s.offer_sell, pick(0, 6), 1, true);
    fill(s.trader, trader, 0, false);
    fill(s.player, pick(0, 24 - trader), 1, false);
    return s;
}

TEST(Replay, RoundTripShowsTheSameSlots) {
    std::vector<sim::Scenario> trades = {builtin()};
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        trades.push_back(random_trade(seed));
    }
    for (std::size_t i = 0; i < trades.size(); ++i) {
        const auto first = play(trades[i]);
        const auto reading = read(first);
        ASSERT_EQ(reading.trades.size(), 1u) << "trade " << i << " (0: built-in; seed i)";
        EXPECT_EQ(reading.skipped, 0u) << "trade " << i;
        EXPECT_EQ(shown(replay(sim::select_trade(reading, std::nullopt), trades[i])), shown(first))
            << "trade " << i;
    }
}

TEST(Replay, TradeCutByTheRowCapsSaysSoAndReplaysWhatItHas) {
    // 30 of the trader's goods and 10 of the player's.
    sim::Scenario s = builtin();
    for (int i = 4; i < 30; ++i) {
        s.trader.push_back(ware("Ware " + std::to_string(i), 100, 50 + i));
    }
    for (int i = 4; i < 10; ++i) {
        s.player.push_back(ware("Pelt " + std::to_string(i), 80, 40 + i));
    }
    const auto first = play(s);
    auto logged = [&](const std::string& side) {
        return std::count_if(first.log.begin(), first.log.end(), [&](const std::string& line) {
            return line.starts_with("[Tallyglass] LeftList row side=" + side + ";");
        });
    };
    EXPECT_EQ(logged("trade-buy"), 24);
    EXPECT_EQ(logged("trade-sell"), 10);
    const auto reading = read(first);
    ASSERT_EQ(reading.trades.size(), 1u);
    const sim::ReplayTrade& trade = reading.trades[0];
    // Each list gives its entries once: 24 of the trader's, the most per call, and all 10 of the
    // player's; applied rows cover the offers, the trader and 4 of the player's before their cap.
    EXPECT_EQ(summary(trade), "30/30/1 10/4/4 1/1/0 1/1/0");
    EXPECT_EQ(trade.panels[0].from_texts, 6);
    EXPECT_EQ(trade.panels[0].rows, 24 + 30);
    EXPECT_EQ(trade.panels[1].rows, 10 + 4);
    std::vector<std::string> expected = shown(first);
    EXPECT_EQ(shown(replay(trade, s)), expected);
    expect_notes_hold(reading, trade,
                      "\n  trader may be incomplete: its list gave 24 rows, the most the "
                      "mod logs per call.\n  trader: 6 items known from applied rows "
                      "alone.\n  player: the game's texts may be missing: the mod's cap of "
                      "36 applied rows per game session was reached.\n");
}

TEST(Replay, LaterTradesOfASessionLoseWhatTheCapsTook) {
    const auto reading = read(play(builtin(7)));
    std::vector<std::string> trades;
    for (const auto& trade : reading.trades) {
        trades.push_back(std::to_string(trade.number) + ": " + summary(trade));
    }
    // 8 list rows and 10 applied rows per opening: 36 applied in the fourth, whose player is
    // known from its list rows alone, 48 list rows in the sixth, and none of either in the seventh.
    EXPECT_EQ(trades,
              (std::vector<std::string>{"1: 4/4/0 4/4/0 1/1/0 1/1/0", "2: 4/4/0 4/4/0 1/1/0 1/1/0",
                                        "3: 4/4/0 4/4/0 1/1/0 1/1/0", "4: 4/4/4 4/0/4 1/1/0 1/1/0",
                                        "5: 4/0/4 4/0/4 1/0/4 1/0/4", "6: 4/0/4 4/0/6 1/0/4 1/0/4",
                                        "7: 0/0/6 0/0/6 1/0/4 1/0/4"}));
    // Value rows run out first when most offers have no base: later trades hold applied rows only.
    sim::Scenario offers = builtin(8);
    offers.trader.clear();
    offers.player.clear();
    offers.offer_buy.resize(6, offers.offer_sell[0]);
    for (std::size_t i = 1; i < 6; ++i) {
        offers.offer_buy[i].base.reset();
    }
    const auto later = read(play(offers));
    ASSERT_EQ(later.trades.size(), 8u);
    EXPECT_EQ(summary(later.trades[7]), "0/0/0 0/0/0 1/1/2 1/1/2");
    EXPECT_EQ(&sim::select_trade(reading, std::nullopt), &reading.trades[6]);
    EXPECT_EQ(&sim::select_trade(reading, 2), &reading.trades[1]);
    EXPECT_THROW(sim::select_trade(reading, 0), sim::ReplayError);
    EXPECT_THROW(sim::select_trade(reading, 8), sim::ReplayError);
    std::ostringstream list;
    sim::write_trade_list(list, reading, "UE4SS.log");
    EXPECT_NE(list.str().find("\n  4      74    2025-06-11 02:29:09.3559751  8       4       2   "
                              "       2           maybe: trader, player\n"),
              std::string::npos)
        << list.str();
}

TEST(Replay, ReadsEveryFormOfTheLogAndSkipsUnreadableLines) {
    const auto lines = play(builtin()).log;
    const std::string reference =
        sim::scenario_json(sim::read_log(ue4ss_log(lines), "a").trades[0].scenario);
    auto broken = [&](const char* needle, const std::string& from, const char* to) {
        auto copy = lines;
        auto line = std::find_if(copy.begin(), copy.end(), [&](const std::string& l) {
            return l.find(needle) != std::string::npos;
        });
        line->replace(line->find(from), from.size(), to);
        return ue4ss_log(copy);
    };
    struct Case {
        std::string log;
        const char* stamp;
        std::size_t skipped;
        const char* trade;
    };
    const char* all = "4/4/0 4/4/0 1/1/0 1/1/0";
    const char* stamp = "2025-06-11 02:29:09.3559751";
    const Case cases[] = {
        {ue4ss_log(lines, "[2024-02-18 11:48:47] "), "2024-02-18 11:48:47", 0, all},
        {ue4ss_log(lines, "[2025-06-11 02:29:09.3559751] ", "\r\n"), stamp, 0, all},
        {ue4ss_log(lines,
                   "[2024-02-18 11:48:47] [UE4SS] Calling start_mod\n[2024-02-18 11:48:47] ") +
             "[2024-02-18 11:48:48] [Tallyglass] LeftList row side=trade-sell; list_in",
         "2024-02-18 11:48:47", 1, all}, // the last line cut off
        {"\xEF\xBB\xBF" + ue4ss_log(lines, ""), "", 0, all},
        // A list row's fetched twin stands in for it, an applied row for a value row.
        {broken("list_index=0;", "current=120", "current=12x"), stamp, 1, all},
        {broken("ValueDisplay row side=trade-buy", "trade-buy", "trade-swap"), stamp, 1, all},
        {broken("ValueDisplay row side=trade-sell", "; amount=1", ""), stamp, 1, all},
        {broken("observed=120", "pos=0", "pos=zero"), stamp, 1, "4/3/0 4/4/0 1/1/0 1/1/0"},
        {broken("list_index=3; pos=3; current=260", "Chalice.\n", "Chal\n"), stamp, 1, all},
        {broken("observed=260", "Gold", "G\xc3\x28ld"), stamp, 1, "4/4/0 4/3/0 1/1/0 1/1/0"},
    };
    for (const auto& c : cases) {
        const auto reading = sim::read_log(c.log, "UE4SS.log");
        ASSERT_EQ(reading.trades.size(), 1u) << c.log;
        EXPECT_EQ(reading.trades[0].stamp, c.stamp) << c.log;
        EXPECT_EQ(reading.skipped, c.skipped) << c.log;
        EXPECT_EQ(reading.first_skipped.rfind("[Tallyglass] ", 0),
                  c.skipped ? 0 : std::string::npos);
        EXPECT_EQ(summary(reading.trades[0]), c.trade) << c.log;
        if (c.skipped == 0) {
            EXPECT_EQ(sim::scenario_json(reading.trades[0].scenario), reference) << c.log;
        }
    }
}

// A slot the mod writes no row for (no base value, a slot the game skips) is counted where the
// log shows it: below the highest index of its panel.
TEST(Replay, SlotsWithoutARowAreCountedWhereTheLogShowsThem) {
    sim::Scenario s = builtin();
    s.trader[1].base.reset();
    s.trader[2].skip = true;
    s.player[3].base.reset(); // the last: nothing after it shows that it was there
    s.offer_sell.insert(s.offer_sell.begin(), ware("Flagged", 10, 77));
    s.offer_sell[0].skip = true;
    s.offer_sell[0].pos = 40; // so that no row of the same position takes its text
    const auto reading = read(play(s));
    ASSERT_EQ(reading.trades.size(), 1u);
    const auto& trade = reading.trades[0];
    std::vector<std::int64_t> unnamed;
    for (const auto& panel : trade.panels) {
        unnamed.push_back(panel.unnamed);
    }
    EXPECT_EQ(unnamed, (std::vector<std::int64_t>{2, 0, 0, 1}));
    EXPECT_EQ(sim::trade_json(trade)["panels"]["trader"]["unnamed"], 2);
    expect_notes_hold(reading, trade,
                      "  trader: the log has no row for 2 slots (list indices 1 and 2), so "
                      "the replay lacks them: the mod writes none for an item without a "
                      "base value or one the game skips.\n  offer_sell: the log has no "
                      "row for 1 slot (slot index 0), so the replay lacks it");
}

TEST(Replay, LogsWithoutRowsSayHowToGetThem) {
    const std::string other_session =
        "[2024-02-18 11:48:47] [Tallyglass] Loaded v0.4.0-rc1; config: Enabled=true.\n"
        "[2024-02-18 11:48:48] [Tallyglass] ValueDisplay row cap reached; further rows are "
        "suppressed this session.\n";
    for (const std::string& log : {other_session, std::string(), std::string("\0\xff\r\n[", 5)}) {
        try {
            sim::read_log(log, "UE4SS.log");
            ADD_FAILURE() << "no error for " << log;
        } catch (const sim::ReplayError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "UE4SS.log: no trade to replay: the log holds no row lines of Tallyglass. "
                      "Set ProbeValues=true (and DebugLogging=true for the texts the game showed) "
                      "in Tallyglass.ini, start the game, open a trade, close the game, and read "
                      "its UE4SS.log again.");
        }
    }
    // A NUL in the unreadable line shown cuts nothing of the message short.
    try {
        sim::read_log(std::string("[Tallyglass] LeftList row side=\0\n", 33), "UE4SS.log");
        ADD_FAILURE() << "no error";
    } catch (const sim::ReplayError& e) {
        EXPECT_TRUE(e.message().ends_with("read its UE4SS.log again.")) << e.message();
        EXPECT_NE(e.message().find(std::string("side=\0", 6)), std::string::npos);
    }
}

TEST(Replay, PricesAgainstValues) {
    std::ostringstream text;
    const auto stats = sim::price_stats(sim::builtin_scenario());
    sim::write_price_stats(text, stats);
    EXPECT_EQ(
        text.str(),
        "Prices against base values (price / base of each item with a base above 0):\n"
        "  buying: 4 items; lowest 0.55, quartiles 0.55 and 0.83, median 0.75, highest 0.90\n"
        "    BaseValuePercent=75 shows the median item, Healing Potion (price 30, base 40), as "
        "30: the neutral colour.\n"
        "  selling: 5 items; lowest 0.00, quartiles 0.45 and 0.75, median 0.75, highest 0.87\n"
        "    BaseValuePercent=76 shows the median item, Wolf Pelt (price 60, base 80), as 60: "
        "a fully good sale at this percent and below.\n");
    EXPECT_EQ(sim::price_stats_json(stats)["buy"]["ratio"]["highest"], 0.9023);
    EXPECT_TRUE(sim::price_stats_json(sim::price_stats({}))["sell"]["percent"].is_null());
    struct Case {
        bool buying;
        std::int32_t base, price, percent, shown;
    };
    const Case cases[] = {
        {true, 300, 100, 34, 102}, {true, 4, 0, 0, 0},   {true, 1, 200, 10000, 100},
        {false, 300, 100, 33, 99}, {false, 4, 0, 24, 0}, {false, 1, 500, 10000, 100},
    };
    for (const auto& c : cases) {
        sim::Scenario s;
        (c.buying ? s.trader : s.player).push_back(ware("W", c.base, c.price));
        const auto side = c.buying ? sim::price_stats(s).buy : sim::price_stats(s).sell;
        EXPECT_EQ(side.percent, c.percent) << c.base << " " << c.price;
        EXPECT_EQ(side.shown, c.shown) << c.base << " " << c.price;
    }
}
} // namespace
