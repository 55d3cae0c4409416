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

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_value_text: %s\n", what);
    std::abort();
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

bool blank(Char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The rule read plainly: blanks around, an optional minus, then only digits, at most
// 2147483647 once leading zeros are gone. Also gives the digits as they should print.
std::optional<std::int32_t> expected_value(const String& text, std::string& printed) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    const bool negative = begin < end && text[begin] == '-';
    begin += negative ? 1 : 0;
    if (begin == end) {
        return std::nullopt;
    }
    std::string digits;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        if (!digits.empty() || text[i] != '0') {
            digits.push_back(static_cast<char>(text[i]));
        }
    }
    if (digits.size() > 10 || (digits.size() == 10 && digits > "2147483647")) {
        return std::nullopt;
    }
    if (digits.empty()) {
        digits = "0";
    }
    printed = (negative && digits != "0" ? "-" : "") + digits;
    const long long magnitude = std::stoll(digits);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string narrow(const String& text) {
    std::string out;
    for (Char c : text) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

LinearColor color(FuzzedDataProvider& in) {
    auto channel = [&] { return static_cast<float>(in.ConsumeIntegral<std::uint8_t>()) / 255.0f; };
    return {channel(), channel(), channel(), channel()};
}

bool same(const LinearColor& a, const LinearColor& b) {
    return a.R == b.R && a.G == b.G && a.B == b.B && a.A == b.A;
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

    if (has_appended_value(shown) != (shown.find(Char('(')) != String::npos)) {
        fail("has_appended_value disagrees with a search for \"(\"");
    }
    std::string printed;
    const std::optional<std::int32_t> expected = expected_value(shown, printed);
    const std::optional<std::int32_t> parsed = parse_shown_value(shown);
    if (parsed != expected) {
        fail("parse_shown_value disagrees with the plain reading of the rule");
    }
    if (parsed && narrow(to_text(*parsed)) != printed) {
        fail("a parsed value does not print back to its digits");
    }

    const std::int32_t shown_base = display_base(base, percent);
    if (base <= 0 && shown_base != base) {
        fail("a base of 0 or less is not shown as it is");
    }
    if (base > 0 && percent >= 0 && percent <= 10000) {
        const long long scaled = static_cast<long long>(base) * percent / 100;
        const long long limit = std::numeric_limits<std::int32_t>::max();
        if (shown_base != (scaled > limit ? limit : scaled)) {
            fail("display_base is not base times percent over 100, capped");
        }
    }

    const String text = build_value_text(shown, shown_base);
    if (text != shown + STR(" (") + to_text(shown_base) + STR(")")) {
        fail("the value text is not the shown text, a blank and the value in parentheses");
    }
    if (!has_appended_value(text) || parse_shown_value(text)) {
        fail("a value text could be extended again");
    }

    const std::int32_t observed = parsed.value_or(base);
    const std::int32_t distance = heatmap_distance(observed, shown_base);
    if (distance < 0) {
        fail("a negative distance");
    }
    const long long d = std::llabs(static_cast<long long>(observed) - shown_base);
    const long long b = std::max(std::llabs(static_cast<long long>(shown_base)), 1LL);
    if (d < (1 << 20) && b < (1 << 20) && distance != (200 * d + b) / (2 * b)) {
        fail("the distance is not the per cent of the value, rounded half up");
    }

    const TradeSide side = static_cast<TradeSide>(side_byte % 4 == 3 ? 7 : side_byte % 4);
    const LinearColor c = heatmap_color(config, side, observed, shown_base, distance);
    for (float channel : {c.R, c.G, c.B, c.A}) {
        if (!std::isfinite(channel) || channel < -1e-6f || channel > 1.0f + 1e-6f) {
            fail("a colour channel outside 0..1");
        }
    }
    if (config.HeatmapMode == HeatmapColorMode::Neutral && distance == 0 &&
        !same(c, config.HeatmapNearColor)) {
        fail("no distance is not exactly the near colour");
    }
    if (config.HeatmapMode == HeatmapColorMode::Directional && side == TradeSide::Sell &&
        observed == 0 && !same(c, config.HeatmapZeroColor)) {
        fail("a sale at 0 is not the zero colour");
    }
    if (config.HeatmapMode == HeatmapColorMode::Directional && side == TradeSide::Buy &&
        observed == shown_base && !same(c, config.HeatmapNeutralColor)) {
        fail("a purchase at the value is not the neutral colour");
    }
    return 0;
}
