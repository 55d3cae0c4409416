#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "config/config_file.hpp"
#include "config/paths.hpp"
#include "config/settings.hpp"
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
        "Enabled=\nDisplayMode=\nHeatmapMode=\nBaseValuePercent=\n",
        "DisplayMode=1\n",
        "BaseValuePercent=-5\nBaseValuePercent=12a\nBaseValuePercent=+\nBaseValuePercent=%\n",
        "HeatmapBadColor=#f00\nHeatmapBadColor=#ff00zz\nHeatmapBadColor=\n",
        "HeatmapBadColor=#ff00g0\nHeatmapBadColor=#ff000g\nHeatmapBadColor=#ff0000000\n",
        "\f Enabled=false\n",
    };
    for (const char* file : files) {
        EXPECT_EQ(parse(file), Config{}) << "file: " << file;
    }
}

TEST(ConfigText, KeysAliasesAndWords) {
    struct Case {
        const char* text; // applied to the defaults
        const char* field;
        const char* setting; // the field's value afterwards
    };
    const Case cases[] = {
        {"ENABLED = No", "Enabled", "false"},
        {"enabled=OFF\r", "Enabled", "false"},
        {"ProbeValues=yes", "ProbeValues", "true"},
        {"debug=yes", "DebugLogging", "true"},
        {"DebugLogging=1", "DebugLogging", "true"},
        {"DisplayMode=Off", "DisplayMode", "Off"},
        {"DisplayMode=false", "DisplayMode", "Off"},
        {"DisplayMode=0\nDisplayMode=Value_Text_Append", "DisplayMode", "ValueTextAppend"},
        {"DisplayMode=off\nDisplayMode=Value-Text-Append", "DisplayMode", "ValueTextAppend"},
        {"DisplayMode=off\nDisplayMode=valuetextappend", "DisplayMode", "ValueTextAppend"},
        {"heatmap=off", "HeatmapEnabled", "false"},
        {"HeatmapEnabled=0", "HeatmapEnabled", "false"},
        {"HeatmapMode=distance", "HeatmapMode", "Neutral"},
        {"HeatmapMode=Heatmap", "HeatmapMode", "Neutral"},
        {"HeatmapMode=neutral\nHeatmapMode=Positive-Negative", "HeatmapMode", "Directional"},
        {"HeatmapMode=neutral\nHeatmapMode=positive_negative", "HeatmapMode", "Directional"},
        {"HeatmapMode=neutral\nHeatmapMode=POSITIVENEGATIVE", "HeatmapMode", "Directional"},
        {"HeatmapMode=neutral\nHeatmapMode=directional", "HeatmapMode", "Directional"},
        {"BaseValuePercent=150%", "BaseValuePercent", "150"},
        {"BaseValuePercentage = 75 %", "BaseValuePercent", "75"},
        {"GlobalBaseValuePercent=+0", "BaseValuePercent", "0"},
        {"globalbasevaluepercentage=007", "BaseValuePercent", "7"},
        {"BaseValuePercent=99999", "BaseValuePercent", "10000"},
        {"BaseValuePercent=99999x", "BaseValuePercent", "10000"},
        {"BaseValuePercent=10000", "BaseValuePercent", "10000"},
        {"HeatmapMaxDistancePercentage=0", "HeatmapMaxDistancePercent", "0"},
        {"HeatmapBadColor=#ff000080", "HeatmapBadColor", "(1.000, 0.000, 0.000, 0.502)"},
        {"HeatmapRedColor=00FF00", "HeatmapBadColor", "(0.000, 1.000, 0.000, 1.000)"},
        {"HeatmapBadColor=#90aF09", "HeatmapBadColor", "(0.565, 0.686, 0.035, 1.000)"},
        {"HeatmapGrayColor=#ffffff00", "HeatmapZeroColor", "(1.000, 1.000, 1.000, 0.000)"},
        {"heatmapzerocolor=#FFFFFF", "HeatmapZeroColor", "(1.000, 1.000, 1.000, 1.000)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setting_text(parse(c.text), c.field), c.setting) << "text: " << c.text;
    }
    EXPECT_EQ(parse("HeatmapBadColor=#ff000080").HeatmapBadColor.A, 128.0f / 255.0f);
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

// Each parser gives its value for a word it knows and the fallback, untouched, for any other.
TEST(ConfigText, ParsersFallBack) {
    const LinearColor red{1, 0, 0, 1}, grey{0.5f, 0.5f, 0.5f, 1};
    EXPECT_TRUE(parse_bool(" Yes ", false));
    EXPECT_FALSE(parse_bool("yes please", false));
    EXPECT_TRUE(parse_bool("", true));
    EXPECT_EQ(parse_display_mode("OFF", ValueDisplayMode::ValueTextAppend), ValueDisplayMode::Off);
    EXPECT_EQ(parse_display_mode("1", ValueDisplayMode::Off), ValueDisplayMode::Off);
    EXPECT_EQ(parse_heatmap_mode("Distance", HeatmapColorMode::Directional),
              HeatmapColorMode::Neutral);
    EXPECT_EQ(parse_heatmap_mode("up", HeatmapColorMode::Neutral), HeatmapColorMode::Neutral);
    EXPECT_EQ(parse_percent("42 %", 7), 42);
    EXPECT_EQ(parse_percent("4 2", 7), 7);
    EXPECT_EQ(parse_color("#FF0000", grey), red);
    EXPECT_EQ(parse_color("#FF00", grey), grey);
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
        {"a:\\", "a:\\"},
        {"z:\\", "z:\\"},
        {"A:\\", "A:\\"},
        {"Z:\\", "Z:\\"},
        {"@:\\", "@:"}, // no drive: the characters around the letters
        {"[:\\", "[:"},
        {"`:\\", "`:"},
        {"{:\\", "{:"},
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

// Where the library is: unknown, in a folder whose parent has no settings file, or one that has.
TEST(ConfigFile, LoadedFromAboveTheLibrarysFolder) {
    const auto folder = testing_support::temp_folder("ini");
    std::filesystem::create_directories(folder / "dlls");
    const String dlls = testing_support::wide((folder / "dlls").string());
    simhost::reset();
    EXPECT_EQ(load_config_in(String()), Config{});
    EXPECT_EQ(load_config_in(dlls), Config{});
    testing_support::write_file(folder / "Tallyglass.ini", "BaseValuePercent=60\n");
    EXPECT_EQ(load_config_in(dlls).BaseValuePercent, 60);
    EXPECT_EQ(testing_support::log_lines(),
              (std::vector<std::string>{"[Tallyglass] Config path unavailable; using defaults.\n",
                                        "[Tallyglass] Config not found; using defaults.\n"}));
    std::filesystem::remove_all(folder);
}

#ifdef __GLIBC__
// A stream that gives its bytes, then fails: what was read up to the last whole line stands, and
// the line the failure cut short is not applied (its value may be cut short too).
TEST(ConfigFile, AReadFailureKeepsTheWholeLinesReadBeforeIt) {
    struct Source {
        std::string_view bytes;
    };
    const cookie_io_functions_t io{[](void* cookie, char* buffer, std::size_t size) -> ssize_t {
                                       auto& source = *static_cast<Source*>(cookie);
                                       if (source.bytes.empty()) {
                                           errno = EIO;
                                           return -1;
                                       }
                                       const std::size_t n = std::min(size, source.bytes.size());
                                       source.bytes.copy(buffer, n);
                                       source.bytes.remove_prefix(n);
                                       return static_cast<ssize_t>(n);
                                   },
                                   nullptr, nullptr, nullptr};
    for (const auto& [bytes, kept] :
         {std::pair{"Enabled=false\nBaseValuePercent=5", "Enabled=false\n"},
          std::pair{"BaseValuePercent=5", ""}}) {
        Source source{bytes};
        std::FILE* file = fopencookie(&source, "r", io);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(read_settings_text(file), kept) << bytes;
        std::fclose(file);
    }
}
#endif
} // namespace
