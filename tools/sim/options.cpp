#include "options.hpp"

#include <CLI/CLI.hpp>
#include <cstdint>
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
// What the options write into before they become FileArguments.
struct Values {
    std::string scenario, ini, check, picture, mods, log, from_log, scenario_out, trade;
};

struct Declared {
    CLI::Option *scenario, *ini, *no_ini, *mods, *json, *picture, *log, *from_log, *list, *trade,
        *out, *check;
};

Declared declare(CLI::App& app, Values& v, Options& options) {
    Declared d{};
    d.scenario =
        app.add_option("SCENARIO", v.scenario,
                       "scenario JSON file (- for standard input); default: the built-in trade");
    d.ini = app.add_option("--ini", v.ini, "use this settings file (- for standard input)");
    d.no_ini = app.add_flag("--no-ini", options.no_ini, "use no settings file (the defaults)");
    d.mods =
        app.add_option("--mods", v.mods,
                       "play with the mods this installed Mods folder holds, and their settings");
    d.json = app.add_flag("--json", options.json,
                          "print one JSON document: {\"log\": [...], \"slots\": [...]}");
    d.picture =
        app.add_option("--picture", v.picture, "also draw the trading screen to this SVG file");
    d.log = app.add_option("--log", v.log, "also write the whole session log to this file");
    d.from_log = app.add_option("--from-log", v.from_log,
                                "replay a trade that the mod logged in this UE4SS.log (- for "
                                "standard input)");
    d.list = app.add_flag("--list-trades", options.list_trades,
                          "with --from-log: list the trades the log holds, then exit");
    d.trade = app.add_option("--trade", v.trade,
                             "with --from-log: replay this trade (default: the last)");
    d.out = app.add_option("--scenario-out", v.scenario_out,
                           "with --from-log: also write the trade as a scenario file");
    d.check = app.add_option("--check-ini", v.check,
                             "explain what the mod makes of each line of a settings file (- for "
                             "standard input), then exit");
    for (auto* file : {d.scenario, d.ini, d.picture, d.log, d.from_log, d.out, d.check}) {
        file->type_name("FILE");
    }
    d.mods->type_name("DIR");
    d.trade->type_name("N");
    return d;
}

void set_rules(const Declared& d) {
    exclude_each_other({d.ini, d.no_ini, d.mods});
    exclude(d.from_log, {d.scenario});
    need(d.from_log, {d.list, d.trade, d.out});
    exclude(d.list, {d.trade, d.out, d.ini, d.no_ini, d.mods, d.json, d.picture, d.log});
    exclude(d.check, {d.scenario, d.ini, d.no_ini, d.mods, d.json, d.picture, d.log, d.from_log});
}

// A trade's number as --list-trades shows it: decimal digits only, from 1.
std::int32_t trade_number(const std::string& text) {
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || (number = number * 10 + (c - '0')) > INT32_MAX) {
            number = 0;
            break;
        }
    }
    if (text.empty() || number < 1) {
        throw CLI::ValidationError("--trade " + text,
                                   "expected a trade's number as --list-trades shows it, in "
                                   "decimal digits: 1, 2, ...");
    }
    return static_cast<std::int32_t>(number);
}

void take(const Declared& d, const Values& v, Options& options) {
    auto file = [](CLI::Option* option, const std::string& value, const char* label) {
        return option->count() ? std::optional<FileArgument>({label, value}) : std::nullopt;
    };
    options.scenario = file(d.scenario, v.scenario, "SCENARIO");
    options.ini = file(d.ini, v.ini, "--ini");
    options.check = file(d.check, v.check, "--check-ini");
    options.picture = file(d.picture, v.picture, "--picture");
    options.mods = file(d.mods, v.mods, "--mods");
    options.log = file(d.log, v.log, "--log");
    options.from_log = file(d.from_log, v.from_log, "--from-log");
    options.scenario_out = file(d.out, v.scenario_out, "--scenario-out");
    if (d.trade->count()) {
        options.trade = trade_number(v.trade);
    }
}
} // namespace

std::optional<int> parse_options(int argc, char** argv, Options& options) {
    CLI::App app{"Plays the game's trading screen with the Tallyglass mod loaded into a simulated "
                 "UE4SS host."};
    app.footer("Exit status: 0 done; 1 --check-ini found problems; 2 a bad command line, file, "
               "scenario or log; 3 the run or writing its output failed; 128+n stopped by signal "
               "n.");
    Values values;
    const Declared declared = declare(app, values, options);
    set_rules(declared);
    try {
        app.parse(argc, argv);
        take(declared, values, options);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tallyglass-sim: " << printable(e.what()) << " (see --help)\n";
        return usage_error;
    }
    return std::nullopt;
}
} // namespace sim
