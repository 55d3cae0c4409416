// 16-bit text of the mod, and the few conversions its pure code needs. Matches the host's
// CharType without depending on the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#ifdef _WIN32
#ifndef STR
#define STR(str) L##str
#endif
#else
#ifndef STR
#define STR(str) u##str
#endif
#endif

namespace tallyglass {
#ifdef _WIN32
using Char = wchar_t;
#else
using Char = char16_t;
#endif
using String = std::basic_string<Char>;
using StringView = std::basic_string_view<Char>;

// Plain decimal, with a leading "-" when negative.
String to_text(std::int64_t value);
void append_text(String& out, std::int64_t value);
inline const Char* flag_text(bool flag) {
    return flag ? STR("true") : STR("false");
}

// An exception's narrow message as wide text: one code unit per byte, taken as a signed char.
String widen_message(const char* message);

// UTF-8 and UTF-16; malformed input becomes U+FFFD.
String from_utf8(std::string_view text);
std::string to_utf8(StringView text);
} // namespace tallyglass
