#include "session.hpp"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <simhost/loader.hpp>
#include <simhost/trading.hpp>

#include "config/settings.hpp"
#include "host/text.hpp"
#include "interrupt.hpp"

namespace sim {
namespace {
using simhost::trading::Panel;

// Mods/Tallyglass/dlls/<library> with the settings one level above "dlls", removed afterwards.
class ModFolder {
public:
    ModFolder(const std::filesystem::path& library, const std::optional<std::string>& ini) {
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = std::filesystem::temp_directory_path() / ("tallyglass-sim-" + std::to_string(stamp));
        auto dlls = root / "Mods" / "Tallyglass" / "dlls";
        std::filesystem::create_directories(dlls);
        copy = dlls / library.filename();
        std::filesystem::copy_file(library, copy);
        if (ini) {
            std::ofstream out(root / "Mods" / "Tallyglass" / "Tallyglass.ini", std::ios::binary);
            out << *ini;
        }
    }
    ~ModFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    ModFolder(const ModFolder&) = delete;
    ModFolder& operator=(const ModFolder&) = delete;

    std::filesystem::path root;
    std::filesystem::path copy;
};

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
    SessionResult result;
    if (scenario.ini) {
        tallyglass::apply_config_text(*scenario.ini, result.config);
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

    ModFolder folder(options.library, scenario.ini);
    {
        simhost::LoadedMod mod(folder.copy);
        mod.start();
        mod.unreal_init();
        for (std::int32_t i = 0; i < scenario.opens; ++i) {
            throw_if_interrupted();
            screen.open();
        }
        mod.uninstall();
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
