// The sample Tallyglass.ini shipped with the mod: it must load to exactly the defaults, and what
// its comments promise (commented-out settings, aliases, words) must hold for the reader.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/config.hpp"

namespace {
using namespace tallyglass;

struct Line {
    int number;
    std::string text;
};

std::vector<Line> sample_lines() {
    std::ifstream in(TALLYGLASS_SAMPLE_INI, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << TALLYGLASS_SAMPLE_INI;
    std::vector<Line> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        lines.push_back({number, text});
    }
    return lines;
}

std::string where(const Line& line) {
    return "line " + std::to_string(line.number) + ": " + line.text;
}

// Every field away from its default, so a line that sets a field shows.
Config unlike_defaults() {
    Config c;
    c.Enabled = false;
    c.ProbeValues = true;
    c.DebugLogging = true;
    c.DisplayMode = ValueDisplayMode::Off;
    c.BaseValuePercent = 1;
    c.HeatmapEnabled = false;
    c.HeatmapMode = HeatmapColorMode::Neutral;
    c.HeatmapMaxDistancePercent = 1;
    for (LinearColor* colour : {&c.HeatmapNearColor, &c.HeatmapFarColor, &c.HeatmapGoodColor,
                                &c.HeatmapBadColor, &c.HeatmapNeutralColor, &c.HeatmapZeroColor}) {
        *colour = LinearColor{0, 0, 0, 0};
    }
    return c;
}

std::vector<std::string> split_list(std::string_view text) {
    std::vector<std::string> out;
    std::stringstream in{std::string(text)};
    for (std::string item; std::getline(in, item, ',');) {
        out.emplace_back(trim(item));
    }
    return out;
}

std::string_view after(std::string_view text, std::string_view prefix) {
    return text.substr(prefix.size());
}

TEST(SampleIni, LoadsToExactlyTheDefaults) {
    auto lines = sample_lines();
    ASSERT_FALSE(lines.empty());
    Config loaded;
    for (const auto& line : lines) {
        LineOutcome out = apply_config_line(line.text, loaded);
        std::string_view trimmed = trim(line.text);
        bool section =
            out.kind == LineKind::NoEquals && trimmed.front() == '[' && trimmed.back() == ']';
        EXPECT_TRUE(out.kind == LineKind::Blank || out.kind == LineKind::Comment ||
                    out.kind == LineKind::Applied || section)
            << "neither blank, comment, section nor an applied setting: " << where(line);
    }
    EXPECT_EQ(loaded, Config{});
}

// A commented-out setting is "; Key = Value" with a known key; the aliases and words listed in
// the comments right above a setting belong to its key.
TEST(SampleIni, CommentsDocumentWhatTheReaderAccepts) {
    const Config unlike = unlike_defaults();
    Config covered = unlike; // every setting, live or commented out, applied
    std::vector<std::string> aliases;
    std::vector<std::string> words;
    for (const auto& line : sample_lines()) {
        std::string_view text = trim(line.text);
        std::string_view setting;
        if (text.empty()) {
            continue;
        }
        if (text.front() == ';') {
            std::string_view body = trim(text.substr(1));
            if (body.starts_with("Aliases:")) {
                aliases = split_list(after(body, "Aliases:"));
                continue;
            }
            if (body.starts_with("Words:")) {
                words = split_list(after(body, "Words:"));
                continue;
            }
            Config probe;
            LineKind kind = apply_config_line(body, probe).kind;
            if (kind == LineKind::Rejected) {
                ADD_FAILURE() << "a commented-out setting that does not parse: " << where(line);
            }
            if (kind != LineKind::Applied) {
                continue;
            }
            setting = body;
        } else if (text.find('=') != std::string_view::npos) {
            setting = text;
        } else {
            continue;
        }

        LineOutcome own = apply_config_line(setting, covered);
        std::string key(own.key);
        for (const auto& alias : aliases) {
            Config scratch;
            EXPECT_EQ(apply_config_line(alias + "=" + std::string(own.value), scratch).field,
                      own.field)
                << alias << " does not name the setting of " << where(line);
        }
        for (const auto& word : words) {
            Config scratch;
            EXPECT_EQ(apply_config_line(key + "=" + word, scratch).kind, LineKind::Applied)
                << word << " is not a word of " << key << ", " << where(line);
        }
        aliases.clear();
        words.clear();
    }
    EXPECT_TRUE(aliases.empty() && words.empty()) << "aliases or words after the last setting";

    // Every setting appears, at its default; a commented-out colour within half a step of 255.
    struct Colour {
        const char* name;
        LinearColor Config::*field;
    };
    const Colour colours[] = {
        {"HeatmapNearColor", &Config::HeatmapNearColor},
        {"HeatmapFarColor", &Config::HeatmapFarColor},
        {"HeatmapGoodColor", &Config::HeatmapGoodColor},
        {"HeatmapBadColor", &Config::HeatmapBadColor},
        {"HeatmapNeutralColor", &Config::HeatmapNeutralColor},
        {"HeatmapZeroColor", &Config::HeatmapZeroColor},
    };
    const Config defaults;
    Config rest = covered;
    for (const auto& c : colours) {
        const LinearColor& got = covered.*c.field;
        const LinearColor& want = defaults.*c.field;
        for (float d : {got.R - want.R, got.G - want.G, got.B - want.B, got.A - want.A}) {
            EXPECT_LE(std::fabs(d), 0.5f / 255.0f) << c.name;
        }
        rest.*c.field = want;
    }
    EXPECT_EQ(rest, defaults) << "a setting is missing from the sample or not at its default";
}
} // namespace
