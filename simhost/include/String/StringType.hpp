// 16-bit text types of the host, as UE4SS spells them.
#pragma once

#include <string>
#include <string_view>

namespace RC {
#ifdef _WIN32
using CharType = wchar_t;
#ifndef STR
#define STR(str) L##str
#endif
#else
using CharType = char16_t;
#ifndef STR
#define STR(str) u##str
#endif
#endif
using StringType = std::basic_string<CharType>;
using StringViewType = std::basic_string_view<CharType>;
} // namespace RC
