// UE4SS main: the host's text types and STR, in their own header since 3.0.1.
#pragma once

#include <string>
#include <string_view>

namespace RC {
#ifdef _WIN32
using CharType = wchar_t;
#define STR(str) L##str
#else
using CharType = char16_t;
#define STR(str) u##str
#endif
using StringType = std::basic_string<CharType>;
using StringViewType = std::basic_string_view<CharType>;
} // namespace RC
