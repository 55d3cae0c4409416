// Colours as the mod hands them over and as the player sees them. The mod gives the game
// FLinearColor components (byte / 255), and the game takes them as linear light: it encodes each
// with the sRGB transfer function when it draws, so a code looks lighter on screen than in a
// colour picker. The inverse gives the code to write for a wanted on-screen colour.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "config/settings.hpp"

namespace sim {
using Rgba = std::array<float, 4>;

Rgba rgba(const tallyglass::LinearColor& color);

// The setting's colour in `config`, when it is a colour setting.
std::optional<Rgba> color_setting(const tallyglass::Config& config,
                                  const tallyglass::Setting& setting);

// What the game draws for the mod's colour; alpha stays as it is.
Rgba on_screen(const Rgba& linear);

// The code to write for a colour to appear as `wanted` on screen: per channel the byte whose
// on-screen value comes nearest (dark shades cannot all be met exactly).
Rgba code_for_screen(const Rgba& wanted);

// 0 to 255, rounded.
int channel_byte(float value);

// "#RRGGBB", or "#RRGGBBAA" when alpha is below 1.
std::string hex_color(const Rgba& color);
} // namespace sim
