// The sample Tallyglass.ini shipped with the mod: it must load to exactly the defaults, document
// every setting of the settings table with all of its aliases, and list only words the reader
// accepts for that setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.hpp"

namespace {
using namespace tallyglass;

std::vector<std::string> sample_lines() {
    std::ifstream in(TALLYGLASS_SAMPLE_INI, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << TALLYGLASS_SAMPLE_INI;
    std::vector<std::string> lines;
    for (std::string text; std::getline(in, text);) {
        lines.push_back(text);
    }
    return lines;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

TEST(SampleIni, LoadsToExactlyTheDefaults) {
    auto lines = sample_lines();
    ASSERT_FALSE(lines.empty());
    Config loaded;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        LineKind kind = apply_config_line(lines[i], loaded).kind;
        std::string_view text = trim(lines[i]);
        bool section = kind == LineKind::NoEquals && text.front() == '[' && text.back() == ']';
        EXPECT_TRUE(kind == LineKind::Blank || kind == LineKind::Comment ||
                    kind == LineKind::Applied || section)
            << "neither blank, comment, section nor an applied setting: line " << i + 1;
    }
    EXPECT_EQ(loaded, Config{});
}

// "; Aliases: A, B" and "; Words: x, y" belong to the next setting, live or commented out.
TEST(SampleIni, DocumentsEverySettingWithItsAliasesAndWords) {
    std::vector<std::string> aliases, words;
    std::set<std::string_view> documented;
    for (const auto& line : sample_lines()) {
        std::string_view text = trim(line);
        if (text.starts_with(';')) {
            text = trim(text.substr(1));
        }
        for (auto [tag, list] : {std::pair{"Aliases:", &aliases}, std::pair{"Words:", &words}}) {
            if (text.starts_with(tag)) {
                std::stringstream in{std::string(text.substr(std::strlen(tag)))};
                for (std::string item; std::getline(in, item, ',');) {
                    list->emplace_back(trim(item));
                }
            }
        }
        Config scratch;
        LineOutcome own = apply_config_line(text, scratch);
        if (own.kind != LineKind::Applied) {
            continue;
        }
        const Setting* setting = find_setting(own.field);
        ASSERT_NE(setting, nullptr) << own.field;
        EXPECT_EQ(own.key, setting->name) << "each setting is written under its own name";
        EXPECT_TRUE(documented.insert(setting->name).second) << setting->name << " twice";
        std::set<std::string> listed{lower(std::string(own.key))}, keys;
        for (const auto& alias : aliases) {
            listed.insert(lower(alias));
        }
        for (std::string_view key : setting->keys) {
            if (!key.empty()) {
                keys.emplace(key);
            }
        }
        EXPECT_EQ(listed, keys) << setting->name << ": the aliases listed are its keys";
        for (const auto& word : words) {
            std::string worded = std::string(own.key) + "=" + word;
            EXPECT_EQ(apply_config_line(worded, scratch).kind, LineKind::Applied) << worded;
        }
        aliases.clear();
        words.clear();
    }
    EXPECT_TRUE(aliases.empty() && words.empty()) << "aliases or words after the last setting";
    EXPECT_EQ(documented.size(), all_settings.size()) << "every setting has its line in the sample";
}
} // namespace
