#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "host/text.hpp"

namespace {
using namespace tallyglass;

TEST(Text, DecimalNumbers) {
    struct Case {
        std::int64_t value;
        const Char* text;
    };
    const Case cases[] = {
        {0, STR("0")},
        {7, STR("7")},
        {-40, STR("-40")},
        {2147483647, STR("2147483647")},
        {std::numeric_limits<std::int32_t>::min(), STR("-2147483648")},
        {std::numeric_limits<std::int64_t>::min(), STR("-9223372036854775808")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_text(c.value), String(c.text)) << "value " << c.value;
    }
}

TEST(Text, WidenMessageTakesEachByteAsSignedChar) {
    String wide = widen_message("a\xE9z");
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[0], Char('a'));
    EXPECT_EQ(static_cast<std::uint32_t>(wide[1]), 0xFFE9u);
    EXPECT_EQ(wide[2], Char('z'));
    EXPECT_TRUE(widen_message(nullptr).empty());
}

// Every boundary where the encoding changes length, both surrogate ranges' ends, and repairs.
TEST(Text, Utf8AndUtf16) {
    struct Case {
        const char* utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"plain", u"plain"},
        {"\x7F", u"\x7F"},
        {"\xC2\x80", u"\x80"},
        {"\xDF\xBF", u"\u07FF"},
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\uE000"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"}, // every bit of the middle bytes counts
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const auto& c : cases) {
        const String wide(c.utf16.begin(), c.utf16.end());
        EXPECT_EQ(from_utf8(c.utf8), wide) << c.utf8;
        EXPECT_EQ(to_utf8(wide), c.utf8) << c.utf8;
    }
    const std::string bad = "\xEF\xBF\xBD";
    const std::pair<const char*, std::string> repaired[] = {
        {"a\xFF"
         "b",
         "a" + bad + "b"},
        {"\xC0\x80", bad + bad},                     // overlong
        {"\xED\xA0\x80", bad + bad + bad},           // an encoded surrogate
        {"\xF4\x90\x80\x80", bad + bad + bad + bad}, // above U+10FFFF
        {"\xE2\x82", bad + bad},                     // cut short
    };
    for (const auto& [in, out] : repaired) {
        EXPECT_EQ(to_utf8(from_utf8(in)), out) << in;
    }
    for (char16_t lone : {u'\xD800', u'\xDBFF', u'\xDC00', u'\xDFFF'}) {
        EXPECT_EQ(to_utf8(String{static_cast<Char>(lone), STR('x')}), bad + "x")
            << static_cast<int>(lone);
        EXPECT_EQ(to_utf8(String{STR('x'), static_cast<Char>(lone)}), "x" + bad)
            << static_cast<int>(lone);
    }
}
} // namespace
