#include "session.hpp"

#include <Mod/CppUserModBase.hpp>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <simhost/install.hpp>
#include <simhost/loader.hpp>
#include <simhost/trading.hpp>
#include <stdexcept>

#include "config/settings.hpp"
#include "host/text.hpp"
#include "interrupt.hpp"

namespace sim {
namespace {
using simhost::trading::Panel;

// The settings the host's started Tallyglass read: its folder's Tallyglass.ini over the defaults.
tallyglass::Config config_of_started(const simhost::ModHost& host) {
    tallyglass::Config config;
    for (const auto& mod : host.mods()) {
        if (mod.started && mod.started->ModName == STR("Tallyglass")) {
            std::ifstream in(mod.folder / "Tallyglass.ini", std::ios::binary);
            tallyglass::apply_config_text(std::string(std::istreambuf_iterator<char>(in), {}),
                                          config);
            break;
        }
    }
    return config;
}

// One run of the game over a Mods folder: the host starts what is enabled, the trade opens, the
// game exits. Gives the settings of the started mod. What a mod lets out into the host would take
// the game down; here it ends the session with a message.
tallyglass::Config launch(const std::filesystem::path& mods, simhost::trading::Screen& screen,
                          std::int32_t opens) {
    try {
        simhost::ModHost host(mods);
        host.install_mods();
        host.start_mods();
        host.fire_unreal_init();
        for (std::int32_t i = 0; i < opens; ++i) {
            throw_if_interrupted();
            screen.open();
        }
        return config_of_started(host);
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& error) {
        throw std::runtime_error(std::string("the game would crash: a mod let out \"") +
                                 error.what() + "\"");
    } catch (...) {
        throw std::runtime_error("the game would crash: a mod let out an exception of a type not "
                                 "derived from std::exception");
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
    // Found out before the mod is loaded, as every other error of the command line.
    if (options.log && !std::ofstream(*options.log, std::ios::binary)) {
        throw std::runtime_error(options.log->string() + ": cannot be written");
    }
    simhost::reset();
    auto screen = simhost::trading::build_screen();
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
    result.config = launch(options.mods ? *options.mods : game->mods(), screen, scenario.opens);
    if (options.log && !simhost::write_log_file(*options.log)) {
        throw std::runtime_error(options.log->string() + ": cannot be written");
    }

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
