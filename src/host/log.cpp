#include "host/log.hpp"

#include <algorithm>

#include "game/limits.hpp"
#include "host/host.hpp"

namespace tallyglass {
void log_line(StringView line) {
    host::log(line);
}

namespace {
String failure_message(const std::exception_ptr& error) {
    try {
        if (error) {
            std::rethrow_exception(error);
        }
    } catch (const std::exception& standard) {
        return widen_message(standard.what());
    } catch (...) {
    }
    return STR("unknown exception.");
}
} // namespace

void log_failure(StringView prefix, std::exception_ptr error) noexcept {
    quietly([&] {
        String line(prefix);
        line += failure_message(error);
        line += STR("\n");
        log_line(line);
    });
}

bool is_sampled_call(std::int32_t call_number) {
    return std::find(limits::sampled_calls.begin(), limits::sampled_calls.end(), call_number) !=
           limits::sampled_calls.end();
}

LogLine::LogLine(StringView head) : text(STR("[Tallyglass] ")) {
    text += head;
}

LogLine& LogLine::add(StringView more) {
    text += more;
    return *this;
}

LogLine& LogLine::add(std::int32_t number) {
    text += to_text(number);
    return *this;
}

LogLine& LogLine::piece(StringView key, StringView value) {
    text += STR("; ");
    text += key;
    text += STR("=");
    text += value;
    return *this;
}

LogLine& LogLine::piece(StringView key, std::int32_t value) {
    return piece(key, to_text(value));
}

void LogLine::send() {
    text += STR(".\n");
    log_line(text);
}
} // namespace tallyglass
