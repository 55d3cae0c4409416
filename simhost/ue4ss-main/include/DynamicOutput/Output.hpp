// UE4SS main: the host log, declarations only.
#pragma once

#include <File/Macros.hpp>

namespace RC::LogLevel {
enum LogLevel { Default, Normal, Verbose, Warning, Error };
} // namespace RC::LogLevel

namespace RC::Output {
auto send(File::StringViewType content) -> void;
template <typename... FmtArgs> auto send(File::StringViewType content, FmtArgs... fmt_args) -> void;
template <LogLevel::LogLevel Level, typename... FmtArgs>
auto send(File::StringViewType content, FmtArgs... fmt_args) -> void;
} // namespace RC::Output
