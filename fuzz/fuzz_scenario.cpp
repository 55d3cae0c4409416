// The simulator's scenario reader on arbitrary bytes: a scenario or a ScenarioError that names the
// file, and nothing else.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "scenario.hpp"

namespace {
[[noreturn]] void fail(const char* what, const char* detail = "") {
    std::fprintf(stderr, "fuzz_scenario: %s%s\n", what, detail);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view json(reinterpret_cast<const char*>(data), size);
    const std::string file = "fuzz.json";
    try {
        const sim::Scenario scenario = sim::parse_scenario(json, file);
        if (scenario.opens < 1 || scenario.opens > 1000) {
            fail("opens outside 1..1000");
        }
    } catch (const sim::ScenarioError& error) {
        const std::string message = error.what();
        if (message.rfind(file + ": ", 0) != 0 ||
            message.find(": expected ") == std::string::npos) {
            fail("an error that does not read \"<file>: <field>: expected <what>\": ",
                 message.c_str());
        }
    } catch (const std::exception& error) {
        fail("an exception other than ScenarioError: ", error.what());
    }
    return 0;
}
