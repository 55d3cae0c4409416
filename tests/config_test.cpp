#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "config/config.hpp"
#include "config/config_file.hpp"
#include "support.hpp"

namespace {
using namespace tallyglass;
using testing_support::utf8;

Config parse(std::string_view text) {
    Config config;
    apply_config_text(text, config);
    return config;
}

TEST(ConfigText, DefaultsAreTheDocumentedValues) {
    Config c;
    EXPECT_EQ(utf8(config_summary(c)),
              "Enabled=true, DisplayMode=ValueTextAppend, BaseValuePercent=75, "
              "HeatmapEnabled=true, HeatmapMode=Directional, HeatmapMaxDistancePercent=100");
    EXPECT_EQ(c.HeatmapNearColor, (LinearColor{0.831f, 0.831f, 0.847f, 1.0f}));
    EXPECT_EQ(c.HeatmapZeroColor, (LinearColor{0.373f, 0.373f, 0.373f, 1.0f}));
}

TEST(ConfigText, LinesThatChangeNothing) {
    const char* files[] = {
        "",
        "\n\n",
        "; Enabled=false\n# Enabled=false\n",
        "  ; Enabled=false\n",
        "[General]\n[Display]\n",
        "Enabled=false ; off\n",
        "Enabled\n",
        "=false\n",
        "enabled_x=false\nbase_value_percent=10\nheatmap mode=neutral\n",
        "\xEF\xBB\xBF"
        "Enabled=false\n",
        "Enabled=maybe\n",
        "DisplayMode=1\n",
        "BaseValuePercent=-5\nBaseValuePercent=12a\nBaseValuePercent=+\nBaseValuePercent=%\n",
        "HeatmapBadColor=#f00\nHeatmapBadColor=#ff00zz\nHeatmapBadColor=\n",
        "\f Enabled=false\n",
    };
    for (const char* file : files) {
        EXPECT_EQ(parse(file), Config{}) << "file: " << file;
    }
}

TEST(ConfigText, KeysAliasesAndWords) {
    struct Case {
        const char* line;
        bool (*check)(const Config&);
    };
    const Case cases[] = {
        {"ENABLED = No", [](const Config& c) { return !c.Enabled; }},
        {"enabled=OFF\r", [](const Config& c) { return !c.Enabled; }},
        {"ProbeValues=yes", [](const Config& c) { return c.ProbeValues; }},
        {"debug=yes", [](const Config& c) { return c.DebugLogging; }},
        {"DebugLogging=1", [](const Config& c) { return c.DebugLogging; }},
        {"DisplayMode=Off", [](const Config& c) { return c.DisplayMode == ValueDisplayMode::Off; }},
        {"DisplayMode=false",
         [](const Config& c) { return c.DisplayMode == ValueDisplayMode::Off; }},
        {"heatmap=off", [](const Config& c) { return !c.HeatmapEnabled; }},
        {"HeatmapEnabled=0", [](const Config& c) { return !c.HeatmapEnabled; }},
        {"HeatmapMode=distance",
         [](const Config& c) { return c.HeatmapMode == HeatmapColorMode::Neutral; }},
        {"HeatmapMode=Heatmap",
         [](const Config& c) { return c.HeatmapMode == HeatmapColorMode::Neutral; }},
        {"BaseValuePercent=150%", [](const Config& c) { return c.BaseValuePercent == 150; }},
        {"BaseValuePercentage = 75 %", [](const Config& c) { return c.BaseValuePercent == 75; }},
        {"GlobalBaseValuePercent=+0", [](const Config& c) { return c.BaseValuePercent == 0; }},
        {"globalbasevaluepercentage=007", [](const Config& c) { return c.BaseValuePercent == 7; }},
        {"BaseValuePercent=99999", [](const Config& c) { return c.BaseValuePercent == 10000; }},
        {"BaseValuePercent=99999x", [](const Config& c) { return c.BaseValuePercent == 10000; }},
        {"BaseValuePercent=10000", [](const Config& c) { return c.BaseValuePercent == 10000; }},
        {"HeatmapMaxDistancePercentage=0",
         [](const Config& c) { return c.HeatmapMaxDistancePercent == 0; }},
        {"HeatmapBadColor=#ff000080",
         [](const Config& c) {
             return c.HeatmapBadColor == LinearColor{1.0f, 0.0f, 0.0f, 128.0f / 255.0f};
         }},
        {"HeatmapRedColor=00FF00",
         [](const Config& c) {
             return c.HeatmapBadColor == LinearColor{0.0f, 1.0f, 0.0f, 1.0f};
         }},
        {"HeatmapNearColor=#000000",
         [](const Config& c) {
             return c.HeatmapNearColor == LinearColor{0, 0, 0, 1};
         }},
        {"HeatmapAccentColor=#0000ff",
         [](const Config& c) {
             return c.HeatmapFarColor == LinearColor{0, 0, 1, 1};
         }},
        {"HeatmapGreenColor=#000000",
         [](const Config& c) {
             return c.HeatmapGoodColor == LinearColor{0, 0, 0, 1};
         }},
        {"HeatmapDirectionalNeutralColor=#000000",
         [](const Config& c) {
             return c.HeatmapNeutralColor == LinearColor{0, 0, 0, 1};
         }},
        {"HeatmapWhiteColor=#000000",
         [](const Config& c) {
             return c.HeatmapNeutralColor == LinearColor{0, 0, 0, 1};
         }},
        {"HeatmapGrayColor=#ffffff00",
         [](const Config& c) {
             return c.HeatmapZeroColor == LinearColor{1, 1, 1, 0};
         }},
        {"HeatmapGreyColor=#ffffff",
         [](const Config& c) {
             return c.HeatmapZeroColor == LinearColor{1, 1, 1, 1};
         }},
        {"heatmapzerocolor=#ffffff",
         [](const Config& c) {
             return c.HeatmapZeroColor == LinearColor{1, 1, 1, 1};
         }},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.check(parse(c.line))) << "line: " << c.line;
    }
}

TEST(ConfigText, DirectionalWordsAfterNeutral) {
    for (const char* word :
         {"directional", "positive_negative", "Positive-Negative", "POSITIVENEGATIVE"}) {
        Config c;
        c.HeatmapMode = HeatmapColorMode::Neutral;
        apply_config_line(std::string("HeatmapMode=") + word, c);
        EXPECT_EQ(c.HeatmapMode, HeatmapColorMode::Directional) << word;
    }
    for (const char* word : {"valuetextappend", "Value_Text_Append", "Value-Text-Append"}) {
        Config c;
        c.DisplayMode = ValueDisplayMode::Off;
        apply_config_line(std::string("DisplayMode=") + word, c);
        EXPECT_EQ(c.DisplayMode, ValueDisplayMode::ValueTextAppend) << word;
    }
}

TEST(ConfigText, LaterLinesOverrideUnlessTheyFailToParse) {
    EXPECT_FALSE(parse("Enabled=false\nEnabled=maybe\n").Enabled);
    EXPECT_TRUE(parse("Enabled=false\nEnabled=yes").Enabled) << "last line needs no line feed";
    EXPECT_EQ(parse("BaseValuePercent=50\r\nBaseValuePercent=12a\r\n").BaseValuePercent, 50);
    Config bom = parse("\xEF\xBB\xBF"
                       "Enabled=false\nProbeValues=true\n");
    EXPECT_TRUE(bom.Enabled) << "a byte-order mark spoils only the first key";
    EXPECT_TRUE(bom.ProbeValues);
}

TEST(ConfigText, LineOutcomes) {
    struct Case {
        const char* line;
        LineKind kind;
        const char* key;
        const char* value;
        const char* field;
        const char* setting; // the field's value afterwards
    };
    const Case cases[] = {
        {"   ", LineKind::Blank, "", "", "", ""},
        {"; x=1", LineKind::Comment, "", "", "", ""},
        {"#x", LineKind::Comment, "", "", "", ""},
        {"[General]", LineKind::NoEquals, "", "", "", ""},
        {" Colour = red ", LineKind::UnknownKey, "Colour", "red", "", ""},
        {"Enabled = a=b", LineKind::Rejected, "Enabled", "a=b", "Enabled", "true"},
        {"Heatmap = OFF", LineKind::Applied, "Heatmap", "OFF", "HeatmapEnabled", "false"},
        {"HeatmapGreyColor=#ff0000", LineKind::Applied, "HeatmapGreyColor", "#ff0000",
         "HeatmapZeroColor", "(1.000, 0.000, 0.000, 1.000)"},
        {"heatmapmode=x", LineKind::Rejected, "heatmapmode", "x", "HeatmapMode", "Directional"},
    };
    for (const auto& c : cases) {
        Config config;
        LineOutcome out = apply_config_line(c.line, config);
        EXPECT_EQ(out.kind, c.kind) << c.line;
        EXPECT_EQ(out.key, c.key) << c.line;
        EXPECT_EQ(out.value, c.value) << c.line;
        EXPECT_EQ(out.field, c.field) << c.line;
        EXPECT_EQ(setting_text(config, out.field), c.setting) << c.line;
    }
}

TEST(ConfigText, TrimTakesOnlyFourBlanks) {
    EXPECT_EQ(trim(" \t\r\n x \n\r\t "), "x");
    EXPECT_EQ(trim("\fx\v"), "\fx\v");
    EXPECT_EQ(trim(""), "");
}

TEST(ConfigPaths, ParentDirectory) {
    struct Case {
        const char* path;
        const char* parent;
    };
    const Case cases[] = {
        {"D:\\Games\\Mod\\Bin\\lib.dll", "D:\\Games\\Mod\\Bin"},
        {"D:\\Games\\Mod\\Bin", "D:\\Games\\Mod"},
        {"D:/Games/Mod/lib.dll", "D:/Games/Mod"},
        {"D:\\Games\\\\Mod", "D:\\Games"},
        {"D:\\lib.dll", "D:\\"},
        {"D:\\", "D:\\"},
        {"D:", "D:"},
        {"D:lib.dll", "D:"},
        {"/opt/mods/lib.so", "/opt/mods"},
        {"/lib.so", "/"},
        {"lib.dll", ""},
        {"", ""},
        {"a\\b\\", "a\\b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8(parent_directory(testing_support::wide(c.path))), c.parent) << c.path;
    }
}

TEST(ConfigPaths, JoinFileName) {
    struct Case {
        const char* directory;
        const char* joined;
    };
    const Case cases[] = {
        {"D:\\Games\\Mod", "D:\\Games\\Mod\\Tallyglass.ini"},
        {"D:\\", "D:\\Tallyglass.ini"},
        {"D:", "D:Tallyglass.ini"},
        {"/opt/mods/", "/opt/mods/Tallyglass.ini"},
        {"", "Tallyglass.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            utf8(join_path(testing_support::wide(c.directory), STR("Tallyglass.ini"), STR('\\'))),
            c.joined)
            << c.directory;
    }
    EXPECT_EQ(utf8(join_path(STR("/opt/mods"), STR("Tallyglass.ini"), STR('/'))),
              "/opt/mods/Tallyglass.ini");
}

TEST(ConfigFile, ReadsBytesLineByLine) {
    auto folder = testing_support::temp_folder("ini");
    auto path = folder / "Tallyglass.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[General]\r\nEnabled=false\r\nBaseValuePercent = 50 %\r\nProbeValues=on";
    }
    Config config;
    ASSERT_TRUE(read_config_file(testing_support::wide(path.string()), config));
    EXPECT_FALSE(config.Enabled);
    EXPECT_EQ(config.BaseValuePercent, 50);
    EXPECT_TRUE(config.ProbeValues);
    Config untouched;
    EXPECT_FALSE(
        read_config_file(testing_support::wide((folder / "missing.ini").string()), untouched));
    EXPECT_EQ(untouched, Config{});
    std::filesystem::remove_all(folder);
}
} // namespace
