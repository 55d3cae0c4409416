// The host log. send() of one text writes it as given; the templates format it first ("{}" takes
// the next argument, "{{" and "}}" are braces) and throw on a brace that is neither.
#pragma once

#include <File/Macros.hpp>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace RC::LogLevel {
enum LogLevel { Default, Normal, Verbose, Warning, Error };
} // namespace RC::LogLevel

namespace RC::Output {
auto send(File::StringViewType content) -> void;

template <LogLevel::LogLevel Level, typename... FmtArgs>
auto send(File::StringViewType content, FmtArgs... fmt_args) -> void {
    [[maybe_unused]] auto text_of = [](const auto& argument) {
        using Argument = std::decay_t<decltype(argument)>;
        if constexpr (std::is_convertible_v<const Argument&, File::StringViewType>) {
            return File::StringType(File::StringViewType(argument));
        } else {
            static_assert(std::is_arithmetic_v<Argument>, "the simulated host formats text and "
                                                          "numbers");
            const std::string digits = std::to_string(argument);
            return File::StringType(digits.begin(), digits.end());
        }
    };
    const File::StringType arguments[] = {text_of(fmt_args)..., File::StringType()};
    File::StringType out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const File::CharType c = content[i];
        const File::CharType after = i + 1 < content.size() ? content[i + 1] : File::CharType();
        if ((c == STR('{') || c == STR('}')) && after == c) {
            out.push_back(c);
            ++i;
        } else if (c == STR('{') && after == STR('}') && next < sizeof...(FmtArgs)) {
            out += arguments[next++];
            ++i;
        } else if (c == STR('{') || c == STR('}')) {
            throw std::runtime_error("the host's log could not format a line");
        } else {
            out.push_back(c);
        }
    }
    send(File::StringViewType(out));
}

template <typename... FmtArgs>
auto send(File::StringViewType content, FmtArgs... fmt_args) -> void {
    send<LogLevel::Default>(content, fmt_args...);
}
} // namespace RC::Output
