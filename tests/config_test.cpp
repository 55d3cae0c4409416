#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "config/config_file.hpp"
#include "config/paths.hpp"
#include "config/settings.hpp"
#include "config/settings_file.hpp"
#include "game/limits.hpp"
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

std::string padded_to(std::size_t size, const std::string& lines) {
    return lines + std::string(size - lines.size() - 1, ';') + "\n";
}

// Where the library is, and what lies one folder above it as Tallyglass.ini: the settings, or the
// defaults with a line that says why. Nothing blocks and nothing is read past the limit.
TEST(ConfigFile, HostileSettingsFilesGiveTheDefaultsWithALineOfTheirOwn) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& ini)> make;
        SettingsFallback fallback;
        const char* line; // after "[Tallyglass] "; empty: none
        std::int32_t percent;
    };
    const std::size_t limit = limits::max_settings_bytes;
    const Case cases[] = {
        {"bytes line by line",
         [](const auto& ini) {
             testing_support::write_file(
                 ini, "[General]\r\nEnabled=false\r\nBaseValuePercent = 50 %\r\nProbeValues=on");
         },
         SettingsFallback::None, "", 50},
        {"no file", [](const auto&) {}, SettingsFallback::NotFound,
         "Config not found; using defaults.\n", 75},
        {"a folder", [](const auto& ini) { std::filesystem::create_directory(ini); },
         SettingsFallback::NotAFile, "Config is not a regular file; using defaults.\n", 75},
        {"just at the limit",
         [&](const auto& ini) {
             testing_support::write_file(ini, padded_to(limit, "BaseValuePercent=60\n"));
         },
         SettingsFallback::None, "", 60},
        {"one byte over the limit",
         [&](const auto& ini) {
             testing_support::write_file(ini, padded_to(limit + 1, "BaseValuePercent=60\n"));
         },
         SettingsFallback::TooLarge, "Config larger than 1048576 bytes; using defaults.\n", 75},
        {"a gigabyte, sparse",
         [](const auto& ini) {
             testing_support::write_file(ini, "BaseValuePercent=60\n");
             std::filesystem::resize_file(ini, 1u << 30);
         },
         SettingsFallback::TooLarge, "Config larger than 1048576 bytes; using defaults.\n", 75},
#ifndef _WIN32
        {"a pipe without a writer",
         [](const auto& ini) { ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0); },
         SettingsFallback::NotAFile, "Config is not a regular file; using defaults.\n", 75},
        {"a link to an endless device",
         [](const auto& ini) { std::filesystem::create_symlink("/dev/zero", ini); },
         SettingsFallback::NotAFile, "Config is not a regular file; using defaults.\n", 75},
#endif
    };
    for (const auto& c : cases) {
        const auto folder = testing_support::temp_folder("ini");
        std::filesystem::create_directories(folder / "dlls");
        const auto ini = folder / "Tallyglass.ini";
        c.make(ini);
        EXPECT_EQ(read_settings_file(testing_support::wide(ini.string())).fallback, c.fallback)
            << c.name;
        simhost::reset();
        const Config config = load_config_in(testing_support::wide((folder / "dlls").string()));
        EXPECT_EQ(config.BaseValuePercent, c.percent) << c.name;
        EXPECT_EQ(testing_support::log_lines(),
                  *c.line ? std::vector<std::string>{std::string("[Tallyglass] ") + c.line}
                          : std::vector<std::string>{})
            << c.name;
        std::filesystem::remove_all(folder);
    }
    simhost::reset();
    EXPECT_EQ(load_config_in(String()), Config{});
    EXPECT_EQ(testing_support::log_lines(),
              std::vector<std::string>{"[Tallyglass] Config path unavailable; using defaults.\n"});
}

#ifdef __GLIBC__
// A stream that gives its bytes, then fails: what was read up to the last whole line stands, and
// the line the failure cut short is not applied (its value may be cut short too). One that never
// ends is read no further than the limit and one byte.
TEST(ConfigFile, AReadFailureKeepsTheWholeLinesReadBeforeIt) {
    struct Source {
        std::string_view bytes;
        bool endless = false;
    };
    const cookie_io_functions_t io{[](void* cookie, char* buffer, std::size_t size) -> ssize_t {
                                       auto& source = *static_cast<Source*>(cookie);
                                       if (source.endless) {
                                           std::fill_n(buffer, size, '\n');
                                           return static_cast<ssize_t>(size);
                                       }
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
        EXPECT_EQ(read_settings_text(file, 100), kept) << bytes;
        std::fclose(file);
    }
    Source endless{{}, true};
    std::FILE* file = fopencookie(&endless, "r", io);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(read_settings_text(file, 100), std::string(101, '\n'));
    std::fclose(file);
}
#endif
} // namespace
