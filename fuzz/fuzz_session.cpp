// Whole trading sessions built from the input and played through the mod: random panels, items,
// fields, null and foreign list entries, skip flags, positions, base values, texts, settings,
// odd game states and host faults. Nothing may escape into the game and nothing may crash.
//
// The hooks are registered by the mod itself and reached through the engine, but strict: whatever
// a hook body lets out is seen by the game call that ran it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <simhost/trading.hpp>

#include "config/settings.hpp"
#include "mod/tallyglass.hpp"
#include "strict_hooks.hpp"

namespace {
using namespace tallyglass;
using simhost::UObject;
using simhost::trading::Item;
using simhost::trading::Panel;
using simhost::trading::Screen;

[[noreturn]] void fail(const char* what, const char* detail = "") {
    std::fprintf(stderr, "fuzz_session: %s%s\n", what, detail);
    std::abort();
}

constexpr Panel panels[] = {Panel::Trader, Panel::Player, Panel::OfferBuy, Panel::OfferSell};

// Names that carry, or nearly carry, the markers the mod looks for.
const Char* const name_parts[] = {
    STR("Sword"),
    STR("W_Trading_BalanceSection_Sell"),
    STR("W_TradingInventory_Buy"),
    STR("InventorySlotData"),
    STR("Text_Value"),
    STR("W_Inventory_Slot_C "),
    STR("("),
    STR(""),
};

String decimal(std::int64_t value) {
    return to_text(value);
}

// A price as the game may show it, or any short text at all.
String shown_text(FuzzedDataProvider& in, std::int32_t price) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return decimal(price);
    case 1:
        return STR(" ") + decimal(price) + STR("\r\n");
    case 2:
        return STR("00") + decimal(in.ConsumeIntegral<std::int32_t>());
    case 3:
        return decimal(price) + STR(" (") + decimal(in.ConsumeIntegral<std::int16_t>()) + STR(")");
    case 4:
        return decimal(in.ConsumeIntegral<std::int64_t>());
    default: {
        String out;
        for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 12); n > 0; --n) {
            out.push_back(static_cast<Char>(in.ConsumeIntegral<std::uint16_t>()));
        }
        return out;
    }
    }
}

std::int32_t interesting_int(FuzzedDataProvider& in, std::int32_t usual) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0:
        return usual;
    case 1:
        return in.ConsumeIntegralInRange(-2, 3);
    case 2:
        return in.PickValueInArray({9999, 10000, 10001, -1, 2147483647, -2147483647 - 1});
    default:
        return in.ConsumeIntegral<std::int32_t>();
    }
}

Item random_item(FuzzedDataProvider& in, int index) {
    Item item;
    item.name = String(in.PickValueInArray(name_parts)) + decimal(index);
    if (in.ConsumeIntegralInRange(0, 5) != 5) {
        item.base = interesting_int(in, in.ConsumeIntegralInRange(0, 500));
    }
    item.price = interesting_int(in, in.ConsumeIntegralInRange(0, 500));
    if (in.ConsumeBool()) {
        item.text = shown_text(in, item.price);
    }
    item.amount = interesting_int(in, 1);
    if (in.ConsumeBool()) {
        item.previous = in.ConsumeIntegral<std::int32_t>();
    }
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
        item.pos = interesting_int(in, index);
    }
    item.trader_index = interesting_int(in, 0);
    item.skip = in.ConsumeIntegralInRange(0, 7) == 7;
    item.show = !in.ConsumeBool();
    item.slot_data = in.ConsumeIntegralInRange(0, 7) != 7;
    return item;
}

// Input that runs out gives the usual settings, a usual screen and an opened trade: the
// provider answers 0 and false once its bytes are spent.
Config random_settings(FuzzedDataProvider& in) {
    Config config;
    if (in.ConsumeBool()) {
        // Through the settings grammar, as the file would give them.
        apply_config_text(in.ConsumeRandomLengthString(256), config);
        return config;
    }
    config.Enabled = in.ConsumeIntegralInRange(0, 7) != 7;
    config.ProbeValues = in.ConsumeBool();
    config.DebugLogging = in.ConsumeBool();
    config.DisplayMode = in.ConsumeIntegralInRange(0, 5) == 5 ? ValueDisplayMode::Off
                                                              : ValueDisplayMode::ValueTextAppend;
    config.BaseValuePercent = 75 + in.ConsumeIntegralInRange(0, 9925);
    config.HeatmapEnabled = !in.ConsumeBool();
    config.HeatmapMode =
        in.ConsumeBool() ? HeatmapColorMode::Neutral : HeatmapColorMode::Directional;
    config.HeatmapMaxDistancePercent =
        100 - in.ConsumeIntegralInRange(0, 100) + in.ConsumeIntegralInRange(0, 9900);
    return config;
}

void arm_random_fault(FuzzedDataProvider& in) {
    simhost::Fault fault{};
    if (in.ConsumeBool()) {
        fault.op = static_cast<simhost::Op>(in.ConsumeIntegralInRange(0, 9));
    }
    fault.nth = in.ConsumeIntegralInRange<std::uint64_t>(1, 600);
    fault.kind = in.ConsumeBool() ? simhost::FaultKind::Standard : simhost::FaultKind::Foreign;
    fault.repeat = in.ConsumeIntegralInRange(0, 7) == 0;
    simhost::arm_fault(fault);
}

// Entries for a list: the panel's slot data, nulls, and objects that are not slot data.
std::vector<UObject*> list_entries(FuzzedDataProvider& in, Screen& screen, Panel panel) {
    std::vector<UObject*> out = screen.entries(panel);
    if (in.ConsumeBool()) {
        return out;
    }
    std::vector<UObject*> mixed;
    for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 10); n > 0; --n) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            mixed.push_back(nullptr);
            break;
        case 1:
            mixed.push_back(screen.main);
            break;
        default:
            if (!out.empty()) {
                mixed.push_back(out[in.ConsumeIntegralInRange<std::size_t>(0, out.size() - 1)]);
            }
        }
    }
    return mixed;
}

UObject* balance(FuzzedDataProvider& in, Screen& screen) {
    return in.ConsumeBool() ? screen.buy_balance : screen.sell_balance;
}
UObject* list(FuzzedDataProvider& in, Screen& screen) {
    return in.ConsumeBool() ? screen.trader_list : screen.player_list;
}

// A returned array the mod either rejects or can read in full: the engine's arrays hold at
// least `count` elements, so a plausible header never promises more than there are.
simhost::game::ArrayHeaderOverride array_header(FuzzedDataProvider& in, std::int32_t slots) {
    simhost::game::ArrayHeaderOverride header;
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0:
        header.count = in.ConsumeIntegralInRange(257, 2147483647);
        break;
    case 1:
        header.count = in.ConsumeIntegralInRange(-2147483647 - 1, -1);
        break;
    case 2:
        header.count = in.ConsumeIntegralInRange(0, slots);
        header.capacity = in.ConsumeIntegralInRange(-1, 2000);
        break;
    case 3:
        header.capacity = in.ConsumeIntegralInRange(513, 100000);
        break;
    default:
        header.null_data = true;
        header.count = in.ConsumeIntegralInRange(-3, 300);
        break;
    }
    return header;
}

// Every line begins "[Tallyglass] " and ends with a line break (it may hold one inside too: the
// applied-row line quotes the shown text exactly as the game set it), and failures are reported
// only when the host failed.
void check_log() {
    const String prefix = STR("[Tallyglass] ");
    const StringView failures[] = {
        STR("[Tallyglass] Value hook failed: "),
        STR("[Tallyglass] List hook failed: "),
        STR("[Tallyglass] GetItemAt hook failed: "),
        STR("[Tallyglass] TextBlock value append failed: "),
        STR("[Tallyglass] Failed to register hook for "),
        STR("[Tallyglass] Hook unregister failed for "),
    };
    for (const auto& line : simhost::log()) {
        if (line.compare(0, prefix.size(), prefix) != 0 || line.back() != '\n') {
            fail("a log line without its \"[Tallyglass] \" or its line break");
        }
        for (StringView failure : failures) {
            if (simhost::faults_thrown() == 0 &&
                StringView(line).substr(0, failure.size()) == failure) {
                fail("a failure reported while the host never failed");
            }
        }
    }
}

void play(FuzzedDataProvider& in, Screen& screen, Tallyglass& mod) {
    auto game = [&](const char* what, const std::function<void()>& call) {
        try {
            call();
        } catch (...) {
            fail("an exception reached the game during: ", what);
        }
        if (mod.in_text_rewrite) {
            fail("the re-entry guard stayed set after: ", what);
        }
    };
    int late_items = 0;
    if (!in.ConsumeBool()) {
        game("open", [&] { screen.open(); });
    }
    for (int step = in.ConsumeIntegralInRange(0, 24); step > 0 && in.remaining_bytes() > 0;
         --step) {
        switch (in.ConsumeIntegralInRange(0, 15)) {
        case 0:
            game("open", [&] { screen.open(); });
            break;
        case 1:
            game("UpdateInventory", [&] { simhost::game::update_inventory(balance(in, screen)); });
            break;
        case 2:
            game("UpdateInventory without a result",
                 [&] { simhost::game::update_inventory_without_result(balance(in, screen)); });
            break;
        case 3: {
            UObject* which = balance(in, screen);
            const auto slots = static_cast<std::int32_t>(
                screen.entries(which == screen.buy_balance ? Panel::OfferBuy : Panel::OfferSell)
                    .size());
            simhost::game::set_balance_array_override(which, array_header(in, slots));
            game("UpdateInventory, odd array", [&] { simhost::game::update_inventory(which); });
            simhost::game::set_balance_array_override(which, {});
            break;
        }
        case 4:
            game("fill lists", [&] { screen.fill_lists(); });
            break;
        case 5: {
            const bool trader = in.ConsumeBool();
            auto entries = list_entries(in, screen, trader ? Panel::Trader : Panel::Player);
            game("SetListItemsBP", [&] {
                simhost::game::set_list_items(trader ? screen.trader_list : screen.player_list,
                                              entries);
            });
            break;
        }
        case 6: {
            UObject* which = list(in, screen);
            simhost::game::set_list_count_override(which, interesting_int(in, 3));
            game("SetListItemsBP, odd count",
                 [&] { simhost::game::set_list_items(which, screen.entries(Panel::Trader)); });
            simhost::game::set_list_count_override(which, std::nullopt);
            break;
        }
        case 7: {
            UObject* which = list(in, screen);
            const std::int32_t index = interesting_int(in, 0);
            game("GetItemAt", [&] { simhost::game::get_item_at(which, index); });
            break;
        }
        case 8:
            if (!screen.slots.empty()) {
                auto& slot =
                    screen
                        .slots[in.ConsumeIntegralInRange<std::size_t>(0, screen.slots.size() - 1)];
                const String text = shown_text(in, slot.item.price);
                game("SetText", [&] { simhost::game::set_text(slot.text_block, text); });
            }
            break;
        case 9:
            game("set every text", [&] { screen.set_texts(); });
            break;
        case 10:
            if (late_items < 4) {
                ++late_items;
                screen.add(in.PickValueInArray(panels), random_item(in, 100 + late_items));
            }
            break;
        case 11:
            simhost::set_parms_size(simhost::function_at(STR("/Script/UMG.TextBlock:SetText")),
                                    in.ConsumeBool() ? std::uint16_t{24}
                                                     : in.ConsumeIntegral<std::uint16_t>());
            simhost::set_text_constructor_found(in.ConsumeIntegralInRange(0, 3) != 0);
            break;
        case 12: {
            // Only functions the game itself does not call by name.
            struct Removable {
                const Char* cls;
                const Char* function;
            };
            const Removable removable[] = {{STR("TextBlock"), STR("SetColorAndOpacity")},
                                           {STR("InventoryBase"), STR("GetBaseConfigByPos")},
                                           {STR("DiscreteItemViewWidget"), STR("GetNumItems")}};
            const auto& pick = removable[in.ConsumeIntegralInRange(0, 2)];
            simhost::remove_function(simhost::find_class(pick.cls), pick.function);
            break;
        }
        case 13: {
            UObject* which = balance(in, screen);
            auto* base =
                simhost::read_field<UObject*>(which, simhost::game::balance_inventory_base);
            simhost::write_field<UObject*>(which, simhost::game::balance_inventory_base, nullptr);
            game("UpdateInventory without a base", [&] { simhost::game::update_inventory(which); });
            simhost::write_field(which, simhost::game::balance_inventory_base, base);
            break;
        }
        case 14: {
            // A text block of the trading screen outside any slot, or one with no outer at all.
            UObject* block = simhost::game::new_text_block(
                STR("Text_Value"), in.ConsumeBool() ? screen.main : nullptr);
            const String text = shown_text(in, 1);
            game("SetText elsewhere", [&] { simhost::game::set_text(block, text); });
            break;
        }
        default:
            if (in.ConsumeBool() || screen.slots.empty()) {
                arm_random_fault(in);
            } else {
                // One object whose name the host can never give.
                auto& slot =
                    screen
                        .slots[in.ConsumeIntegralInRange<std::size_t>(0, screen.slots.size() - 1)];
                UObject* objects[] = {slot.widget, slot.text_block, slot.slot_data,
                                      slot.config ? slot.config : slot.widget};
                simhost::fail_full_name_of(objects[in.ConsumeIntegralInRange(0, 3)],
                                           in.ConsumeBool() ? simhost::FaultKind::Standard
                                                            : simhost::FaultKind::Foreign);
            }
            break;
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    simhost::reset();
    {
        Screen screen = simhost::trading::build_screen();
        int index = 0;
        for (Panel panel : panels) {
            for (int n = 3 - in.ConsumeIntegralInRange(-2, 3); n > 0; --n) {
                screen.add(panel, random_item(in, index++));
            }
        }

        const Config settings = random_settings(in);
        std::int32_t counters[4] = {}; // value, list and text rows logged, skips
        if (in.ConsumeBool()) {
            // Near the caps of the row lines.
            counters[0] = in.ConsumeIntegralInRange(30, 40);
            counters[1] = in.ConsumeIntegralInRange(40, 50);
            counters[2] = in.ConsumeIntegralInRange(30, 40);
            counters[3] = in.ConsumeIntegralInRange(0, 120);
        }
        for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n) {
            arm_random_fault(in);
        }
        auto mod = std::make_unique<Tallyglass>();
        mod->config = settings;
        mod->value_rows_logged = counters[0];
        mod->list_rows_logged = counters[1];
        mod->text_rows_logged = counters[2];
        mod->text_append_skips = counters[3];
        mod->on_unreal_init();
        testing_support::make_hooks_strict();

        play(in, screen, *mod);

        mod.reset(); // a destructor that threw would end the run, found as a crash
        simhost::disarm_faults();
        if (simhost::callback_escapes() != 0) {
            fail("a hook let an exception out");
        }
        check_log();
    }
    simhost::reset();
    return 0;
}
