// The shown-number parser against a plain reading of the same rule, and the value text, scaled
// value, distance and colour it leads to.
//
// Input: from the end, the row's base, the percentage, the side, the heatmap settings and six
// colours; the bytes left at the front are the shown text, one code unit per byte, except that
// 0xFF takes the next two bytes as one code unit (little-endian).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "display/value_text.hpp"

namespace {
using namespace tallyglass;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_value_text: %s\n", what);
        std::abort();
    }
}

String decode_text(const std::vector<std::uint8_t>& bytes) {
    String out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && i + 2 < bytes.size()) {
            out.push_back(static_cast<Char>(bytes[i + 1] | (bytes[i + 2] << 8)));
            i += 2;
        } else {
            out.push_back(static_cast<Char>(bytes[i]));
        }
    }
    return out;
}

// The rule read plainly: blanks around, an optional minus, then only digits, at most
// 2147483647 once leading zeros are gone. Also gives the digits as they should print.
std::optional<std::int32_t> expected_value(const String& text, String& printed) {
    const Char* const blanks = STR(" \t\n\r");
    const std::size_t end = text.find_last_not_of(blanks) + 1; // 0 when all blank
    std::size_t begin = std::min(text.find_first_not_of(blanks), end);
    const bool negative = begin < end && text[begin] == '-';
    begin += negative ? 1 : 0;
    if (begin == end) {
        return std::nullopt;
    }
    String digits;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        if (!digits.empty() || text[i] != '0') {
            digits.push_back(text[i]);
        }
    }
    if (digits.size() > 10 || (digits.size() == 10 && digits > STR("2147483647"))) {
        return std::nullopt;
    }
    long long magnitude = 0;
    for (Char c : digits) {
        magnitude = magnitude * 10 + (c - '0');
    }
    printed = (negative && magnitude ? STR("-") : STR("")) + (digits.empty() ? STR("0") : digits);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

LinearColor color(FuzzedDataProvider& in) {
    auto channel = [&] { return static_cast<float>(in.ConsumeIntegral<std::uint8_t>()) / 255.0f; };
    return {channel(), channel(), channel(), channel()};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto base = in.ConsumeIntegral<std::int32_t>();
    const auto percent = in.ConsumeIntegral<std::int32_t>();
    const auto side_byte = in.ConsumeIntegral<std::uint8_t>();
    Config config;
    config.HeatmapMode =
        in.ConsumeBool() ? HeatmapColorMode::Directional : HeatmapColorMode::Neutral;
    config.HeatmapMaxDistancePercent = in.ConsumeIntegralInRange<std::int32_t>(0, 10000);
    config.HeatmapNearColor = color(in);
    config.HeatmapFarColor = color(in);
    config.HeatmapGoodColor = color(in);
    config.HeatmapBadColor = color(in);
    config.HeatmapNeutralColor = color(in);
    config.HeatmapZeroColor = color(in);
    const String shown = decode_text(in.ConsumeRemainingBytes<std::uint8_t>());

    check(has_appended_value(shown) == (shown.find(Char('(')) != String::npos),
          "has_appended_value disagrees with a search for \"(\"");
    String printed;
    const std::optional<std::int32_t> expected = expected_value(shown, printed);
    const std::optional<std::int32_t> parsed = parse_shown_value(shown);
    check(parsed == expected, "parse_shown_value disagrees with the plain reading of the rule");
    check(!parsed || to_text(*parsed) == printed,
          "a parsed value does not print back to its digits");

    const std::int32_t shown_base = display_base(base, percent);
    check(base > 0 || shown_base == base, "a base of 0 or less is not shown as it is");
    if (base > 0 && percent >= 0 && percent <= 10000) {
        const long long scaled = static_cast<long long>(base) * percent / 100;
        const long long limit = std::numeric_limits<std::int32_t>::max();
        check(shown_base == std::min(scaled, limit),
              "display_base is not base times percent over 100, capped");
    }

    const String text = build_value_text(shown, shown_base);
    check(text == shown + STR(" (") + to_text(shown_base) + STR(")"),
          "the value text is not the shown text, a blank and the value in parentheses");
    check(has_appended_value(text) && !parse_shown_value(text),
          "a value text could be extended again");

    const std::int32_t observed = parsed.value_or(base);
    const std::int32_t distance = heatmap_distance(observed, shown_base);
    check(distance >= 0, "a negative distance");
    const long long d = std::llabs(static_cast<long long>(observed) - shown_base);
    const long long b = std::max(std::llabs(static_cast<long long>(shown_base)), 1LL);
    check(d >= (1 << 20) || b >= (1 << 20) || distance == (200 * d + b) / (2 * b),
          "the distance is not the per cent of the value, rounded half up");

    const TradeSide side = static_cast<TradeSide>(side_byte % 4 == 3 ? 7 : side_byte % 4);
    const LinearColor c = heatmap_color(config, side, observed, shown_base, distance);
    for (float channel : {c.R, c.G, c.B, c.A}) {
        check(std::isfinite(channel) && channel >= -1e-6f && channel <= 1.0f + 1e-6f,
              "a colour channel outside 0..1");
    }
    const bool neutral = config.HeatmapMode == HeatmapColorMode::Neutral;
    check(!neutral || distance != 0 || c == config.HeatmapNearColor,
          "no distance is not exactly the near colour");
    check(neutral || side != TradeSide::Sell || observed != 0 || c == config.HeatmapZeroColor,
          "a sale at 0 is not the zero colour");
    check(neutral || side != TradeSide::Buy || observed != shown_base ||
              c == config.HeatmapNeutralColor,
          "a purchase at the value is not the neutral colour");
    return 0;
}
