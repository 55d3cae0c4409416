// Every host call of one whole trade session made to fail in turn, once with a standard exception
// and once with a value of another type. What each faulted session must show follows from what
// the host recorded of the call, not from the order of the calls: the fault stays away from the
// game, the only failure line is the one of the hook that was running (or of registration or
// removal), written where the clean session would have gone on; only the helpers that name
// objects or read a text may absorb a fault without a line; and afterwards a fresh value text is
// still rewritten and no hook is left with the host.
//
// The slowest suite: some 850 whole sessions, one per fault, a few seconds natively and under the
// sanitizers; nothing in it waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <simhost/trading.hpp>

#include "mod/tallyglass.hpp"
#include "strict_hooks.hpp"
#include "support.hpp"

namespace {
using namespace tallyglass;
using simhost::CallRecord;
using simhost::FaultKind;
using simhost::Op;
using simhost::UObject;
using simhost::trading::Item;
using simhost::trading::Panel;
using testing_support::log_lines;
using testing_support::utf8;

using HookInfo = testing_support::StrictHook;
const auto& hooks = testing_support::strict_hooks;
const HookInfo& text_hook = hooks[3];
const std::string register_failed = "[Tallyglass] Failed to register hook for ";
const std::string unregister_failed = "[Tallyglass] Hook unregister failed for ";

std::vector<std::string> failure_lines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out), [](const std::string& l) {
        return l.starts_with(register_failed) || l.starts_with(unregister_failed) ||
               std::any_of(std::begin(hooks), std::end(hooks),
                           [&](const HookInfo& h) { return l.starts_with(h.failure); });
    });
    return out;
}

// The operation, what it was made on and its detail: for the failure messages only.
std::string record_label(const CallRecord& r) {
    std::string label = simhost::op_name(r.op);
    if (r.subject) {
        label += " on a " + utf8(simhost::class_name(simhost::class_of(r.subject)));
    }
    const std::string detail = utf8(r.detail);
    return detail.empty() ? label : label + " \"" + detail.substr(0, detail.find('\n')) + "\"";
}

// The calls made by the helpers that only name objects or read a text, and so absorb a fault
// without a line: the safe name of a hook's object, the text read, the walk from a text block up to
// its slot widget and the check of the slot's data object. Told from what each call was made on,
// not from where it stands in the session; the walk and the check come first for their objects,
// since what follows starts from the slot widget and the slot data they found.
std::vector<bool> absorbing_calls(const std::vector<CallRecord>& records) {
    std::vector<bool> out(records.size());
    std::set<std::tuple<std::uint64_t, Op, UObject*>> seen; // run, operation, object
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CallRecord& r = records[i];
        const bool first = seen.insert({r.callback, r.op, r.subject}).second;
        const bool naming = r.op == Op::GetFullName || r.op == Op::GetOuterPrivate;
        std::set<UObject*> below_slot;
        UObject* slot = r.context;
        for (; slot && utf8(simhost::class_name(simhost::class_of(slot))) != "W_Inventory_Slot_C";
             slot = simhost::outer_of(slot)) {
            below_slot.insert(slot);
        }
        if (r.callback == 0) {
            continue;
        }
        if (r.hook != text_hook.path) {
            out[i] = r.op == Op::GetFullName && r.subject == r.context && first;
            continue;
        }
        UObject* slot_data =
            slot ? simhost::read_field<UObject*>(slot, simhost::game::slot_widget_data) : nullptr;
        out[i] =
            r.op == Op::FTextToString || (naming && below_slot.count(r.subject)) ||
            (r.op == Op::GetFullName && first && (r.subject == slot || r.subject == slot_data));
    }
    return out;
}

// The k-th host call counted from the construction of the mod, or from the start of the unload
// (the fresh rewrite in between is the check, not a fault point).
struct Injection {
    bool at_unload;
    std::uint64_t nth;
    FaultKind kind;
};

struct Outcome {
    std::vector<std::string> log; // from the construction of the mod on
    std::vector<CallRecord> records;
    std::vector<std::string> labels; // of each record, taken while the objects lived
    std::vector<bool> absorbing;     // of each record: made by a helper that absorbs a fault
    std::uint64_t construct_end = 0, init_end = 0, trade_end = 0, unload_begin = 0, total = 0;
    std::uint64_t bind_end = 0; // the game's layout is read before the first registration
    std::uint64_t escapes = 0;  // exceptions that reached the game
    std::uint64_t faults_thrown = 0;
    std::string fresh_expected, fresh_text;
    bool in_text_rewrite = false;
    std::ptrdiff_t layout_lines = 0;     // "Game layout ..." lines
    std::vector<std::string> hooks_left; // registered with the host once the mod is gone
};

Item item(
    const Char* name, std::optional<std::int32_t> base, std::int32_t price,
    void (*more)(Item&) = [](Item&) {}) {
    Item out;
    out.name = name;
    out.base = base;
    out.price = price;
    more(out);
    return out;
}

// One trade session, both sides, ProbeValues and DebugLogging on; the row counters start just
// below their caps so that the cap lines are reached as well. Recorded when no fault is armed.
Outcome play(std::optional<Injection> fault = std::nullopt) {
    Outcome out;
    const bool record = !fault;
    simhost::reset();
    auto screen = simhost::trading::build_screen();
    screen.add(Panel::OfferBuy, item(STR("Sword{"), 133, 120));
    screen.add(Panel::OfferBuy, item(STR("Ring"), std::nullopt, 40));
    screen.add(Panel::OfferSell, item(STR("Pelt"), 80, 60));
    screen.add(Panel::OfferSell, item(STR("Cracked_Gem"), -5, 7));
    screen.add(Panel::Trader, item(STR("Axe"), 200, 150));
    screen.add(Panel::Trader, item(STR("Nail"), 4, 0));
    screen.add(Panel::Trader, item(STR("Flagged"), 9, 9, [](Item& i) { i.skip = true; }));
    screen.add(Panel::Trader, item(STR("Rope"), 30, 1250, [](Item& i) { i.text = STR("1,250"); }));
    screen.add(Panel::Trader, item(STR("Map"), 12, 75, [](Item& i) { i.text = STR("75 (9)"); }));
    screen.add(Panel::Trader, item(STR("Lute"), 64, 33, [](Item& i) { i.slot_data = false; }));
    screen.add(Panel::Player, item(STR("Chalice"), 300, 260));
    screen.add(Panel::Player, item(STR("Shard"), -1, 3));
    screen.add(Panel::Player, item(STR("Bone"), 0, 5));
    UObject* const fresh_block = screen.panel(Panel::OfferBuy)[0]->text_block;

    simhost::clear_log();
    simhost::record_calls(record);
    const std::uint64_t start = simhost::host_calls();
    auto calls = [&] { return simhost::host_calls() - start; };
    auto game = [&](const std::function<void()>& call) {
        try {
            call();
        } catch (...) {
            ++out.escapes;
        }
    };
    auto arm = [&](bool unload) {
        if (fault && fault->at_unload == unload) {
            simhost::arm_fault({std::nullopt, fault->nth, fault->kind});
        }
    };

    arm(false);
    auto mod = std::make_unique<Tallyglass>();
    out.construct_end = calls();
    mod->config = Config{};
    mod->config.ProbeValues = true;
    mod->config.DebugLogging = true;
    mod->value_rows_logged = 34;
    mod->list_rows_logged = 45;
    mod->text_rows_logged = 35;
    mod->on_unreal_init();
    testing_support::make_hooks_strict();
    out.init_end = calls();

    game([&] { screen.update_balances(); });
    game([&] { screen.fill_lists(); });
    game([&] { simhost::game::get_item_at(screen.trader_list, 0); });
    // Shown after the lists were filled: the hook reads its row on demand.
    screen.add(Panel::Trader, item(STR("Lamp"), 50, 45));
    game([&] { screen.set_texts(); });
    // The game in odd states, for the skip lines.
    game([&] { simhost::game::update_inventory_without_result(screen.sell_balance); });
    game([&] {
        simhost::game::ArrayHeaderOverride header;
        header.count = 257;
        simhost::game::set_balance_array_override(screen.sell_balance, header);
        simhost::game::update_inventory(screen.sell_balance);
        simhost::game::set_balance_array_override(screen.sell_balance, {});
    });
    game([&] {
        const auto field = simhost::game::balance_inventory_base;
        auto* base = simhost::read_field<UObject*>(screen.sell_balance, field);
        simhost::write_field<UObject*>(screen.sell_balance, field, nullptr);
        simhost::game::update_inventory(screen.sell_balance);
        simhost::write_field(screen.sell_balance, field, base);
    });
    game([&] {
        simhost::game::set_list_count_override(screen.player_list, -1);
        simhost::game::set_list_items(screen.player_list, screen.entries(Panel::Player));
        simhost::game::set_list_count_override(screen.player_list, std::nullopt);
    });
    game([&] { // a list without owner
        auto* loose =
            simhost::new_object(simhost::find_class(STR("DiscreteItemViewWidget")),
                                STR("LooseList"), simhost::outer_of(screen.trader_inventory_main));
        simhost::game::set_list_items(loose, screen.entries(Panel::Trader));
    });
    game([&] {
        auto* set_text = simhost::function_at(STR("/Script/UMG.TextBlock:SetText"));
        simhost::set_parms_size(set_text, 0);
        simhost::game::set_text(screen.panel(Panel::Player)[0]->text_block, STR("261"));
        simhost::set_parms_size(set_text, sizeof(RC::Unreal::FText));
    });
    out.trade_end = calls();

    simhost::disarm_faults();
    out.in_text_rewrite = mod->in_text_rewrite;
    // A fresh capture and a fresh price: rewritten unless the hooks it needs are not live;
    // without the value hook the slot's row comes from the trader's list, by position.
    const auto live = testing_support::registered_paths();
    auto is_live = [&](const HookInfo& h) {
        return std::count(live.begin(), live.end(), utf8(h.path)) > 0;
    };
    // Found by its slot only: without that match (its binding failed) it stays as the game set it.
    out.fresh_expected = !is_live(text_hook) || !mod->layout.on(Part::SlotMatch) ||
                                 (!is_live(hooks[0]) && !is_live(hooks[1]))
                             ? "121"
                         : is_live(hooks[0]) ? "121 (99)"
                                             : "121 (150)";
    game([&] { simhost::game::update_inventory(screen.buy_balance); });
    game([&] { simhost::game::set_text(fresh_block, STR("121")); });
    out.fresh_text = utf8(simhost::game::text_of(fresh_block));
    out.unload_begin = calls();

    arm(true);
    mod.reset(); // a destructor that threw would end the whole run
    out.total = calls();
    simhost::disarm_faults();
    out.hooks_left = testing_support::registered_paths();
    out.log = log_lines();
    out.layout_lines = std::count_if(out.log.begin(), out.log.end(), [](const std::string& l) {
        return l.starts_with("[Tallyglass] Game layout ");
    });
    out.escapes += simhost::callback_escapes();
    out.faults_thrown = simhost::faults_thrown();
    if (record) {
        out.records = simhost::call_records();
        for (const auto& r : out.records) {
            out.labels.push_back(record_label(r));
        }
        out.absorbing = absorbing_calls(out.records);
        const auto first_register =
            std::find_if(out.records.begin(), out.records.end(),
                         [](const CallRecord& r) { return r.op == Op::RegisterHook; });
        out.bind_end = static_cast<std::uint64_t>(first_register - out.records.begin()) - 1;
    }
    simhost::reset();
    return out;
}

// What failing one host call of the clean session may lead to, from what the host recorded of it.
struct Expectation {
    std::string site;                // for the messages
    std::optional<std::string> line; // the failure line, message excluded; none: written quietly
    bool absorbs = false;            // a helper that only names objects or reads a text
    std::string kept_hook;           // the hook the host refused to remove
};

Expectation expect(const Outcome& ref, std::size_t i, const std::string& path) {
    const CallRecord& r = ref.records[i];
    const std::string& what = ref.labels[i];
    if (i < ref.construct_end) {
        return {"constructor / " + what, std::nullopt, false, ""};
    }
    if (i < ref.init_end) {
        if (r.op == Op::OutputSend) { // a registered hook stays recorded as registered
            return {"on_unreal_init / " + what, std::nullopt, false, ""};
        }
        if (i < ref.bind_end) { // the binding it struck fails, with its own line
            return {"bind_game_layout / " + what, std::nullopt, false, ""};
        }
        return {"register_hook / " + what, register_failed + path + ": ", false, ""};
    }
    if (i >= ref.unload_begin) {
        return {"unregister_hook / " + what, unregister_failed + path + "; continuing unload.\n",
                false, r.op == Op::UnregisterHook ? path : ""};
    }
    const auto* hook = std::find_if(std::begin(hooks), std::end(hooks),
                                    [&](const HookInfo& h) { return r.hook == h.path; });
    if (hook == std::end(hooks)) {
        ADD_FAILURE() << "host call " << i + 1 << " outside every hook: " << what;
        return {what, std::nullopt, false, ""};
    }
    return {std::string(hook->name) + " / " + what, hook->failure, ref.absorbing[i], ""};
}

// The clean session first: it must reach every odd state; then each of its host calls fails.
TEST(FaultSweep, EveryHostCallOfATradeSessionFailsInTurn) {
    const Outcome ref = play();
    ASSERT_EQ(ref.records.size(), ref.total);
    ASSERT_EQ(ref.escapes, 0u);
    ASSERT_TRUE(failure_lines(ref.log).empty());
    ASSERT_EQ(ref.fresh_text, "121 (99)");
    ASSERT_TRUE(ref.hooks_left.empty());
    for (const char* part :
         {"ValueDisplay row cap reached", "LeftList row cap reached",
          "TextBlockAppend row cap reached", "array pointer unavailable",
          "m_InventoryBaseTrading is null for side=trade-sell", "implausible item count=-1",
          "InventoryBase not found", "implausible FText size 0"}) {
        EXPECT_EQ(std::count_if(ref.log.begin(), ref.log.end(),
                                [&](const std::string& l) { return l.find(part) != l.npos; }),
                  1)
            << part;
    }
    std::map<std::string, int> by_op; // fault points per operation
    std::size_t points = 0, reported = 0, absorbed = 0, failures = 0;
    std::string path;                // of the hook last looked up, registered or removed
    std::ptrdiff_t lines_before = 0; // the clean session's lines before the failing call
    for (std::size_t i = 0; i < ref.records.size(); ++i) {
        const Op op = ref.records[i].op;
        if (op == Op::StaticFindObject || op == Op::RegisterHook || op == Op::UnregisterHook) {
            path = utf8(ref.records[i].detail);
        }
        lines_before += i > 0 && ref.records[i - 1].op == Op::OutputSend ? 1 : 0;
        if (i >= ref.trade_end && i < ref.unload_begin) {
            continue;
        }
        const Expectation e = expect(ref, i, path);
        ++points;
        ++by_op[simhost::op_name(op)];
        for (FaultKind kind : {FaultKind::Standard, FaultKind::Foreign}) {
            const bool unload = i >= ref.unload_begin;
            const Outcome run =
                play(Injection{unload, unload ? i - ref.unload_begin + 1 : i + 1, kind});
            const std::string message =
                kind == FaultKind::Foreign
                    ? "unknown exception.\n"
                    : "simulated host fault in " + std::string(simhost::op_name(op)) + "\n";
            const auto got = failure_lines(run.log);
            std::vector<std::string> want;
            if (e.line && !e.absorbs) {
                want.push_back(*e.line + (e.line->ends_with('\n') ? "" : message));
            }
            (want.empty() ? absorbed : reported) += kind == FaultKind::Standard ? 1 : 0;
            const std::vector<std::string> left =
                e.kept_hook.empty() ? std::vector<std::string>{} : std::vector{e.kept_hook};
            const std::pair<bool, std::string> checks[] = {
                {run.faults_thrown == 1, "the fault did not fire exactly once"},
                {run.escapes == 0, "an exception reached the game"},
                {got == want, "failure lines were {" + (got.empty() ? "" : got.front()) + "...}"},
                {want.empty() || (std::ssize(run.log) > lines_before &&
                                  std::equal(ref.log.begin(), ref.log.begin() + lines_before,
                                             run.log.begin()) &&
                                  run.log[static_cast<std::size_t>(lines_before)] == want.front()),
                 "the failure line does not follow the clean session's lines up to the fault"},
                {!run.in_text_rewrite, "the re-entry guard stayed set"},
                {run.layout_lines == (e.site.starts_with("bind_game_layout") ? 1 : 0),
                 "not one layout line for a fault while the layout is read"},
                {run.fresh_text == run.fresh_expected,
                 "the fresh text became \"" + run.fresh_text + "\""},
                {run.hooks_left == left, "wrong hooks left with the host after the unload"},
            };
            for (const auto& [ok, what] : checks) {
                if (!ok) {
                    ADD_FAILURE() << "host call " << i + 1 << " ("
                                  << (kind == FaultKind::Standard ? "std::exception"
                                                                  : "foreign value")
                                  << "): " << e.site << ": " << what;
                    ASSERT_LT(++failures, 40u) << "too many failing rows; stopping";
                }
            }
        }
    }
    EXPECT_EQ(by_op.size(), simhost::op_count) << "every operation of the host fails at least once";
    EXPECT_GT(absorbed, 0u) << "the naming helpers absorb their faults";
    std::cout << "fault sweep: " << points << " fault points x 2 kinds = " << points * 2
              << " faulted sessions; " << reported << " with a failure line, " << absorbed
              << " absorbed or written quietly;";
    for (const auto& [op, n] : by_op) {
        std::cout << " " << op << "=" << n;
    }
    std::cout << "\n";
}
} // namespace
