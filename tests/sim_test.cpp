// tallyglass-sim: the scenario reader, a small trade played with the built mod, the JSON and SVG
// it writes, --check-ini, and the command line's exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "render.hpp"
#include "scenario.hpp"
#include "session.hpp"
#include "support.hpp"

namespace {
using sim::parse_scenario;
using sim::ScenarioError;

std::string error_of(const std::string& json) {
    try {
        parse_scenario(json, "trade.json");
    } catch (const ScenarioError& e) {
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
    const auto& i = s.trader[0];
    EXPECT_EQ(i.item, "Iron Sword");
    EXPECT_EQ(i.base, 133);
    EXPECT_EQ(i.text, " 120 ");
    EXPECT_EQ(i.amount, 2);
    EXPECT_EQ(i.previous, 110);
    EXPECT_EQ(i.pos, 7);
    EXPECT_EQ(i.trader_index, 4);
    EXPECT_TRUE(i.skip);
    EXPECT_FALSE(i.show);
    EXPECT_FALSE(i.slot_data);
    ASSERT_EQ(s.player.size(), 1u);
    EXPECT_FALSE(s.player[0].base.has_value());
    EXPECT_TRUE(s.player[0].show) << "defaults";
    EXPECT_EQ(s.ini, "BaseValuePercent=50\n");
    EXPECT_EQ(s.opens, 3);
    EXPECT_FALSE(parse_scenario(R"({"ini": null})", "t.json").ini.has_value());
    EXPECT_EQ(parse_scenario("{}", "t.json").opens, 1);
}

TEST(Scenario, BadFilesNameTheFieldAndWhatWasExpected) {
    struct Case {
        const char* json;
        const char* error;
    };
    const Case cases[] = {
        {"{", "trade.json: (document): expected well-formed JSON"},
        {"[]", "trade.json: (document): expected a JSON object"},
        {R"({"tarder": []})", "trade.json: tarder: expected no such key; a scenario has ini, "
                              "trader, player, offer_buy, offer_sell, opens"},
        {R"({"ini": 5})", "trade.json: ini: expected a string"},
        {R"({"opens": 0})", "trade.json: opens: expected a whole number from 1 to 1000"},
        {R"({"opens": 1.5})", "trade.json: opens: expected a whole number"},
        {R"({"trader": {}})", "trade.json: trader: expected an array of items"},
        {R"({"player": [7]})",
         "trade.json: player[0]: expected an object with \"item\", \"base\" and \"price\""},
        {R"({"offer_buy": [{"item": "a", "price": 1}]})",
         "trade.json: offer_buy[0].base: expected a value (the field is required)"},
        {R"({"trader": [{"item": "a", "base": 1, "price": 1}, {"item": 2, "base": 1, "price": 1}]})",
         "trade.json: trader[1].item: expected a string"},
        {R"({"trader": [{"item": "a", "base": 2147483648, "price": 1}]})",
         "trade.json: trader[0].base: expected a whole number from -2147483648 to 2147483647"},
        {R"({"trader": [{"item": "a", "base": 1, "price": -2147483649}]})",
         "trade.json: trader[0].price: expected a whole number from -2147483648 to 2147483647"},
        {R"({"trader": [{"item": "a", "base": 1, "price": 1, "skip": 1}]})",
         "trade.json: trader[0].skip: expected true or false"},
        {R"({"trader": [{"item": "a", "base": 1, "price": 1, "colour": 1}]})",
         "trade.json: trader[0].colour: expected no such key; an item has item, base, price, "
         "text, amount, previous, pos, trader_index, skip, show, slot_data"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(error_of(c.json), c.error) << c.json;
    }
}

sim::Scenario small_trade() {
    return parse_scenario(R"({
        "ini": "DebugLogging=false\nHeatmapMode=Directional\n",
        "trader": [{"item": "Iron Sword", "base": 133, "price": 120},
                   {"item": "Lost Note", "base": null, "price": 3}],
        "player": [{"item": "Wolf Pelt", "base": 80, "price": 60}]})",
                          "small.json");
}

TEST(Session, SmallTradeAsJson) {
    auto result = sim::play(small_trade(), {sim::default_library(), {}, {}});
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
    EXPECT_NEAR(sword["color"][0].get<double>(), 0.98677, 5e-6);
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

// Elements open and close in order, attributes are quoted and text holds no raw "<" or "&".
bool well_formed_xml(const std::string& xml) {
    std::vector<std::string> open;
    std::size_t i = 0;
    while ((i = xml.find_first_of("<&", i)) != std::string::npos) {
        if (xml[i] == '&') {
            auto end = xml.find(';', i);
            std::string entity = xml.substr(i, end - i + 1);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" &&
                entity != "&apos;") {
                return false;
            }
            i = end;
            continue;
        }
        auto end = xml.find('>', i);
        if (end == std::string::npos) {
            return false;
        }
        std::string tag = xml.substr(i + 1, end - i - 1);
        if (tag.front() == '?') {
        } else if (tag.front() == '/') {
            if (open.empty() || open.back() != tag.substr(1)) {
                return false;
            }
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(tag.substr(0, tag.find(' ')));
        }
        if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) {
            return false;
        }
        i = end;
    }
    return open.empty();
}

TEST(Session, PictureIsWellFormedSvg) {
    for (const char* mode : {"Directional", "Neutral"}) {
        auto scenario = small_trade();
        scenario.trader[0].item = "<Sword & \"Shield\">";
        scenario.ini = std::string("HeatmapMode=") + mode + "\n";
        auto result = sim::play(scenario, {sim::default_library(), {}, {}});
        std::ostringstream out;
        sim::write_svg(out, result);
        std::string svg = out.str();
        EXPECT_TRUE(well_formed_xml(svg)) << mode;
        EXPECT_NE(svg.find("&lt;Sword &amp; &quot;Shield&quot;&gt;"), std::string::npos) << mode;
        EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
        EXPECT_NE(svg.find("linearGradient"), std::string::npos) << "the legend";
    }
}

TEST(Session, PlaysWhatAModsFolderHolds) {
    struct Case {
        const char* name;
        void (*install)(const simhost::GameFolder&);
        std::int32_t percent; // of the settings in force
        const char* sword;
    };
    const Case cases[] = {
        {"installed with its settings",
         [](const simhost::GameFolder& g) {
             g.install(TALLYGLASS_LIBRARY, "BaseValuePercent=50\n");
         },
         50, "120 (66)"},
        {"installed, not enabled",
         [](const simhost::GameFolder& g) {
             g.install(TALLYGLASS_LIBRARY, "BaseValuePercent=50\n");
             std::filesystem::remove(g.mods() / "Tallyglass" / "enabled.txt");
         },
         75, "120"},
    };
    for (const auto& c : cases) {
        simhost::GameFolder game("sim");
        c.install(game);
        auto scenario = small_trade();
        scenario.ini.reset();
        auto result = sim::play(scenario, {{}, game.mods(), {}});
        EXPECT_EQ(result.config.BaseValuePercent, c.percent) << c.name;
        EXPECT_EQ(result.slots[0].text, c.sword) << c.name;
        EXPECT_EQ(result.log[0], "Starting mods (from mods.txt load order)...\n") << c.name;
    }
}

TEST(CheckIni, ExplainsEveryKindOfLine) {
    std::ostringstream out;
    int code = sim::check_ini(out, "\n; comment\n[General]\nnonsense\nColour=red\n"
                                   "BaseValuePercent=12a\nheatmap = off\nDebug=yes\r\n");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out.str(), "line 1: blank\n"
                         "line 2: comment\n"
                         "line 3: section [General] (sections have no meaning)\n"
                         "line 4: ignored: no \"=\" in \"nonsense\"\n"
                         "line 5: unknown key \"Colour\": ignored\n"
                         "line 6: value not understood for BaseValuePercent: \"12a\"; kept 75\n"
                         "line 7: applied HeatmapEnabled = false (key \"heatmap\")\n"
                         "line 8: applied DebugLogging = true (key \"Debug\")\n"
                         "settings in force: Enabled=true, DisplayMode=ValueTextAppend, "
                         "BaseValuePercent=75, HeatmapEnabled=false, HeatmapMode=Directional, "
                         "HeatmapMaxDistancePercent=100, ProbeValues=false, DebugLogging=true\n");
    std::ostringstream clean;
    EXPECT_EQ(sim::check_ini(clean, "Enabled=true\n"), 0);
}

struct Run {
    int code;
    std::string out;
};

Run run_tool(const std::string& args) {
    std::string command = std::string("\"") + TALLYGLASS_SIM + "\" " + args + " 2>&1";
    Run run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(CommandLine, ExitCodesAndMessages) {
    auto folder = testing_support::temp_folder("sim");
    auto bad = folder / "bad.json";
    std::ofstream(bad) << R"({"trader": [{"item": "a", "base": "x", "price": 1}]})";
    auto ini = folder / "ok.ini";
    std::ofstream(ini) << "Enabled=true\n";
    const auto log = folder / "UE4SS.log", mods = folder / "Mods";
    std::filesystem::create_directory(mods);
    struct Case {
        std::string args;
        int code;
        std::string output_has;
    };
    const Case cases[] = {
        {"--json --no-ini", 0, "\"slots\""},
        {"--ini " + ini.string() + " --no-ini", 2, "excludes"},
        {"--bogus", 2, "tallyglass-sim: "},
        {bad.string(), 2, bad.string() + ": trader[0].base: expected a whole number\n"},
        {(folder / "missing.json").string(), 2, "missing.json: cannot be read"},
        {"--check-ini " + ini.string(), 0, "line 1: applied Enabled = true"},
        {"--mods " + mods.string(), 0, "No mods.txt file found...\n"},
        {"--mods " + mods.string() + " --no-ini", 2, "cannot apply"},
        {"--mods " + (folder / "none").string(), 2, "none: no such folder"},
        {"--log " + log.string(), 0, "[Tallyglass] Loaded"},
        {"--log " + (folder / "none" / "UE4SS.log").string(), 2, "UE4SS.log: cannot be written"},
    };
    for (const auto& c : cases) {
        auto run = run_tool(c.args);
        EXPECT_EQ(run.code, c.code) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.output_has), std::string::npos) << c.args << "\n" << run.out;
        if (c.code == 2) {
            EXPECT_EQ(run.out.find("[Tallyglass]"), std::string::npos)
                << c.args << ": the mod is not loaded";
        }
    }
    std::ifstream written(log, std::ios::binary);
    std::size_t entries = 0;
    const std::string shape = "[0000-00-00 00:00:00] "; // 0: any digit
    for (std::string line; std::getline(written, line); ++entries) {
        bool stamped = line.size() > shape.size();
        for (std::size_t i = 0; stamped && i < shape.size(); ++i) {
            stamped = shape[i] == '0' ? line[i] >= '0' && line[i] <= '9' : line[i] == shape[i];
        }
        EXPECT_TRUE(stamped) << line;
    }
    EXPECT_EQ(entries, 11u) << "the host's lines and the mod's";
    std::filesystem::remove_all(folder);
}
} // namespace
