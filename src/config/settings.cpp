#include "config/settings.hpp"

#include <cstdio>

namespace tallyglass {
namespace {
using enum StartupShow;

std::string color_text(const LinearColor& color) {
    char buffer[256]; // room for four channels of any float
    std::snprintf(buffer, sizeof buffer, "(%.3f, %.3f, %.3f, %.3f)", static_cast<double>(color.R),
                  static_cast<double>(color.G), static_cast<double>(color.B),
                  static_cast<double>(color.A));
    return buffer;
}

std::string value_text(bool value) {
    return value ? "true" : "false";
}
std::string value_text(std::int32_t value) {
    return std::to_string(value);
}
std::string value_text(ValueDisplayMode mode) {
    return to_utf8(display_mode_name(mode));
}
std::string value_text(HeatmapColorMode mode) {
    return to_utf8(heatmap_mode_name(mode));
}
std::string value_text(const LinearColor& color) {
    return color_text(color);
}

// Parses the value by the field's type; false when the text was not understood and the field
// kept its value.
bool apply_value(const Setting& setting, std::string_view value, Config& config) {
    return std::visit(
        [&](auto field) {
            auto parsed = read_value<std::remove_reference_t<decltype(config.*field)>>(value);
            if (parsed) {
                config.*field = *parsed;
            }
            return parsed.has_value();
        },
        setting.field);
}
} // namespace

const std::array<Setting, 14> all_settings{{
    {"Enabled", &Config::Enabled, {"enabled"}, Always},
    {"ProbeValues", &Config::ProbeValues, {"probevalues"}, WithDiagnostics},
    {"DebugLogging", &Config::DebugLogging, {"debuglogging", "debug"}, WithDiagnostics},
    {"DisplayMode", &Config::DisplayMode, {"displaymode"}, Always},
    {"BaseValuePercent",
     &Config::BaseValuePercent,
     {"basevaluepercent", "basevaluepercentage", "globalbasevaluepercent",
      "globalbasevaluepercentage"},
     Always},
    {"HeatmapEnabled", &Config::HeatmapEnabled, {"heatmapenabled", "heatmap"}, Always},
    {"HeatmapMode", &Config::HeatmapMode, {"heatmapmode"}, Always},
    {"HeatmapMaxDistancePercent",
     &Config::HeatmapMaxDistancePercent,
     {"heatmapmaxdistancepercent", "heatmapmaxdistancepercentage"},
     Always},
    {"HeatmapNearColor", &Config::HeatmapNearColor, {"heatmapnearcolor"}, Never},
    {"HeatmapFarColor", &Config::HeatmapFarColor, {"heatmapfarcolor", "heatmapaccentcolor"}, Never},
    {"HeatmapGoodColor",
     &Config::HeatmapGoodColor,
     {"heatmapgoodcolor", "heatmapgreencolor"},
     Never},
    {"HeatmapBadColor", &Config::HeatmapBadColor, {"heatmapbadcolor", "heatmapredcolor"}, Never},
    {"HeatmapNeutralColor",
     &Config::HeatmapNeutralColor,
     {"heatmapneutralcolor", "heatmapdirectionalneutralcolor", "heatmapwhitecolor"},
     Never},
    {"HeatmapZeroColor",
     &Config::HeatmapZeroColor,
     {"heatmapzerocolor", "heatmapgreycolor", "heatmapgraycolor"},
     Never},
}};

const Setting* find_setting_by_key(std::string_view key) {
    for (const auto& setting : all_settings) {
        for (std::string_view spelling : setting.keys) {
            if (!spelling.empty() && same_letters(key, spelling)) {
                return &setting;
            }
        }
    }
    return nullptr;
}

const Setting* find_setting(std::string_view name) {
    for (const auto& setting : all_settings) {
        if (setting.name == name) {
            return &setting;
        }
    }
    return nullptr;
}

std::string setting_text(const Config& config, const Setting& setting) {
    return std::visit([&](auto field) { return value_text(config.*field); }, setting.field);
}

std::string setting_text(const Config& config, std::string_view name) {
    const Setting* setting = find_setting(name);
    return setting ? setting_text(config, *setting) : std::string();
}

LineOutcome apply_config_line(std::string_view line, Config& config) {
    line = trim(line);
    if (line.empty()) {
        return {LineKind::Blank, {}, {}, {}};
    }
    if (line.front() == ';' || line.front() == '#') {
        return {LineKind::Comment, {}, {}, {}};
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {LineKind::NoEquals, {}, {}, {}};
    }
    const std::string_view key = trim(line.substr(0, equals));
    const std::string_view value = trim(line.substr(equals + 1));
    const Setting* setting = find_setting_by_key(key);
    if (!setting) {
        return {LineKind::UnknownKey, key, value, {}};
    }
    const bool applied = apply_value(*setting, value, config);
    return {applied ? LineKind::Applied : LineKind::Rejected, key, value, setting->name};
}

void apply_config_text(std::string_view text, Config& config, const LineObserver& observe) {
    for_each_line(text, [&](std::string_view line) {
        const LineOutcome outcome = apply_config_line(line, config);
        if (observe) {
            observe(line, outcome);
        }
    });
}

const Char* display_mode_name(ValueDisplayMode mode) {
    return mode == ValueDisplayMode::ValueTextAppend ? STR("ValueTextAppend") : STR("Off");
}

const Char* heatmap_mode_name(HeatmapColorMode mode) {
    return mode == HeatmapColorMode::Directional ? STR("Directional") : STR("Neutral");
}

String config_summary(const Config& config) {
    std::string out;
    auto show = [&](StartupShow which) {
        for (const auto& setting : all_settings) {
            if (setting.startup == which) {
                out += out.empty() ? "" : ", ";
                out += std::string(setting.name) + "=" + setting_text(config, setting);
            }
        }
    };
    show(Always);
    if (config.ProbeValues || config.DebugLogging) {
        show(WithDiagnostics);
    }
    return from_utf8(out);
}
} // namespace tallyglass
