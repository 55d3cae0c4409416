// The simulator's scenario reader on arbitrary bytes, under its own limits and under tiny ones that
// short inputs can reach: a scenario within the limits, or a ScenarioError that names the file,
// and for JSON that is not well-formed the line and column, and nothing else.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "scenario.hpp"

namespace {
[[noreturn]] void fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "fuzz_scenario: %s%s\n", what, detail.c_str());
    std::abort();
}

void read_within(std::string_view json, const sim::ScenarioLimits& limits) {
    const std::string file = "fuzz.json";
    try {
        const sim::Scenario scenario = sim::parse_scenario(json, file, limits);
        if (scenario.opens < 1 || scenario.opens > limits.opens) {
            fail("opens outside the limit");
        }
        for (const auto* panel :
             {&scenario.trader, &scenario.player, &scenario.offer_buy, &scenario.offer_sell}) {
            if (panel->size() > limits.items) {
                fail("a panel above the limit of items");
            }
        }
        if (json.size() > limits.bytes) {
            fail("a scenario above the limit of bytes");
        }
    } catch (const sim::ScenarioError& error) {
        const std::string& message = error.message();
        if (message.rfind(file + ": ", 0) != 0 ||
            message.find(": expected ") == std::string::npos) {
            fail("an error that does not read \"<file>: <field>: expected <what>\": ", message);
        }
        // What is refused before the syntax is known: too much, a key given twice, UTF-16.
        const bool before_syntax = message.find("expected at most") != std::string::npos ||
                                   message.find("expected each key once") != std::string::npos ||
                                   message.find("expected UTF-8 text") != std::string::npos;
        if (!nlohmann::json::accept(json) && !before_syntax &&
            message.rfind(file + ": line ", 0) != 0) {
            fail("a JSON syntax error without its line and column: ", message);
        }
    } catch (const std::exception& error) {
        fail("an exception other than ScenarioError: ", error.what());
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view json(reinterpret_cast<const char*>(data), size);
    read_within(json, {});
    read_within(json, {.bytes = 512, .items = 2, .opens = 3, .values = 24});
    return 0;
}
