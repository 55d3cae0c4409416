// Runs the suite, then sets the figures that belong together side by side: the hook against
// GetFullName, each hooked call against the same call with no mod, and the long session's heap.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "benchmarks.hpp"
#include "world.hpp"

namespace {
struct Figure {
    double cpu_ns = 0;
    bool median = false;
    std::map<std::string, double> counters;
    std::string error;
};

// Shows every run as the console reporter does and keeps one figure per benchmark: the median
// of its repetitions when there are several, else its only run.
class Collector : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, Figure> figures;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            Figure& figure = figures[run.run_name.function_name];
            if (figure.median && !median) {
                continue;
            }
            figure.median = median;
            figure.error = run.error_occurred ? run.error_message : std::string();
            figure.cpu_ns = run.GetAdjustedCPUTime() * 1e9 /
                            static_cast<double>(benchmark::GetTimeUnitMultiplier(run.time_unit));
            figure.counters.clear();
            for (const auto& [name, counter] : run.counters) {
                figure.counters[name] = counter.value;
            }
        }
    }

    const Figure* find(const std::string& name) const {
        auto it = figures.find(name);
        return it == figures.end() || !it->second.error.empty() ? nullptr : &it->second;
    }
    std::optional<double> counter(const std::string& name, const std::string& key) const {
        const Figure* figure = find(name);
        if (!figure) {
            return std::nullopt;
        }
        auto it = figure->counters.find(key);
        return it == figure->counters.end() ? std::nullopt : std::optional<double>(it->second);
    }
};

std::string time_text(double ns) {
    char buffer[32];
    if (ns >= 1e6) {
        std::snprintf(buffer, sizeof buffer, "%.2f ms", ns / 1e6);
    } else if (ns >= 1e3) {
        std::snprintf(buffer, sizeof buffer, "%.2f us", ns / 1e3);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.1f ns", ns);
    }
    return buffer;
}

std::string number_text(double value, const char* format = "%.0f") {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void print_hook_outside(const Collector& c, const std::string& place, bool goal) {
    const Figure* hook = c.find("text_block_hook/outside/" + place);
    const Figure* name = c.find("get_full_name/outside/" + place);
    std::printf("  %s\n", place.c_str());
    const std::string turns = "text_block_hook/interleaved/" + place;
    auto ratio = c.counter(turns, "ratio");
    if (ratio) {
        const double hook_ns = c.counter(turns, "hook_ns").value_or(0);
        const double name_ns = c.counter(turns, "get_full_name_ns").value_or(0);
        std::printf("    in turns, one benchmark:  hook %-10s GetFullName %-10s ratio %.3f, the "
                    "hook's own %s",
                    time_text(hook_ns).c_str(), time_text(name_ns).c_str(), *ratio,
                    time_text(hook_ns - name_ns).c_str());
        if (goal) {
            std::printf("  (goal <= 25 ns: %s)", hook_ns - name_ns <= 25.0 ? "met" : "MISSED");
        }
        std::printf("\n");
    }
    if (!hook || !name) {
        std::printf("    n/a\n");
        return;
    }
    std::printf("    separate benchmarks:      hook %-10s GetFullName %-10s ratio %.3f\n",
                time_text(hook->cpu_ns).c_str(), time_text(name->cpu_ns).c_str(),
                hook->cpu_ns / name->cpu_ns);
    if (const Figure* search = c.find("contains_text/outside/" + place)) {
        std::printf("    the hook's one marker search: %s", time_text(search->cpu_ns).c_str());
        if (const Figure* plain = c.find("contains_text/outside/" + place + "_plain")) {
            std::printf(" (a plain search: %s)", time_text(plain->cpu_ns).c_str());
        }
        std::printf("\n");
    }
    auto counter = [](const Figure* figure, const char* key) {
        return figure->counters.count(key) ? figure->counters.at(key) : 0.0;
    };
    const double hook_allocs = counter(hook, "allocs/call");
    const double name_allocs = counter(name, "allocs/call");
    const double own = counter(hook, "own_allocs/call") - counter(name, "own_allocs/call");
    std::printf("    allocations per call: hook %.2f, GetFullName %.2f, the mod's own %.2f",
                hook_allocs, name_allocs, own);
    if (goal) {
        std::printf("  (goal 0: %s)", own <= 0.0 ? "met" : "MISSED");
    }
    std::printf("\n");
}

void print_with_and_without(const Collector& c, const char* label, const std::string& with,
                            const std::string& without, double per = 0) {
    const Figure* mod = c.find(with);
    const Figure* bare = c.find(without);
    if (!mod || !bare) {
        std::printf("  %-30s n/a\n", label);
        return;
    }
    // The simulated engine's own functions cost next to nothing, so a ratio would say little.
    const double added = mod->cpu_ns - bare->cpu_ns;
    std::printf("  %-30s with mod %-10s without %-10s mod adds %-10s", label,
                time_text(mod->cpu_ns).c_str(), time_text(bare->cpu_ns).c_str(),
                time_text(added).c_str());
    if (per > 0) {
        std::printf(" (%s per entry)", time_text(added / per).c_str());
    }
    std::printf("\n");
    auto mod_allocs = c.counter(with, "allocs/call");
    auto bare_allocs = c.counter(without, "allocs/call");
    auto mod_own = c.counter(with, "own_allocs/call");
    auto bare_own = c.counter(without, "own_allocs/call");
    if (mod_allocs && bare_allocs && mod_own && bare_own) {
        std::printf("  %-30s allocations per call: with mod %.1f, without %.1f; the mod's own %.1f"
                    "\n",
                    "", *mod_allocs, *bare_allocs, *mod_own - *bare_own);
    }
}

// One line for the total, then the operations the mod calls, most called first.
void print_host_calls(const Collector& c, const std::string& name, const char* label) {
    const Figure* figure = c.find(name);
    if (!figure || !figure->counters.count("host_calls")) {
        return;
    }
    std::printf("%s: %.0f\n", label, figure->counters.at("host_calls"));
    std::vector<std::pair<double, std::string>> by_op;
    for (const auto& [key, calls] : figure->counters) {
        if (key.starts_with("calls:") && calls > 0) {
            by_op.emplace_back(calls, key.substr(6));
        }
    }
    std::sort(by_op.rbegin(), by_op.rend());
    std::printf("  %-30s", "by operation:");
    for (std::size_t i = 0; i < by_op.size(); ++i) {
        std::printf("%s%s %.0f", i ? ", " : "", by_op[i].second.c_str(), by_op[i].first);
    }
    std::printf("\n");
}

// The long session's run, whatever its length.
std::string session_name(const Collector& c) {
    for (const auto& entry : c.figures) {
        if (entry.first.starts_with("long_session/")) {
            return entry.first;
        }
    }
    return {};
}

void print_session(const Collector& c) {
    const std::string name = session_name(c);
    const Figure* session = c.find(name);
    if (!session) {
        std::printf("  n/a\n");
        return;
    }
    auto value = [&](const std::string& key) { return c.counter(name, key).value_or(0); };
    const int openings = static_cast<int>(value("openings"));
    std::printf("  %d openings of a full trade; heap less the host's call trace\n", openings);
    std::printf("  %-9s %-14s %-12s %s\n", "openings", "live bytes", "live blocks",
                "row cache bytes");
    std::string last = "@1";
    for (int at : bench::checkpoints) {
        if (at > openings) {
            break;
        }
        // Appended rather than added: GCC 12 warns falsely (-Wrestrict) on "@" + string at -O3.
        std::string suffix = "@";
        suffix += std::to_string(at);
        std::printf("  %-9d %-14s %-12s %s\n", at,
                    number_text(value("live_bytes" + suffix)).c_str(),
                    number_text(value("live_blocks" + suffix)).c_str(),
                    number_text(value("cache_bytes" + suffix)).c_str());
        last = suffix;
    }
    const double growth = value("live_bytes" + last) - value("live_bytes@10");
    const double block_growth = value("live_blocks" + last) - value("live_blocks@10");
    std::printf("  before the mod was loaded: %s bytes in %s blocks; the mod and what the host "
                "keeps for it after %s openings: %s bytes in %s blocks\n",
                number_text(value("live_bytes_before_mod")).c_str(),
                number_text(value("live_blocks_before_mod")).c_str(), last.substr(1).c_str(),
                number_text(value("live_bytes" + last) - value("live_bytes_before_mod")).c_str(),
                number_text(value("live_blocks" + last) - value("live_blocks_before_mod")).c_str());
    std::printf("  growth from opening 10 to %s: %s bytes, %s blocks  (goal 0: %s)\n",
                last.substr(1).c_str(), number_text(growth).c_str(),
                number_text(block_growth).c_str(),
                growth <= 0 && block_growth <= 0 ? "met" : "MISSED");
    std::printf("  peak live bytes: openings 1-10 %s, last 1,000 %s, all %s\n",
                number_text(value("peak_bytes_first_10")).c_str(),
                number_text(value("peak_bytes_last_1000")).c_str(),
                number_text(value("peak_bytes_all")).c_str());
    std::printf("  rows: at most %s (cap 384), row storage %s bytes; %s per opening (%s host calls "
                "per opening); engine texts the mod left behind: %s per opening\n",
                number_text(value("rows_max")).c_str(),
                number_text(value("rows_storage_bytes")).c_str(),
                time_text(session->cpu_ns / value("openings")).c_str(),
                number_text(value("host_calls_per_opening")).c_str(),
                number_text(value("texts_left_per_opening")).c_str());
}

void print_summary(const Collector& c) {
    std::printf("\nSummary (CPU time per call; the median when the benchmarks were repeated)\n");
    std::printf("\nTextBlock hook on text blocks that are not a slot's value text, against the "
                "host's bare GetFullName of the same object:\n");
    print_hook_outside(c, "hud", true);
    print_hook_outside(c, "trading_label", false);
    print_hook_outside(c, "slot_label", false);
    print_with_and_without(c, "SetText of a HUD text", "set_text/hud/mod", "set_text/hud/no_mod");

    std::printf("\nSlot value rewrite, through the game's SetText, cache of 384 rows:\n");
    print_with_and_without(c, "row found by slot data", "set_text/slot_value/mod_by_slot_data",
                           "set_text/slot_value/no_mod");
    print_with_and_without(c, "row found by shown number", "set_text/slot_value/mod_by_value",
                           "set_text/slot_value/no_mod");

    std::printf("\nCapture hooks at their largest:\n");
    print_with_and_without(c, "UpdateInventory, 256 slots", "update_inventory/256/mod",
                           "update_inventory/256/no_mod", 256);
    print_with_and_without(c, "SetListItemsBP, 256 entries", "set_list_items/256/mod",
                           "set_list_items/256/no_mod", 256);
    print_with_and_without(c, "  the same, no GetItemAt hook",
                           "set_list_items/256/mod_without_get_item_at_hook",
                           "set_list_items/256/no_mod", 256);
    print_with_and_without(c, "opening a full trade", "open_trade/full/mod",
                           "open_trade/full/no_mod");
    print_host_calls(c, "open_trade/full/mod", "host calls per opening");
    print_with_and_without(c, "opening a typical trade", "open_trade/typical/mod",
                           "open_trade/typical/no_mod");
    print_host_calls(c, "open_trade/typical/mod", "  the same, host calls");

    std::printf("\nLong session:\n");
    print_session(c);
}

// Takes --session-openings=N out of the arguments: the long session's length, 10 to 10000
// (a short one makes a quick run that measures nothing). 0 when N is no such number.
int session_openings(int& argc, char** argv) {
    constexpr std::string_view flag = "--session-openings=";
    int openings = 10000;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!arg.starts_with(flag)) {
            argv[kept++] = argv[i];
            continue;
        }
        const std::string_view number = arg.substr(flag.size());
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), openings);
        if (error != std::errc() || end != number.data() + number.size() || openings < 10 ||
            openings > 10000) {
            std::fprintf(stderr, "%s: expected a whole number from 10 to 10000\n", argv[i]);
            return 0;
        }
    }
    argc = kept;
    return openings;
}
} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const int openings = session_openings(argc, argv);
    if (openings == 0 || benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    bench::register_text_block_benchmarks();
    bench::register_row_cache_benchmarks();
    bench::register_capture_benchmarks();
    bench::register_session_benchmarks(openings);

    Collector collector(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Color
                                              : benchmark::ConsoleReporter::OO_None);
    benchmark::RunSpecifiedBenchmarks(&collector);
    std::fflush(stdout);
    print_summary(collector);
    benchmark::Shutdown();
    return 0;
}
