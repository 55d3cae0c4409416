// Writing the mod's log lines. Every line goes out through here: composed lines share one shape
// ("[Tallyglass] ", a head, "; "-joined key=value pieces, "." and a line break), and a failure of
// the host's log never reaches the game from a place no hook guard covers.
#pragma once

#include <concepts>
#include <cstdint>
#include <exception>

#include "host/text.hpp"

namespace tallyglass {
// Sends one complete line; throws whatever the host's log throws.
void log_line(StringView line);

// Runs `write`, building the line included, and swallows whatever it throws: for lines written
// where no hook guard stands between the mod and the host (start-up, registration, unload), which
// must neither take the game down nor stop the work they report on.
template <class Write> void quietly(Write&& write) noexcept {
    try {
        write();
    } catch (...) {
    }
}

// A failure line: the prefix, then a standard exception's message, or "unknown exception." for
// anything else, and a line break. Never throws: the log may be what failed.
void log_failure(StringView prefix, std::exception_ptr error) noexcept;

// Per-call summary and skip lines are written only at these call numbers.
bool is_sampled_call(std::int32_t call_number);

// A composed line: "[Tallyglass] " and the head, then text and pieces; send() ends it with "."
// and a line break.
class LogLine {
public:
    explicit LogLine(StringView head);
    LogLine& add(StringView text);
    LogLine& add(std::int32_t number);
    // "; key=value"
    LogLine& piece(StringView key, StringView value);
    LogLine& piece(StringView key, std::int32_t value);
    // A flag goes in as flag_text(), never as a number.
    template <std::same_as<bool> Flag> LogLine& add(Flag) = delete;
    template <std::same_as<bool> Flag> LogLine& piece(StringView, Flag) = delete;
    void send();

private:
    String text;
};
} // namespace tallyglass
