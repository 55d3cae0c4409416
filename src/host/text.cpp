#include "host/text.hpp"

namespace tallyglass {
void append_text(String& out, std::int64_t value) {
    Char digits[24];
    int n = 0;
    // Work in the negative range so that the lowest value needs no special case.
    std::int64_t rest = value < 0 ? value : -value;
    do {
        digits[n++] = static_cast<Char>(STR('0') - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) {
        out.push_back(STR('-'));
    }
    while (n > 0) {
        out.push_back(digits[--n]);
    }
}

String to_text(std::int64_t value) {
    String out;
    append_text(out, value);
    return out;
}

String widen_message(const char* message) {
    String out;
    if (!message) {
        return out;
    }
    for (const char* p = message; *p; ++p) {
        // Sign-extends bytes above 0x7F, as the engine's own narrow-to-wide copy does.
        out.push_back(static_cast<Char>(static_cast<signed char>(*p)));
    }
    return out;
}

String from_utf8(std::string_view text) {
    String out;
    out.reserve(text.size());
    std::size_t i = 0;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        unsigned char lead = byte(i);
        std::uint32_t cp;
        std::size_t len;
        if (lead < 0x80) {
            cp = lead;
            len = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1Fu;
            len = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0Fu;
            len = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07u;
            len = 4;
        } else {
            out.push_back(static_cast<Char>(0xFFFD));
            ++i;
            continue;
        }
        bool ok = i + len <= text.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            ok = (byte(i + k) & 0xC0) == 0x80;
            cp = (cp << 6) | (byte(i + k) & 0x3Fu);
        }
        static constexpr std::uint32_t min_for_len[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < min_for_len[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(static_cast<Char>(0xFFFD));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<Char>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<Char>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<Char>(cp));
        }
        i += len;
    }
    return out;
}

std::string to_utf8(StringView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}
} // namespace tallyglass
