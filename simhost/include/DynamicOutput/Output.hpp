// The host log: one call per complete line.
#pragma once

#include <String/StringType.hpp>

namespace RC::Output {
// Appends the line to the host log unchanged.
void send(StringViewType line);
} // namespace RC::Output
