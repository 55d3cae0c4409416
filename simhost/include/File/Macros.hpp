// The host's text types and its STR macro for literals of them.
#pragma once

#include <string>
#include <string_view>

namespace RC::File {
#ifdef _WIN32
using CharType = wchar_t;
#ifndef STR
#define STR(str) L##str
#endif
#else
// Off Windows, as UE4SS's Linux port spells its text.
using CharType = char16_t;
#ifndef STR
#define STR(str) u##str
#endif
#endif
using StringType = std::basic_string<CharType>;
using StringViewType = std::basic_string_view<CharType>;
} // namespace RC::File

namespace RC {
using File::CharType;
using File::StringType;
using File::StringViewType;
} // namespace RC
