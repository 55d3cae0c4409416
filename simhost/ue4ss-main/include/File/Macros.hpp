// UE4SS main: still gives the text types under RC::File, from String/StringType.hpp.
#pragma once

#include <String/StringType.hpp>

namespace RC::File {
using RC::CharType;
using RC::StringType;
using RC::StringViewType;
} // namespace RC::File
