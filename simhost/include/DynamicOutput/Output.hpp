// The host log. send() of one text writes it as given; the templates format it first ("{}" takes
// the next argument, "{{" and "}}" are braces) and throw on a brace that is neither.
#pragma once

#include <File/Macros.hpp>
#include <initializer_list>
#include <type_traits>

namespace RC::LogLevel {
enum LogLevel { Default, Normal, Verbose, Warning, Error };
} // namespace RC::LogLevel

namespace RC::Output {
auto send(File::StringViewType content) -> void;

// What the formatting templates hand over: each argument as text.
auto send_formatted(LogLevel::LogLevel level, File::StringViewType format,
                    std::initializer_list<File::StringType> arguments) -> void;
template <typename Argument> auto format_argument(const Argument& argument) -> File::StringType {
    if constexpr (std::is_convertible_v<const Argument&, File::StringViewType>) {
        return File::StringType(File::StringViewType(argument));
    } else {
        static_assert(std::is_arithmetic_v<Argument>,
                      "the simulated host formats text and numbers");
        File::StringType out;
        for (char c : std::to_string(argument)) {
            out.push_back(static_cast<File::CharType>(c));
        }
        return out;
    }
}

template <typename... FmtArgs>
auto send(File::StringViewType content, FmtArgs... fmt_args) -> void {
    send_formatted(LogLevel::Default, content, {format_argument(fmt_args)...});
}
template <LogLevel::LogLevel Level, typename... FmtArgs>
auto send(File::StringViewType content, FmtArgs... fmt_args) -> void {
    send_formatted(Level, content, {format_argument(fmt_args)...});
}
} // namespace RC::Output
