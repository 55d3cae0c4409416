// The settings loader on arbitrary bytes: the file reader on a real file, and the same lines
// applied from memory, which must agree; every field stays within its range.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "config/settings.hpp"
#include "config/settings_file.hpp"
#include "game/limits.hpp"

namespace {
using namespace tallyglass;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_settings: %s\n", what);
        std::abort();
    }
}

bool within(std::string_view part, std::string_view whole) {
    return part.empty() || (part.data() >= whole.data() &&
                            part.data() + part.size() <= whole.data() + whole.size());
}

bool in_range(std::int32_t percent) {
    return percent >= 0 && percent <= 10000;
}

void check_ranges(const Config& c) {
    // The representation itself: a stray byte in a flag would be undefined to read as bool.
    for (const bool* flag : {&c.Enabled, &c.ProbeValues, &c.DebugLogging, &c.HeatmapEnabled}) {
        unsigned char byte;
        std::memcpy(&byte, flag, 1);
        check(byte <= 1, "a flag holds neither true nor false");
    }
    check(c.DisplayMode == ValueDisplayMode::Off ||
              c.DisplayMode == ValueDisplayMode::ValueTextAppend,
          "DisplayMode out of range");
    check(c.HeatmapMode == HeatmapColorMode::Neutral ||
              c.HeatmapMode == HeatmapColorMode::Directional,
          "HeatmapMode out of range");
    check(in_range(c.BaseValuePercent) && in_range(c.HeatmapMaxDistancePercent),
          "a percentage out of 0..10000");
    for (const LinearColor& color :
         {c.HeatmapNearColor, c.HeatmapFarColor, c.HeatmapGoodColor, c.HeatmapBadColor,
          c.HeatmapNeutralColor, c.HeatmapZeroColor}) {
        for (float channel : {color.R, color.G, color.B, color.A}) {
            check(std::isfinite(channel) && channel >= 0.0f && channel <= 1.0f,
                  "a colour channel out of 0..1");
        }
    }
}

// One file per process, so that parallel fuzzing jobs do not share it; in memory where the
// system offers it, as a file rewritten in place is flushed to disk on every close.
const std::filesystem::path& scratch_file() {
    static const std::filesystem::path path = [] {
        std::error_code error;
        std::filesystem::path folder = "/dev/shm";
        if (!std::filesystem::is_directory(folder, error)) {
            folder = std::filesystem::temp_directory_path();
        }
        return folder / ("tallyglass-fuzz-settings-" + std::to_string(::getpid()) + ".ini");
    }();
    static const struct Cleanup {
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    } cleanup;
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Config from_memory;
    apply_config_text(text, from_memory, [&](std::string_view line, const LineOutcome& outcome) {
        check(within(line, text) && within(outcome.key, line) && within(outcome.value, line),
              "a line outcome points outside its line");
        const bool names_field =
            outcome.kind == LineKind::Applied || outcome.kind == LineKind::Rejected;
        check(names_field != outcome.field.empty(),
              "a field is named exactly when a key was known");
        check(!names_field || !setting_text(from_memory, outcome.field).empty(),
              "a known field has no text");
    });
    check_ranges(from_memory);
    (void)config_summary(from_memory);

    // The lines only ever set fields to their last readable value, so a second pass changes
    // nothing.
    Config twice = from_memory;
    apply_config_text(text, twice);
    check(twice == from_memory, "applying the same settings twice changed them");

    {
        std::error_code ignored;
        std::filesystem::remove(scratch_file(), ignored);
        std::ofstream out(scratch_file(), std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const SettingsRead from_file = read_settings_file(from_utf8(scratch_file().string()));
    const bool too_large = text.size() > limits::max_settings_bytes;
    check(from_file.fallback == (too_large ? SettingsFallback::TooLarge : SettingsFallback::None),
          "the settings file could not be read back");
    check(from_file.config == (too_large ? Config{} : from_memory),
          "the file reader and the lines applied from memory disagree");
    return 0;
}
