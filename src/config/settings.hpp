// The settings of Tallyglass.ini: one table with an entry per setting (its field, its keys, how
// the start-up line shows it), from which the loader, the start-up line and the checker work.
// Pure: no host, no file system.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <variant>

#include "config/config.hpp"
#include "host/text.hpp"

namespace tallyglass {
// Where a setting appears in the start-up line: always, only when diagnostics are on (then after
// the others), or never.
enum class StartupShow { Always, WithDiagnostics, Never };

// The field a setting stores into; its type decides how the value reads and prints.
using SettingField =
    std::variant<bool Config::*, std::int32_t Config::*, ValueDisplayMode Config::*,
                 HeatmapColorMode Config::*, LinearColor Config::*>;

struct Setting {
    std::string_view name; // the field's name, as the start-up line and the checker print it
    SettingField field;
    std::array<std::string_view, 4> keys; // as they compare after lower-casing; unused ones empty
    StartupShow startup;
};

// In the order of Config's fields.
extern const std::array<Setting, 14> all_settings;

// By a key as written in the file (case does not matter for A to Z), or by the field's name.
const Setting* find_setting_by_key(std::string_view key);
const Setting* find_setting(std::string_view name);

// The setting's value in `config` as text: "true", "75", "Directional",
// "(1.000, 0.000, 0.000, 1.000)"; empty for a name that is no setting.
std::string setting_text(const Config& config, const Setting& setting);
std::string setting_text(const Config& config, std::string_view name);

// Calls `use` with each line of `text`, split at line feeds; the last line needs none.
template <class Use> void for_each_line(std::string_view text, Use&& use) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        use(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

// What the loader made of one line of the settings file.
enum class LineKind {
    Blank,
    Comment,
    NoEquals, // section headers and any other line without "="
    UnknownKey,
    Applied,
    Rejected, // the value did not parse; the field kept its value
};
struct LineOutcome {
    LineKind kind;
    std::string_view key;   // trimmed, as written (not lower-cased)
    std::string_view value; // trimmed
    std::string_view field; // the setting the key names, e.g. "BaseValuePercent"; else empty
};
LineOutcome apply_config_line(std::string_view line, Config& config);

// Applies every line of a whole file's bytes; `observe`, when given, sees each line with what
// became of it.
using LineObserver = std::function<void(std::string_view line, const LineOutcome& outcome)>;
void apply_config_text(std::string_view text, Config& config, const LineObserver& observe = {});

// The names the start-up line and the log give the two modes.
const Char* display_mode_name(ValueDisplayMode mode);
const Char* heatmap_mode_name(HeatmapColorMode mode);

// "Enabled=true, DisplayMode=..., HeatmapMaxDistancePercent=100" and, when either is on,
// ", ProbeValues=..., DebugLogging=...": the settings as the start-up line shows them.
String config_summary(const Config& config);
} // namespace tallyglass
