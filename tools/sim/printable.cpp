#include "printable.hpp"

#include <cstdint>
#include <utility>

namespace sim {
namespace {
// The length of the well-formed UTF-8 sequence at the start of `text` and its code point, or 0.
std::size_t utf8_sequence(std::string_view text, char32_t& code_point) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    code_point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code_point = (code_point << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are no UTF-8.
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code_point < smallest[length] || (code_point >= 0xD800 && code_point < 0xE000) ||
        code_point > 0x10FFFF) {
        return 0;
    }
    return length;
}

// Controls, and the marks and spaces that look like nothing or like a plain blank.
bool invisible(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || c == 0x034F || c == 0x180E ||
           (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF ||
           (c >= 0xFFF9 && c <= 0xFFFB);
}

// Unicode's East Asian Wide and Fullwidth blocks, and the emoji shown two columns wide.
bool wide(char32_t c) {
    constexpr std::pair<char32_t, char32_t> ranges[] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    for (const auto& [first, last] : ranges) {
        if (c >= first && c <= last) {
            return true;
        }
    }
    return false;
}

bool combining(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

void escape_byte(std::string& out, char byte) {
    constexpr char digits[] = "0123456789ABCDEF";
    const auto value = static_cast<unsigned char>(byte);
    out += "\\x";
    out += digits[value >> 4];
    out += digits[value & 0xF];
}
} // namespace

std::string printable(std::string_view bytes) {
    std::string out;
    while (!bytes.empty()) {
        char32_t code_point = 0;
        std::size_t length = utf8_sequence(bytes, code_point);
        if (length == 0) {
            escape_byte(out, bytes[0]);
            length = 1;
        } else if (invisible(code_point)) {
            for (std::size_t i = 0; i < length; ++i) {
                escape_byte(out, bytes[i]);
            }
        } else if (code_point == '\\') {
            out += "\\\\";
        } else {
            out.append(bytes.substr(0, length));
        }
        bytes.remove_prefix(length);
    }
    return out;
}

std::size_t display_width(std::string_view text) {
    std::size_t width = 0;
    while (!text.empty()) {
        char32_t code_point = 0;
        const std::size_t length = utf8_sequence(text, code_point);
        width += length == 0 ? 1 : wide(code_point) ? 2 : combining(code_point) ? 0 : 1;
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return width;
}
} // namespace sim
