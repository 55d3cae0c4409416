#include "options.hpp"

#include <CLI/CLI.hpp>
#include <iostream>

#include "printable.hpp"

namespace sim {
namespace {
void exclude_each_other(std::initializer_list<CLI::Option*> options) {
    for (auto* one : options) {
        for (auto* other : options) {
            if (one != other) {
                one->excludes(other);
            }
        }
    }
}

// Options that only make sense with `owner`, or that `owner` leaves nothing to do for.
void need(CLI::Option* owner, std::initializer_list<CLI::Option*> options) {
    for (auto* option : options) {
        option->needs(owner);
    }
}
void exclude(CLI::Option* owner, std::initializer_list<CLI::Option*> options) {
    for (auto* option : options) {
        owner->excludes(option);
    }
}
} // namespace

std::optional<int> parse_options(int argc, char** argv, Options& options) {
    CLI::App app{"Plays the game's trading screen with the Tallyglass mod loaded into a simulated "
                 "UE4SS host."};
    app.footer("Exit status: 0 done; 1 --check-ini found problems; 2 a bad command line, file, "
               "scenario or log; 3 the run or writing its output failed.");
    std::string scenario, ini, check, picture, mods, log, from_log, scenario_out;
    std::int32_t trade = 0;
    auto* scenario_opt =
        app.add_option("SCENARIO", scenario,
                       "scenario JSON file (- for standard input); default: the built-in trade");
    auto* ini_opt = app.add_option("--ini", ini, "use this settings file");
    auto* no_ini_opt =
        app.add_flag("--no-ini", options.no_ini, "use no settings file (the defaults)");
    auto* mods_opt = app.add_option(
        "--mods", mods, "play with the mods this installed Mods folder holds, and their settings");
    auto* json_opt = app.add_flag("--json", options.json,
                                  "print one JSON document: {\"log\": [...], \"slots\": [...]}");
    auto* picture_opt =
        app.add_option("--picture", picture, "also draw the trading screen to this SVG file");
    auto* log_opt = app.add_option("--log", log, "also write the whole session log to this file");
    auto* from_log_opt = app.add_option("--from-log", from_log,
                                        "replay a trade that the mod logged in this UE4SS.log");
    auto* list_opt = app.add_flag("--list-trades", options.list_trades,
                                  "with --from-log: list the trades the log holds, then exit");
    auto* trade_opt =
        app.add_option("--trade", trade, "with --from-log: replay this trade (default: the last)");
    auto* out_opt = app.add_option("--scenario-out", scenario_out,
                                   "with --from-log: also write the trade as a scenario file");
    auto* check_opt =
        app.add_option("--check-ini", check,
                       "explain what the mod makes of each line of a settings file, then exit");
    for (auto* file :
         {scenario_opt, ini_opt, picture_opt, log_opt, from_log_opt, out_opt, check_opt}) {
        file->type_name("FILE");
    }
    mods_opt->type_name("DIR");
    trade_opt->type_name("N");
    exclude_each_other({ini_opt, no_ini_opt, mods_opt});
    exclude(from_log_opt, {scenario_opt});
    need(from_log_opt, {list_opt, trade_opt, out_opt});
    exclude(list_opt,
            {trade_opt, out_opt, ini_opt, no_ini_opt, mods_opt, json_opt, picture_opt, log_opt});
    exclude(check_opt, {scenario_opt, ini_opt, no_ini_opt, mods_opt, json_opt, picture_opt, log_opt,
                        from_log_opt});
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tallyglass-sim: " << printable(e.what()) << " (see --help)\n";
        return usage_error;
    }
    auto take = [](CLI::Option* option, const std::string& value, const char* label) {
        return option->count() ? std::optional<FileArgument>({label, value}) : std::nullopt;
    };
    options.scenario = take(scenario_opt, scenario, "SCENARIO");
    options.ini = take(ini_opt, ini, "--ini");
    options.check = take(check_opt, check, "--check-ini");
    options.picture = take(picture_opt, picture, "--picture");
    options.mods = take(mods_opt, mods, "--mods");
    options.log = take(log_opt, log, "--log");
    options.from_log = take(from_log_opt, from_log, "--from-log");
    options.scenario_out = take(out_opt, scenario_out, "--scenario-out");
    if (trade_opt->count()) {
        options.trade = trade;
    }
    return std::nullopt;
}
} // namespace sim
