// tallyglass-sim's parts: the scenario reader and its limits, a small trade played with the built
// mod, a Mods folder played as installed, and the picture as a real SVG renderer draws it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <simhost/install.hpp>
#include <simhost/layout.hpp>
#include <sstream>

#include "config/settings.hpp"
#include "picture.hpp"
#include "printable.hpp"
#include "progress.hpp"
#include "render.hpp"
#include "scenario.hpp"
#include "session.hpp"
#include "support.hpp"

namespace {
using sim::parse_scenario;
namespace fs = std::filesystem;

std::string error_of(const std::string& json, const sim::ScenarioLimits& limits = {}) {
    try {
        parse_scenario(json, "trade.json", limits);
    } catch (const sim::ScenarioError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Scenario, ReadsEveryField) {
    auto s = parse_scenario(R"({
        "ini": "BaseValuePercent=50\n", "opens": 3,
        "trader": [{"item": "Iron Sword", "base": 133, "price": 120, "text": " 120 ",
                    "amount": 2, "previous": 110, "pos": 7, "trader_index": 4, "skip": true,
                    "show": false, "slot_data": false}],
        "player": [{"item": "Rag", "base": null, "price": 0}],
        "offer_buy": [], "offer_sell": []})",
                            "t.json");
    ASSERT_EQ(s.trader.size(), 1u);
    EXPECT_TRUE(s.trader[0] == (sim::ScenarioItem{"Iron Sword", 133, 120, " 120 ", 2, 110, 7, 4,
                                                  true, false, false}));
    ASSERT_EQ(s.player.size(), 1u);
    EXPECT_TRUE(s.player[0] == (sim::ScenarioItem{"Rag", std::nullopt, 0})) << "defaults";
    EXPECT_EQ(s.ini, "BaseValuePercent=50\n");
    EXPECT_EQ(s.opens, 3);
    EXPECT_FALSE(parse_scenario(R"({"ini": null})", "t.json").ini.has_value());
    EXPECT_EQ(parse_scenario("{}", "t.json").opens, 1);
    EXPECT_EQ(parse_scenario(testing_support::trader_scenario(1000, 10000), "t.json").trader.size(),
              1000u);
}

TEST(Scenario, BadFilesNameTheFieldAndWhatWasExpected) {
    struct Case {
        std::string json;
        std::string error;
    };
    std::string edit_names;
    for (const auto& edit : simhost::game::layout_edits()) {
        edit_names += (edit_names.empty() ? "" : ", ") + std::string(edit.name);
    }
    const Case cases[] = {
        {"{", "trade.json: line 1, column 2: expected well-formed JSON (syntax error while "
              "parsing object key - unexpected end of input; expected string literal)"},
        {"{\n  \"opens\": tru\n}", "trade.json: line 2, column 15: expected well-formed JSON "
                                   "(syntax error while parsing value - invalid literal; last "
                                   "read: '\"opens\": tru<U+000A>')"},
        {"{\n \"opens\": 1e999}", "trade.json: line 2, column 11: expected a number small enough "
                                  "to read (number overflow parsing '1e999')"},
        {"[]", "trade.json: (document): expected a JSON object"},
        {R"({"tarder": []})", "trade.json: tarder: expected no such key; a scenario has ini, "
                              "trader, player, offer_buy, offer_sell, opens, game_update"},
        {R"({"ini": 5})", "trade.json: ini: expected a string"},
        {R"({"game_update": ["text-moved", "text-gone"]})",
         "trade.json: game_update[1]: expected one of " + edit_names},
        {R"({"game_update": "text-moved"})",
         "trade.json: game_update: expected a list of the game's layout changes: " + edit_names},
        {R"({"opens": 0})", "trade.json: opens: expected a whole number from 1 to 10000"},
        {R"({"opens": 10001})", "trade.json: opens: expected a whole number from 1 to 10000"},
        {R"({"opens": 1.5})", "trade.json: opens: expected a whole number from 1 to 10000"},
        {R"({"opens": 1, "ini": "", "opens": 2})",
         "trade.json: opens: expected each key once; this one is given twice"},
        {R"({"trader": [{}, {"item": "a", "base": 1, "price": 1, "base": 2}]})",
         "trade.json: trader[1].base: expected each key once; this one is given twice"},
        {std::string("\xFF\xFE{\0}\0", 6),
         "trade.json: (document): expected UTF-8 text, not UTF-16 (\"Unicode\" in Notepad). Save "
         "it as UTF-8: in Notepad, File > Save As, Encoding \"UTF-8\"."},
        {R"({"trader": {}})", "trade.json: trader: expected an array of items"},
        {testing_support::trader_scenario(1001), "trade.json: trader: expected at most 1000 items"},
        {R"({"player": [7]})",
         "trade.json: player[0]: expected an object with \"item\", \"base\" and \"price\""},
        {R"({"offer_buy": [{"item": "a", "price": 1}]})",
         "trade.json: offer_buy[0].base: expected a value (the field is required)"},
        {R"({"trader": [{"item": "a", "base": 1, "price": 1}, {"item": 2, "base": 1, "price": 1}]})",
         "trade.json: trader[1].item: expected a string"},
        {R"({"trader": [{"item": "a", "base": 2147483648, "price": 1}]})",
         "trade.json: trader[0].base: expected a whole number from -2147483648 to 2147483647"},
        {R"({"trader": [{"item": "a", "base": "1", "price": 1}]})",
         "trade.json: trader[0].base: expected a whole number from -2147483648 to 2147483647"},
        {R"({"trader": [{"item": "a", "base": 1, "price": 1, "skip": 1}]})",
         "trade.json: trader[0].skip: expected true or false"},
        {R"({"trader": [{"item": "a", "base": 1, "price": 1, "colour": 1}]})",
         "trade.json: trader[0].colour: expected no such key; an item has item, base, price, "
         "text, amount, previous, pos, trader_index, skip, show, slot_data"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(error_of(c.json), c.error) << c.json.substr(0, 80);
    }
    std::string values = "[0";
    for (int i = 0; i < 100000; ++i) {
        values += ",0";
    }
    EXPECT_EQ(error_of(values + "]"),
              "trade.json: (document): expected at most 100000 JSON values in all");
    EXPECT_EQ(error_of(std::string(16 * 1024 * 1024 + 1, ' ')),
              "trade.json: (document): expected at most 16777216 bytes");
}
TEST(Session, SmallTradeAsJson) {
    auto result = sim::play(parse_scenario(R"({
        "ini": "DebugLogging=false\nHeatmapMode=Directional\n",
        "trader": [{"item": "Iron Sword", "base": 133, "price": 120},
                   {"item": "Lost Note", "base": null, "price": 3}],
        "player": [{"item": "Wolf Pelt", "base": 80, "price": 60}]})",
                                           "small.json"),
                            {});
    std::ostringstream out;
    sim::write_json(out, result);
    auto doc = nlohmann::json::parse(out.str());
    ASSERT_EQ(doc["log"].size(), 10u);
    EXPECT_EQ(doc["log"][3], "Mod 'Tallyglass' has enabled.txt, starting mod.\n");
    EXPECT_EQ(doc["log"][4],
              "[Tallyglass] Loaded v0.4.0-rc1; config: Enabled=true, "
              "DisplayMode=ValueTextAppend, BaseValuePercent=75, HeatmapEnabled=true, "
              "HeatmapMode=Directional, HeatmapMaxDistancePercent=100.\n");
    EXPECT_EQ(doc["log"][9],
              "[Tallyglass] Registered hook for /Script/UMG.TextBlock:SetText (pre=7, post=8).\n");
    ASSERT_EQ(doc["slots"].size(), 3u);
    const auto& sword = doc["slots"][0];
    EXPECT_EQ(sword["panel"], "trader");
    EXPECT_EQ(sword["index"], 0);
    EXPECT_EQ(sword["item"], "Iron Sword");
    EXPECT_EQ(sword["game_text"], "120");
    EXPECT_EQ(sword["text"], "120 (99)");
    ASSERT_EQ(sword["color"].size(), 4u);
    EXPECT_NEAR(sword["color"][0].get<double>(), 0.98677, 5e-6) << "the mod's own components";
    EXPECT_NEAR(sword["color"][1].get<double>(), 0.84607, 5e-6);
    EXPECT_EQ(sword["color"][3], 1.0);
    EXPECT_EQ(sword["text_block"],
              "TextBlock /Engine/Transient.GameEngine_0:BP_G1RGameInstance_C_0.W_Trading_Main_C_0."
              "WidgetTree.W_TradingInventory_Buy.WidgetTree.W_Inventory_Main_C_0.WidgetTree."
              "W_Inventory_Slot_C_0.WidgetTree.Text_Value");
    const auto& note = doc["slots"][1];
    EXPECT_EQ(note["text"], "3") << "no base config: nothing to append";
    EXPECT_TRUE(note["color"].is_null());
    EXPECT_EQ(doc["slots"][2]["panel"], "player");
    EXPECT_EQ(doc["slots"][2]["text"], "60 (60)");
}

// A patched game: the player sees the game's own prices and the one line that says why.
TEST(Session, AGameUpdateThatMovedAFieldLeavesTheTradeUntouched) {
    const auto result = sim::play(parse_scenario(R"({
        "game_update": ["slot-position-retyped"],
        "trader": [{"item": "Iron Sword", "base": 133, "price": 120}],
        "offer_sell": [{"item": "Wolf Pelt", "base": 80, "price": 60}]})",
                                                 "patched.json"),
                                  {});
    EXPECT_EQ(std::count(result.log.begin(), result.log.end(),
                         "[Tallyglass] Game layout changed: InventorySlotData has no 4-byte "
                         "IntProperty at offset 40 (found ByteProperty); trade values are off.\n"),
              1);
    ASSERT_EQ(result.slots.size(), 2u);
    for (const auto& slot : result.slots) {
        EXPECT_EQ(slot.text, slot.game_text) << slot.item;
        EXPECT_FALSE(slot.color.has_value()) << slot.item;
    }
}

// What a player installed: played with its own settings, with the defaults when the mod does not
// read them, or not at all when it is not enabled. What the mod used is learnt from its own reader.
TEST(Session, PlaysWhatAModsFolderHolds) {
    struct Case {
        const char* name;
        std::function<void(const fs::path& mod)> change;
        int started;
        std::int32_t percent;
        const char* shown;
    };
    const Case cases[] = {
        {"as installed", [](const fs::path&) {}, 1, 50, "120 (66)"},
        {"not enabled", [](const fs::path& mod) { fs::remove(mod / "enabled.txt"); }, 0, 75, "120"},
        {"Tallyglass.ini a folder",
         [](const fs::path& mod) {
             fs::remove(mod / "Tallyglass.ini");
             fs::create_directory(mod / "Tallyglass.ini");
         },
         1, 75, "120 (99)"},
    };
    for (const auto& c : cases) {
        simhost::GameFolder game("sim");
        game.install(sim::default_library(), "BaseValuePercent=50\n");
        c.change(game.mods() / "Tallyglass");
        const auto result =
            sim::play(sim::builtin_scenario(), {.mods = game.mods(), .progress = {}});
        EXPECT_EQ(result.started, c.started) << c.name;
        EXPECT_EQ(result.config.BaseValuePercent, c.percent) << c.name;
        EXPECT_EQ(result.slots[0].text, c.shown) << c.name;
        EXPECT_EQ(result.log[0], "Starting mods (from mods.txt load order)...\n") << c.name;
    }
}

// Progress shows only on a terminal, only after two seconds, and goes again at the end.
TEST(Session, ProgressOfALongRun) {
    using namespace std::chrono_literals;
    const auto start = std::chrono::steady_clock::now();
    struct Case {
        bool terminal;
        std::vector<std::chrono::milliseconds> at; // of openings 1, 2, ...
        std::string shows;
    };
    const Case cases[] = {
        {true, {100ms, 1900ms, 2000ms}, ""},
        {true,
         {1000ms, 2100ms, 2200ms, 2400ms, 2500ms},
         "\rtallyglass-sim: opening 2 of 5 ...\rtallyglass-sim: opening 4 of 5 ...\r" +
             std::string(34, ' ') + "\r"},
        {false, {3000ms, 4000ms}, ""},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        std::size_t now = 0;
        sim::Progress progress(out, c.terminal,
                               [&] { return start + (now == 0 ? 0ms : c.at[now - 1]); });
        for (now = 1; now <= c.at.size(); ++now) {
            progress(static_cast<std::int32_t>(now), static_cast<std::int32_t>(c.at.size()));
        }
        EXPECT_EQ(out.str(), c.shows);
    }
}

std::string svg_of(const sim::Scenario& scenario) {
    std::ostringstream svg;
    sim::write_svg(svg, sim::play(scenario, {}));
    return svg.str();
}

// Pixels as "#RRGGBB", read from the PPM that rsvg-convert and pngtopnm make of an SVG.
class Image {
public:
    explicit Image(const std::string& svg) {
        auto folder = testing_support::temp_folder("simtest");
        testing_support::write_file(folder / "p.svg", svg);
        const std::string command = "rsvg-convert '" + (folder / "p.svg").string() +
                                    "' | pngtopnm > '" + (folder / "p.ppm").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << "the renderer refused the picture";
        std::istringstream in(testing_support::read_file(folder / "p.ppm"));
        std::string magic;
        int depth = 0;
        in >> magic >> width >> height >> depth;
        in.get();
        pixels.assign(std::istreambuf_iterator<char>(in), {});
        fs::remove_all(folder);
    }
    std::string at(int x, int y) const {
        const auto offset = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                 static_cast<std::size_t>(x));
        if (x < 0 || y < 0 || x >= width || y >= height || offset + 3 > pixels.size()) {
            return "";
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02X%02X%02X", static_cast<unsigned char>(pixels[offset]),
                      static_cast<unsigned char>(pixels[offset + 1]),
                      static_cast<unsigned char>(pixels[offset + 2]));
        return hex;
    }

private:
    int width = 0, height = 0;
    std::string pixels;
};

// Each slot's name and price as the SVG places them: the name's x and baseline, the price's right
// end.
std::vector<std::array<int, 3>> slot_rows(const std::string& svg) {
    std::vector<std::array<int, 3>> rows;
    std::istringstream lines(svg);
    std::string line, previous;
    while (std::getline(lines, line)) {
        int name_x = 0, y = 0, price_x = 0, name_end = 0, price_end = 0;
        std::sscanf(previous.c_str(), "<text x=\"%d\" y=\"%d\" fill=\"#d8d0c0\"%n", &name_x, &y,
                    &name_end);
        std::sscanf(line.c_str(), "<text x=\"%d\" y=\"%*d\" text-anchor=\"end\"%n", &price_x,
                    &price_end);
        if (name_end > 0 && price_end > 0) {
            rows.push_back({name_x, y, price_x});
        }
        previous = line;
    }
    return rows;
}

// The built-in trade, as is and with names long enough to have run into the prices: each price is
// drawn in its colour as the game shows it (#EF4444 in the settings shows as #F88D8D, the zero
// grey #5F5F5F as #A4A4A4), and every name ends left of its price.
TEST(Picture, ShowsEachPriceAsTheGameDoesAndNoNameRunsIntoIt) {
    const char* screen[] = {"#FEEDED", "#FFFFFF", "#EBFAED", "#F88D8D", "#A7EBB2",
                            "#D0F3D5", "#A4A4A4", "#A7EBB2", "#FEF6F6", "#A7EBB2"};
    auto long_names = sim::builtin_scenario();
    long_names.trader[0].item = "Iron Sword of the Seven Northern Kings and Their Queens";
    long_names.player[1].item = "Silver Ring of Quiet Wanderers";
    long_names.offer_buy[0].item = "<Torch & \"Tinder\">";
    for (const auto& scenario : {sim::builtin_scenario(), long_names}) {
        const std::string svg = svg_of(scenario);
        const Image image(svg);
        const auto rows = slot_rows(svg);
        ASSERT_EQ(rows.size(), std::size(screen));
        for (std::size_t slot = 0; slot < rows.size(); ++slot) {
            const auto [name_x, y, price_x] = rows[slot];
            int last_name = -1, first_price = price_x + 1;
            for (int py = y - 14; py <= y + 3; ++py) {
                for (int px = name_x; px <= price_x; ++px) {
                    const std::string pixel = image.at(px, py);
                    last_name = pixel == "#D8D0C0" ? std::max(last_name, px) : last_name;
                    first_price = pixel == screen[slot] ? std::min(first_price, px) : first_price;
                }
            }
            EXPECT_LE(first_price, price_x) << "slot " << slot << ": no pixel of " << screen[slot];
            EXPECT_LT(last_name, first_price)
                << "slot " << slot << ": the name runs into the price";
        }
    }
    EXPECT_NE(svg_of(long_names)
                  .find("<title>Iron Sword of the Seven Northern Kings and "
                        "Their Queens</title>"),
              std::string::npos);
}

// A name or a value text of any length keeps the picture within what renderers draw (librsvg:
// 32,767 pixels); the title names the trade. Tables line up wide East Asian names.
TEST(Picture, LongTextsAreShortenedAndColumnsLineUp) {
    auto scenario = sim::builtin_scenario();
    scenario.trader[0].text = std::string(5000, '7');
    scenario.trader[1].item = "\xE5\x89\xA3\xE5\x89\xA3\xE5\x89\xA3"; // three wide characters
    const auto result = sim::play(scenario, {});
    std::ostringstream svg;
    sim::write_svg(svg, result, "Trade 2 of 3 in UE4SS.log");
    int width = 0;
    std::sscanf(svg.str().c_str() + svg.str().find("<svg"), "<svg xmlns=\"%*[^\"]\" width=\"%d",
                &width);
    EXPECT_GT(width, 0);
    EXPECT_LT(width, 2000);
    EXPECT_NE(svg.str().find("<title>" + std::string(5000, '7') + "</title>"), std::string::npos);
    EXPECT_NE(svg.str().find(">Trade 2 of 3 in UE4SS.log</text>"), std::string::npos);
    std::ostringstream table;
    sim::write_human(table, result, false);
    std::string line;
    std::vector<std::size_t> starts; // of the game text, in terminal columns
    for (std::istringstream lines(table.str()); std::getline(lines, line);) {
        for (const auto& [name, game_text] :
             {std::pair{"\xE5\x89\xA3", "  30"}, std::pair{"Lockpick", "  11"}}) {
            if (line.find(name) != std::string::npos) {
                starts.push_back(sim::display_width(line.substr(0, line.find(game_text) + 2)));
            }
        }
    }
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], starts[1]);
}

TEST(Picture, LegendFollowsTheSettingsAndTheSettingsAreNamed) {
    struct Case {
        const char* ini;
        const char* legend;
        bool scale;
    };
    const Case cases[] = {
        {"", "Heatmap (Directional, value = base x 75%)", true},
        {"HeatmapMode=Neutral\nBaseValuePercent=50\n", "Heatmap (Neutral, value = base x 50%)",
         true},
        {"HeatmapEnabled=false\n", "The heatmap is off (HeatmapEnabled=false)", false},
        {"DisplayMode=Off\n", "The display is off (DisplayMode=Off)", false},
        {"Enabled=false\n", "The mod is off (Enabled=false)", false},
    };
    for (const auto& c : cases) {
        auto scenario = sim::builtin_scenario();
        scenario.ini = c.ini;
        const std::string svg = svg_of(scenario);
        tallyglass::Config config;
        tallyglass::apply_config_text(c.ini, config);
        EXPECT_NE(svg.find(c.legend), std::string::npos) << c.ini;
        EXPECT_EQ(svg.find("linearGradient") != std::string::npos, c.scale) << c.ini;
        EXPECT_NE(svg.find("Drawn with " + tallyglass::to_utf8(tallyglass::config_summary(config))),
                  std::string::npos)
            << c.ini;
    }
}
} // namespace
