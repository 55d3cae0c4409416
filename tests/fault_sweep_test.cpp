// Every host call of one whole trade session made to fail in turn, once with a standard exception
// and once with a value of another type. Each run must keep the fault away from the game, write
// the failure line of the step that was running (or none, where a helper absorbs the fault by
// design), still rewrite a fresh value text afterwards and leave no text value alive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
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

std::string class_of(UObject* object) {
    return object ? utf8(simhost::class_name(simhost::class_of(object))) : "(none)";
}

// The operation and what it was made on; a log line without its variable parts.
std::string record_label(const CallRecord& r) {
    const std::string op = simhost::op_name(r.op), on = " on a " + class_of(r.subject);
    std::string kind = utf8(r.detail);
    kind = kind.substr(0, kind.find_first_of("#=/0123456789\n"));
    kind.resize(kind.find_last_not_of(" :") + 1);
    switch (r.op) {
    case Op::GetFullName:
    case Op::GetOuterPrivate:
        return op + " of a " + class_of(r.subject);
    case Op::GetFunctionByNameInChain:
        return op + " \"" + utf8(r.detail) + "\"" + on;
    case Op::ProcessEvent:
        return op + " " + utf8(r.detail) + on;
    case Op::OutputSend:
        return op + " \"" + kind + "\"";
    default:
        return op;
    }
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
    std::vector<std::string> labels, classes; // of each record, taken while the objects lived
    std::set<std::size_t> skipping_runs;      // first record of each TextBlock run that skipped
    std::uint64_t construct_end = 0, init_end = 0, trade_end = 0, unload_begin = 0, total = 0;
    std::uint64_t escapes = 0; // exceptions that reached the game
    std::uint64_t faults_thrown = 0;
    std::string fresh_expected, fresh_text;
    bool in_text_rewrite = false;
    std::int32_t skips = 0;
    std::vector<std::string> hooks_left; // registered with the host once the mod is gone
    long texts_left = 0;                 // text values alive after the world is gone
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
    const long texts_before = simhost::live_texts();
    auto screen = simhost::trading::build_screen();
    screen.add(Panel::OfferBuy, item(STR("Sword"), 133, 120));
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
    if (record) { // which TextBlock runs skip their text anyway, to judge an unreadable text by
        simhost::replace_post_callback(text_hook.path,
                                       [&out, m = mod.get()](host::Context& context, void* data) {
                                           const std::size_t first = simhost::call_records().size();
                                           const std::int32_t skips = m->text_append_skips;
                                           text_hook.callback(context, data);
                                           if (m->text_append_skips != skips) {
                                               out.skipping_runs.insert(first);
                                           }
                                       });
    }
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
        simhost::set_text_static_size(0);
        simhost::game::set_text(screen.panel(Panel::Player)[0]->text_block, STR("261"));
        simhost::set_text_static_size(std::nullopt);
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
    out.fresh_expected = !is_live(text_hook) ? "121" : is_live(hooks[0]) ? "121 (99)" : "121 (150)";
    game([&] { simhost::game::update_inventory(screen.buy_balance); });
    game([&] { simhost::game::set_text(fresh_block, STR("121")); });
    out.fresh_text = utf8(simhost::game::text_of(fresh_block));
    out.skips = mod->text_append_skips;
    out.unload_begin = calls();

    arm(true);
    mod.reset(); // a destructor that threw would end the whole run
    out.total = calls();
    simhost::disarm_faults();
    out.hooks_left = testing_support::registered_paths();
    out.log = log_lines();
    out.escapes += simhost::callback_escapes();
    out.faults_thrown = simhost::faults_thrown();
    if (record) {
        out.records = simhost::call_records();
        for (const auto& r : out.records) {
            out.labels.push_back(record_label(r));
            out.classes.push_back(class_of(r.subject));
        }
    }
    simhost::reset();
    out.texts_left = simhost::live_texts() - texts_before;
    return out;
}

// What failing one host call of the reference session must lead to.
struct Expectation {
    std::string site; // where the call is made; empty for the fresh rewrite (no fault point)
    std::optional<std::string> line; // the failure line, message excluded; none: absorbed
    bool skip_counted = false;       // one skip more than the clean session
    std::string kept_hook;           // the hook the host refused to remove
};

// Classifies every host call of the reference session by the step that made it. Steps inside a
// hook's guard must report; the named helpers absorb a fault without a line by design.
std::vector<Expectation> classify(const Outcome& ref) {
    std::vector<Expectation> out(ref.records.size());
    std::string path; // of the last RegisterHook or UnregisterHook
    // Where a TextBlock run stands: the steps before the row lookup absorb host failures.
    enum class Step { Name, Walk, SlotData, Rest };
    struct Run {
        std::size_t first;     // record of the run's first host call
        std::size_t calls = 0; // host calls of the run so far
        Step step = Step::Name;
    };
    std::map<std::uint64_t, Run> runs; // by callback run; a nested run interrupts its caller
    for (std::size_t i = 0; i < ref.records.size(); ++i) {
        const CallRecord& r = ref.records[i];
        Expectation& e = out[i];
        const std::string& what = ref.labels[i];
        const bool name_or_outer = r.op == Op::GetFullName || r.op == Op::GetOuterPrivate;
        if (r.op == Op::RegisterHook || r.op == Op::UnregisterHook) {
            path = utf8(r.detail);
        }
        if (i < ref.construct_end) {
            e.site = "constructor / written quietly / " + what;
        } else if (i < ref.init_end && r.op == Op::OutputSend) {
            // Outside any hook guard; a registered hook stays recorded as registered.
            e.site = "on_unreal_init / written quietly / " + what;
        } else if (i < ref.init_end) {
            e.site = "register_hook / " + what;
            e.line = register_failed + path + ": ";
        } else if (i >= ref.unload_begin) {
            e.site = "unregister_hook / " + what;
            e.line = unregister_failed + path + "; continuing unload.\n";
            e.kept_hook = r.op == Op::UnregisterHook ? path : "";
        }
        if (i < ref.init_end || i >= ref.trade_end) {
            continue;
        }
        const auto* hook = std::find_if(std::begin(hooks), std::end(hooks),
                                        [&](const HookInfo& h) { return r.hook == h.path; });
        if (hook == std::end(hooks)) {
            ADD_FAILURE() << "host call " << i + 1 << " outside every hook: " << what;
            continue;
        }
        Run& run = runs.try_emplace(r.callback, Run{i}).first->second;
        auto absorbed = [&](const char* step) {
            e.site = std::string(hook->name) + " / " + step + " / " + what;
        };
        const std::string& subject = ref.classes[i];
        const bool text = hook == &text_hook;
        if (++run.calls == 1 && r.op == Op::GetFullName) {
            absorbed("safe name of the context");
        } else if (text && run.step == Step::Name && r.op == Op::FTextToString) {
            run.step = Step::Walk;
            absorbed("text read");
            e.skip_counted = !ref.skipping_runs.count(run.first);
        } else if (text && run.step == Step::Walk && name_or_outer) {
            if (r.op == Op::GetFullName && subject == "W_Inventory_Slot_C") {
                run.step = Step::SlotData; // the walk ends at the slot widget
            }
            absorbed("slot widget walk");
        } else if (text && run.step == Step::SlotData && r.op == Op::GetFullName &&
                   subject == "InventorySlotData") {
            run.step = Step::Rest;
            absorbed("slot data check");
        } else {
            run.step = Step::Rest;
        }
        if (e.site.empty()) {
            e.site = std::string(hook->name) + " / guarded / " + what;
            e.line = hook->failure;
        }
    }
    return out;
}

// The clean session first: it must reach every odd state; then each of its host calls fails.
TEST(FaultSweep, EveryHostCallOfATradeSessionFailsInTurn) {
    const Outcome ref = play();
    ASSERT_EQ(ref.records.size(), ref.total);
    ASSERT_EQ(ref.escapes, 0u);
    ASSERT_TRUE(failure_lines(ref.log).empty());
    ASSERT_EQ(ref.fresh_text, "121 (99)");
    ASSERT_TRUE(ref.hooks_left.empty());
    ASSERT_EQ(ref.texts_left, 0);
    ASSERT_EQ(ref.skips, 4) << "no row for the gem, the flagged item and the shard; the size";
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
    const std::vector<Expectation> expected = classify(ref);
    std::map<std::string, int> sites, by_op; // fault points per site and per operation
    std::size_t points = 0, reported = 0, thrown = 0, failures = 0;
    for (std::size_t i = 0; i < ref.records.size(); ++i) {
        const Expectation& e = expected[i];
        if (i >= ref.trade_end && i < ref.unload_begin) {
            continue;
        }
        const Op op = ref.records[i].op;
        ++points;
        reported += e.line ? 1 : 0;
        ++sites[e.site];
        ++by_op[simhost::op_name(op)];
        // The lines the clean session wrote before the failing call; the failure line comes next.
        const auto lines_before = static_cast<std::ptrdiff_t>(
            std::count_if(ref.records.begin(), ref.records.begin() + static_cast<std::ptrdiff_t>(i),
                          [](const CallRecord& r) { return r.op == Op::OutputSend; }));
        for (FaultKind kind : {FaultKind::Standard, FaultKind::Foreign}) {
            const bool unload = i >= ref.unload_begin;
            const Outcome run =
                play(Injection{unload, unload ? i - ref.unload_begin + 1 : i + 1, kind});
            const std::string message =
                kind == FaultKind::Foreign
                    ? "unknown exception.\n"
                    : "simulated host fault in " + std::string(simhost::op_name(op)) + "\n";
            std::vector<std::string> want;
            if (e.line) {
                want.push_back(*e.line + (e.line->ends_with('\n') ? "" : message));
            }
            const auto got = failure_lines(run.log);
            const std::vector<std::string> left =
                e.kept_hook.empty() ? std::vector<std::string>{} : std::vector{e.kept_hook};
            const std::pair<bool, std::string> checks[] = {
                {run.faults_thrown == 1, "the fault did not fire exactly once"},
                {run.escapes == 0, "an exception reached the game"},
                {got == want, "failure lines were {" + (got.empty() ? "" : got.front()) + "...}"},
                {!e.line || (std::ssize(run.log) > lines_before &&
                             std::equal(ref.log.begin(), ref.log.begin() + lines_before,
                                        run.log.begin()) &&
                             run.log[static_cast<std::size_t>(lines_before)] == want.front()),
                 "the failure line does not follow the clean session's lines up to the fault"},
                {!run.in_text_rewrite, "the re-entry guard stayed set"},
                {run.fresh_text == run.fresh_expected,
                 "the fresh text became \"" + run.fresh_text + "\""},
                {run.texts_left == 0, "a text value outlived the session"},
                {run.hooks_left == left, "wrong hooks left with the host after the unload"},
                {!e.skip_counted || run.skips == ref.skips + 1,
                 "the unreadable text was not counted as a skip"},
            };
            thrown += run.faults_thrown;
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
    EXPECT_EQ(by_op.size(), 10u) << "every operation of the host fails at least once";
    EXPECT_EQ(thrown, 2 * points) << "every host call of the session, so every step, failed";

    std::cout << "fault sweep: " << points << " fault points x 2 kinds = " << points * 2
              << " faulted sessions; " << reported << " with a failure line, " << points - reported
              << " absorbed; " << sites.size() << " distinct call steps;";
    for (const auto& [op, n] : by_op) {
        std::cout << " " << op << "=" << n;
    }
    std::cout << "\n";
    if (std::getenv("TALLYGLASS_SWEEP_REPORT")) {
        for (const auto& line : ref.log) {
            std::cout << line;
        }
        for (const auto& [site, n] : sites) {
            std::cout << "  " << n << "\t" << site << "\n";
        }
    }
}
} // namespace
