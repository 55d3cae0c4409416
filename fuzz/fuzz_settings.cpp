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

#include "config/config.hpp"
#include "config/config_file.hpp"

namespace {
using namespace tallyglass;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_settings: %s\n", what);
    std::abort();
}

bool within(std::string_view part, std::string_view whole) {
    return part.empty() || (part.data() >= whole.data() &&
                            part.data() + part.size() <= whole.data() + whole.size());
}

bool plausible(const LinearColor& c) {
    for (float channel : {c.R, c.G, c.B, c.A}) {
        if (!std::isfinite(channel) || channel < 0.0f || channel > 1.0f) {
            return false;
        }
    }
    return true;
}

void check_ranges(const Config& c) {
    // The representation itself: a stray byte in a flag would be undefined to read as bool.
    auto is_bool = [](const bool* flag) {
        unsigned char byte;
        std::memcpy(&byte, flag, 1);
        return byte <= 1;
    };
    if (!is_bool(&c.Enabled) || !is_bool(&c.ProbeValues) || !is_bool(&c.DebugLogging) ||
        !is_bool(&c.HeatmapEnabled)) {
        fail("a flag holds neither true nor false");
    }
    if (c.DisplayMode != ValueDisplayMode::Off &&
        c.DisplayMode != ValueDisplayMode::ValueTextAppend) {
        fail("DisplayMode out of range");
    }
    if (c.HeatmapMode != HeatmapColorMode::Neutral &&
        c.HeatmapMode != HeatmapColorMode::Directional) {
        fail("HeatmapMode out of range");
    }
    if (c.BaseValuePercent < 0 || c.BaseValuePercent > 10000 || c.HeatmapMaxDistancePercent < 0 ||
        c.HeatmapMaxDistancePercent > 10000) {
        fail("a percentage out of 0..10000");
    }
    for (const LinearColor* color :
         {&c.HeatmapNearColor, &c.HeatmapFarColor, &c.HeatmapGoodColor, &c.HeatmapBadColor,
          &c.HeatmapNeutralColor, &c.HeatmapZeroColor}) {
        if (!plausible(*color)) {
            fail("a colour channel out of 0..1");
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
        if (!within(line, text) || !within(outcome.key, line) || !within(outcome.value, line)) {
            fail("a line outcome points outside its line");
        }
        const bool names_field =
            outcome.kind == LineKind::Applied || outcome.kind == LineKind::Rejected;
        if (names_field == outcome.field.empty()) {
            fail("a field is named exactly when a key was known");
        }
        if (names_field && setting_text(from_memory, outcome.field).empty()) {
            fail("a known field has no text");
        }
    });
    check_ranges(from_memory);
    (void)config_summary(from_memory);

    // The lines only ever set fields to their last readable value, so a second pass changes
    // nothing.
    Config twice = from_memory;
    apply_config_text(text, twice);
    if (!(twice == from_memory)) {
        fail("applying the same settings twice changed them");
    }

    {
        std::error_code ignored;
        std::filesystem::remove(scratch_file(), ignored);
        std::ofstream out(scratch_file(), std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    Config from_file;
    if (!read_config_file(from_utf8(scratch_file().string()), from_file)) {
        fail("the settings file could not be read back");
    }
    if (!(from_file == from_memory)) {
        fail("the file reader and the lines applied from memory disagree");
    }
    return 0;
}
