#include "session.hpp"

#include <Mod/CppUserModBase.hpp>
#include <cstdlib>
#include <simhost/install.hpp>
#include <simhost/loader.hpp>
#include <simhost/trading.hpp>
#include <stdexcept>

#include "config/settings_file.hpp"
#include "host/text.hpp"
#include "interrupt.hpp"

namespace sim {
namespace {
using simhost::trading::Panel;

// The settings the started Tallyglass read, learnt from the mod's own reader of its folder's
// Tallyglass.ini; the defaults when it did not start.
tallyglass::Config config_of_started(const simhost::ModHost& host) {
    for (const auto& mod : host.mods()) {
        if (mod.started && mod.started->ModName == STR("Tallyglass")) {
            return tallyglass::read_settings_file(
                       tallyglass::from_utf8((mod.folder / "Tallyglass.ini").string()))
                .config;
        }
    }
    return {};
}

// A failure that came out of a mod would take the game down; any other is the simulator's own.
[[noreturn]] void fail(bool from_mod, const std::string& what) {
    throw std::runtime_error(from_mod ? "the game would crash: a mod let out " + what
                                      : "the simulated game failed: " + what);
}

// One run of the game over a Mods folder: the host starts what is enabled, the trade opens, the
// game exits. Starting and initialising run the mods' own code; during an opening, what a hook
// let out is counted by the engine.
void launch(const std::filesystem::path& mods, simhost::trading::Screen& screen,
            const PlayOptions& options, std::int32_t opens, SessionResult& result) {
    bool in_mod = false;
    try {
        simhost::ModHost host(mods);
        host.install_mods();
        in_mod = true;
        host.start_mods();
        host.fire_unreal_init();
        in_mod = false;
        const auto escapes = simhost::callback_escapes();
        for (std::int32_t i = 0; i < opens; ++i) {
            throw_if_interrupted();
            try {
                screen.open();
            } catch (...) {
                in_mod = simhost::callback_escapes() != escapes;
                throw;
            }
            if (options.progress) {
                options.progress(i + 1, opens);
            }
        }
        for (const auto& mod : host.mods()) {
            result.started += mod.started ? 1 : 0;
        }
        result.config = config_of_started(host);
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& error) {
        fail(in_mod, std::string("\"") + error.what() + "\"");
    } catch (...) {
        fail(in_mod, "an exception of a type not derived from std::exception");
    }
}

simhost::trading::Item to_item(const ScenarioItem& in) {
    simhost::trading::Item out;
    out.name = tallyglass::from_utf8(in.item);
    out.base = in.base;
    out.price = in.price;
    if (in.text) {
        out.text = tallyglass::from_utf8(*in.text);
    }
    out.amount = in.amount;
    out.previous = in.previous;
    out.pos = in.pos;
    out.trader_index = in.trader_index;
    out.skip = in.skip;
    out.show = in.show;
    out.slot_data = in.slot_data;
    return out;
}
} // namespace

std::filesystem::path default_library() {
    if (const char* path = std::getenv("TALLYGLASS_LIBRARY"); path && *path) {
        return path;
    }
    return TALLYGLASS_LIBRARY;
}

SessionResult play(const Scenario& scenario, const PlayOptions& options) {
    std::error_code ignored;
    if (options.mods && !std::filesystem::is_directory(*options.mods, ignored)) {
        throw std::runtime_error(options.mods->string() + ": no such folder");
    }
    if (options.mods && scenario.ini) {
        throw std::runtime_error("a scenario's \"ini\" cannot apply to a Mods folder: the mod "
                                 "there reads the Tallyglass.ini of its own folder");
    }
    simhost::reset();
    simhost::game::LayoutTable layout = simhost::game::default_layout();
    for (const std::string& edit : scenario.game_update) {
        simhost::game::find_layout_edit(edit)->apply(layout);
    }
    auto screen = simhost::trading::build_screen(layout);
    const std::pair<Panel, const std::vector<ScenarioItem>*> panels[] = {
        {Panel::Trader, &scenario.trader},
        {Panel::Player, &scenario.player},
        {Panel::OfferBuy, &scenario.offer_buy},
        {Panel::OfferSell, &scenario.offer_sell},
    };
    for (const auto& [panel, items] : panels) {
        for (const auto& item : *items) {
            screen.add(panel, to_item(item));
        }
    }

    SessionResult result;
    std::optional<simhost::GameFolder> game;
    if (!options.mods) {
        game.emplace("sim");
        game->install(options.library, scenario.ini);
    }
    launch(options.mods ? *options.mods : game->mods(), screen, options, scenario.opens, result);
    result.log_file = simhost::log_file_text();
    for (const auto& line : simhost::log()) {
        result.log.push_back(tallyglass::to_utf8(line));
    }
    for (const auto& [panel, items] : panels) {
        for (auto* slot : screen.panel(panel)) {
            SlotView view{simhost::trading::panel_name(panel),
                          slot->index,
                          tallyglass::to_utf8(slot->item.name),
                          tallyglass::to_utf8(slot->game_text),
                          tallyglass::to_utf8(simhost::game::text_of(slot->text_block)),
                          std::nullopt,
                          tallyglass::to_utf8(simhost::full_name(slot->text_block))};
            if (auto color = simhost::game::color_of(slot->text_block)) {
                view.color = color->rgba;
            }
            result.slots.push_back(std::move(view));
        }
    }
    simhost::reset();
    return result;
}
} // namespace sim
