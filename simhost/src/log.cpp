// The host log: one entry per call of the output operation, the mod's and the host's own, each
// with the time it was sent; written out as UE4SS.log holds it.
#include <cstdio>
#include <fstream>

#include "world.hpp"
#include <DynamicOutput/Output.hpp>

namespace simhost {
namespace {
using Clock = std::function<std::chrono::system_clock::time_point()>;

// Not part of the world: a test that fixes the time keeps it over reset().
Clock& log_clock() {
    static Clock clock;
    return clock;
}

// Lines this thread sends are dropped while it releases what the real host never releases.
thread_local int muted = 0;

void append(StringView text) {
    auto& w = detail::world();
    if (w.log_closed.load() || muted > 0) {
        return;
    }
    const std::lock_guard lock(w.log_writing);
    auto& clock = log_clock();
    w.log_times.push_back(clock ? clock() : std::chrono::system_clock::now());
    w.log.emplace_back(text);
}

// "[YYYY-MM-DD HH:MM:SS] " in UTC, as UE4SS 3.0.1 stamps each entry.
std::string stamp(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char out[40];
    std::snprintf(out, sizeof out, "[%04d-%02u-%02u %02d:%02d:%02d] ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return out;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
void put_utf8(std::string& out, StringView text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        const bool high = c >= 0xD800 && c < 0xDC00;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[++i]) - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        constexpr unsigned char lead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out.push_back(static_cast<char>(lead[tail] | (c >> (6 * tail))));
        for (int k = tail - 1; k >= 0; --k) {
            out.push_back(static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F)));
        }
    }
}
} // namespace

const std::vector<String>& log() {
    return detail::world().log;
}
void clear_log() {
    detail::world().log.clear();
    detail::world().log_times.clear();
}

std::string log_file_text() {
    const auto& w = detail::world();
    std::string out;
    for (std::size_t i = 0; i < w.log.size(); ++i) {
        out += stamp(w.log_times[i]);
        put_utf8(out, w.log[i]);
    }
    return out;
}

bool write_log_file(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << log_file_text();
    out.close();
    return !out.fail();
}

void set_log_clock(std::function<std::chrono::system_clock::time_point()> clock) {
    log_clock() = std::move(clock);
}

namespace detail {
void host_line(StringView line) {
    append(line);
}
void open_log() {
    clear_log();
    world().log_closed.store(false);
}
void close_log() {
    world().log_closed.store(true);
}
LogMute::LogMute() {
    ++muted;
}
LogMute::~LogMute() {
    --muted;
}
} // namespace detail
} // namespace simhost

namespace RC {
void Output::send(StringViewType line) {
    const simhost::detail::HostCode in_host;
    simhost::detail::host_call(simhost::Op::OutputSend, nullptr, line);
    simhost::append(line);
}
} // namespace RC
