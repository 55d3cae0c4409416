#include "check_ini.hpp"

#include <algorithm>
#include <map>
#include <ostream>
#include <string>

#include "color.hpp"
#include "config/settings.hpp"
#include "encoding.hpp"
#include "game/limits.hpp"
#include "ini_hints.hpp"
#include "printable.hpp"

namespace sim {
namespace {
using tallyglass::LineKind;
using tallyglass::LineOutcome;
using tallyglass::trim;

constexpr std::string_view bom = "\xEF\xBB\xBF";

// Appended, not added: GCC 12 warns falsely (-Wrestrict) on "\"" + string at -O3.
std::string quoted(std::string_view text) {
    std::string out(1, '"');
    out += printable(text);
    out += '"';
    return out;
}

class Checker {
public:
    Checker(std::ostream& output, std::string_view file) : out(output), text(file) {}
    int run();

private:
    void line(std::string_view raw, const LineOutcome& outcome);
    void no_equals(std::string_view meant);
    void unknown_key(std::string_view meant, const LineOutcome& outcome);
    void key_line(const LineOutcome& outcome);
    void problem(const std::string& verdict, const std::string& why);
    void colours();
    int finish();

    std::ostream& out;
    std::string_view text;
    tallyglass::Config config;
    int problems = 0;
    int number = 0;
    std::map<std::string_view, int> set_on_line;
};

void Checker::problem(const std::string& verdict, const std::string& why) {
    ++problems;
    out << "line " << number << ": problem: " << verdict << "\n";
    if (!why.empty()) {
        out << "    " << why << "\n";
    }
}

int Checker::run() {
    if (text.size() > tallyglass::limits::max_settings_bytes) {
        ++problems;
        out << "problem: the file holds " << text.size() << " bytes, more than the "
            << tallyglass::limits::max_settings_bytes
            << " the mod reads: it reads none of it and uses its defaults.\n"
               "    A settings file is a few kilobytes; keep only the settings in it.\n";
        return finish();
    }
    if (looks_like_utf16(text)) {
        tallyglass::apply_config_text(text, config);
        ++problems;
        out << "problem: the file is saved as " << utf16_name
            << ": each character takes two bytes, and the mod, which reads plain bytes, finds "
               "none of its settings in it.\n    "
            << save_as_utf8 << "\n";
        return finish();
    }
    if (text.starts_with(bom)) {
        out << "note: the file starts with a UTF-8 byte-order mark (" << printable(bom)
            << "), as editors save \"UTF-8 with BOM\"; the mod does not skip it, so it reads it "
               "as part of line 1.\n";
    }
    // On Windows the mod reads the file in text mode, where Ctrl-Z ends it.
    const auto end = text.find('\x1A');
    tallyglass::apply_config_text(
        text.substr(0, end), config,
        [&](std::string_view raw, const LineOutcome& outcome) { line(raw, outcome); });
    if (end != std::string_view::npos) {
        const std::string_view before = text.substr(0, end);
        number = static_cast<int>(std::count(before.begin(), before.end(), '\n')) + 1;
        if (trim(text.substr(end + 1)).empty()) {
            out << "line " << number << ": a Ctrl-Z byte (\\x1A) ends the file on Windows\n";
        } else {
            problem("a Ctrl-Z byte (\\x1A): on Windows the mod stops reading the file here",
                    "Nothing after it is read. Remove the byte.");
        }
    }
    return finish();
}

void Checker::line(std::string_view raw, const LineOutcome& outcome) {
    ++number;
    const std::string_view meant =
        number == 1 && raw.starts_with(bom) ? raw.substr(bom.size()) : raw;
    if (trim(raw).find('\r') != std::string_view::npos) {
        problem("a carriage return inside the line " + quoted(trim(raw)),
                "The mod splits lines at line feeds only: save the file with Windows (CRLF) or "
                "Unix (LF) line endings, not old Mac ones (CR).");
        return;
    }
    switch (outcome.kind) {
    case LineKind::Blank:
        out << "line " << number << ": blank\n";
        return;
    case LineKind::Comment:
        out << "line " << number << ": comment\n";
        return;
    case LineKind::NoEquals:
        no_equals(meant);
        return;
    case LineKind::UnknownKey:
        unknown_key(meant, outcome);
        return;
    default:
        key_line(outcome);
    }
}

void Checker::no_equals(std::string_view meant) {
    const std::string_view shown = trim(meant);
    if (shown.empty() || shown.front() == ';' || shown.front() == '#') {
        out << "line " << number << ": " << (shown.empty() ? "blank" : "comment") << "\n";
    } else if (shown.front() == '[') {
        out << "line " << number << ": section " << printable(shown)
            << " (sections have no meaning)\n";
    } else {
        const std::string_view key = shown.substr(0, shown.find_first_of(" \t:"));
        const auto* setting = tallyglass::find_setting_by_key(key);
        std::string value(trim(shown.substr(key.size())));
        value.erase(0, value.starts_with(':') ? 1 : 0);
        problem("no \"=\" in " + quoted(shown) + ": the mod ignores the line",
                setting ? "Write it as \"" + printable(key) + " = " + printable(trim(value)) + "\"."
                        : "A setting takes the form Key = Value.");
    }
}

void Checker::unknown_key(std::string_view meant, const LineOutcome& outcome) {
    const std::string verdict = "unknown key " + quoted(outcome.key) + ": the mod ignores the line";
    if (number == 1 && text.starts_with(bom)) {
        const std::string_view key = trim(meant.substr(0, meant.find('=')));
        if (const auto* setting = tallyglass::find_setting_by_key(key)) {
            problem(verdict,
                    "The byte-order mark at the start of the file makes it part of the key, "
                    "so the mod does not recognise " +
                        std::string(setting->name) +
                        ". Save the file as \"UTF-8\" (without BOM), or begin it with a "
                        "comment line.");
            return;
        }
    }
    const auto* near = near_setting(outcome.key);
    problem(verdict, near ? "Did you mean " + std::string(near->name) + "?" : "");
}

void Checker::key_line(const LineOutcome& outcome) {
    const auto* setting = tallyglass::find_setting(outcome.field);
    const auto colour = color_setting(config, *setting);
    const std::string now =
        colour ? hex_color(*colour) : tallyglass::setting_text(config, *setting);
    const auto comment = comment_at(outcome.value);
    std::string comment_note;
    if (comment != std::string_view::npos) {
        const std::string_view before = trim(outcome.value.substr(0, comment));
        comment_note = "The mod takes a comment after a value as part of the value; put comments "
                       "on lines of their own and write \"" +
                       printable(outcome.key) + " = " + printable(before) + "\".";
    }
    if (outcome.kind == LineKind::Rejected) {
        problem("value " + quoted(outcome.value) + " not understood for " +
                    std::string(outcome.field) + "; it stays " + now,
                comment_note.empty() ? "Expected " + expected_words(*setting) + "." : comment_note);
        return;
    }
    std::string verdict = "applied " + std::string(outcome.field) + " = " + now;
    if (outcome.key != outcome.field) {
        verdict += " (key \"" + printable(outcome.key) + "\")";
    }
    auto previous = set_on_line.find(outcome.field);
    if (previous != set_on_line.end()) {
        verdict += "; replaces line " + std::to_string(previous->second);
    }
    set_on_line[outcome.field] = number;
    const auto* percent = std::get_if<std::int32_t tallyglass::Config::*>(&setting->field);
    if (percent && clamped_percent(outcome.value, config.**percent)) {
        problem(verdict + ", not " + quoted(outcome.value),
                "The mod takes numbers up to " + std::to_string(tallyglass::max_percent) +
                    " and reads anything larger as " + std::to_string(tallyglass::max_percent) +
                    "." + (comment_note.empty() ? "" : " " + comment_note));
    } else if (!comment_note.empty()) {
        problem(verdict, comment_note);
    } else {
        out << "line " << number << ": " << verdict << "\n";
    }
}

void Checker::colours() {
    out << "colours: the game takes the mod's colours as linear light and draws them lighter than "
           "a colour picker shows the same code\n";
    for (const auto& setting : tallyglass::all_settings) {
        const auto colour = color_setting(config, setting);
        if (!colour) {
            continue;
        }
        const Rgba code = *colour;
        const Rgba write = code_for_screen(code);
        out << "  " << setting.name << std::string(22 - setting.name.size(), ' ') << hex_color(code)
            << " shows as " << hex_color(on_screen(code)) << "; to show " << hex_color(code)
            << ", write " << hex_color(write);
        if (hex_color(on_screen(write)) != hex_color(code)) {
            out << " (shows as " << hex_color(on_screen(write)) << ", the nearest)";
        }
        out << "\n";
    }
}

int Checker::finish() {
    out << "settings in force: " << tallyglass::to_utf8(tallyglass::config_summary(config)) << "\n";
    colours();
    if (problems == 0) {
        out << "no problems: the mod reads every line as written\n";
        return 0;
    }
    out << problems << (problems == 1 ? " problem" : " problems")
        << ": the mod will not do what those lines say\n";
    return 1;
}
} // namespace

int check_ini(std::ostream& out, std::string_view text) {
    return Checker(out, text).run();
}
} // namespace sim
