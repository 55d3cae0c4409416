// tallyglass-sim's command line: what each option names, and which options cannot go together.
#pragma once

#include <cstdint>
#include <optional>

#include "files.hpp"

namespace sim {
struct Options {
    std::optional<FileArgument> scenario, ini, check, picture, mods, log, from_log, scenario_out;
    std::optional<std::int32_t> trade;
    bool no_ini = false;
    bool json = false;
    bool list_trades = false;
};

// Exit codes: 0 done; 1 --check-ini found lines the mod does not read as written; 2 a bad command
// line, file, scenario or log (the mod is not loaded then); 3 the run or a write failed, standard
// output included. A run stopped by a signal dies of that signal.
inline constexpr int usage_error = 2;
inline constexpr int run_failed = 3;

// The exit code when the command line settles the run (help, or a mistake), else none.
std::optional<int> parse_options(int argc, char** argv, Options& options);
} // namespace sim
