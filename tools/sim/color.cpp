#include "color.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sim {
namespace {
// The piecewise sRGB curve, as the engine applies it when it turns linear colour into bytes.
float encode(float linear) {
    double x = std::clamp(static_cast<double>(linear), 0.0, 1.0);
    double out = x <= 0.0031308 ? x * 12.92 : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
    return static_cast<float>(out);
}

float decode(float shown) {
    double x = std::clamp(static_cast<double>(shown), 0.0, 1.0);
    double out = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    return static_cast<float>(out);
}

int shown_byte(int code) {
    return channel_byte(encode(static_cast<float>(code) / 255.0f));
}

// The decoded byte, unless another code shows nearer the wanted byte: near black several codes
// show as one byte and some bytes are shown by no code.
int closest_code(float wanted) {
    const int target = channel_byte(wanted);
    int best = channel_byte(decode(wanted));
    for (int code = 0; code < 256; ++code) {
        if (std::abs(shown_byte(code) - target) < std::abs(shown_byte(best) - target)) {
            best = code;
        }
    }
    return best;
}

} // namespace

Rgba rgba(const tallyglass::LinearColor& color) {
    return {color.R, color.G, color.B, color.A};
}

std::optional<Rgba> color_setting(const tallyglass::Config& config,
                                  const tallyglass::Setting& setting) {
    using Field = tallyglass::LinearColor tallyglass::Config::*;
    const auto* field = std::get_if<Field>(&setting.field);
    return field ? std::optional<Rgba>(rgba(config.**field)) : std::nullopt;
}

Rgba on_screen(const Rgba& linear) {
    return {encode(linear[0]), encode(linear[1]), encode(linear[2]), linear[3]};
}

Rgba code_for_screen(const Rgba& wanted) {
    Rgba out = wanted;
    for (std::size_t i = 0; i < 3; ++i) {
        out[i] = static_cast<float>(closest_code(wanted[i])) / 255.0f;
    }
    return out;
}

int channel_byte(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    double clamped = std::clamp(static_cast<double>(value), 0.0, 1.0);
    return static_cast<int>(std::lround(clamped * 255.0));
}

std::string hex_color(const Rgba& color) {
    char buffer[16];
    if (channel_byte(color[3]) == 255) {
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", channel_byte(color[0]),
                      channel_byte(color[1]), channel_byte(color[2]));
    } else {
        std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X%02X", channel_byte(color[0]),
                      channel_byte(color[1]), channel_byte(color[2]), channel_byte(color[3]));
    }
    return buffer;
}
} // namespace sim
