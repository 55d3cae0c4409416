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

TEST(Text, Utf8RoundTripAndRepair) {
    const std::string samples[] = {"plain", "caf\xC3\xA9", "\xE2\x82\xAC 5", "\xF0\x9F\x92\xB0"};
    for (const auto& s : samples) {
        EXPECT_EQ(to_utf8(from_utf8(s)), s) << s;
    }
    EXPECT_EQ(from_utf8("\xF0\x9F\x92\xB0").size(), 2u) << "outside the BMP needs a pair";
    EXPECT_EQ(to_utf8(from_utf8("a\xFF"
                                "b")),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(to_utf8(from_utf8("\xC0\x80")), "\xEF\xBF\xBD\xEF\xBF\xBD") << "overlong";
    String lone{static_cast<Char>(0xD800)};
    EXPECT_EQ(to_utf8(lone), "\xEF\xBF\xBD");
}
} // namespace
