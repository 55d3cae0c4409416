// Every host call of one whole trade session made to fail in turn, once with a standard exception
// and once with a value of another type. Each run must keep the fault away from the game, write
// the failure line of the step that was running (or none, where a helper absorbs the fault by
// design), still rewrite a fresh value text afterwards and leave no text value alive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <simhost/trading.hpp>

#include "mod/tallyglass.hpp"
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

// The hook bodies as the host reaches them through the mod's dispatch, minus the dispatch's
// last-resort catch: whatever a body lets out reaches the engine, which counts it.
template <void (Tallyglass::*Body)(host::Context&)> void strict(host::Context& context, void* mod) {
    (static_cast<Tallyglass*>(mod)->*Body)(context);
}

struct HookInfo {
    const Char* path;
    void (*callback)(host::Context&, void*);
    const char* name;
    const char* failure; // the failure line's prefix
};
const HookInfo hook_table[] = {
    {STR("/Script/G1R.TradingBalanceInventory:UpdateInventory"),
     strict<&Tallyglass::handle_update_inventory>, "value hook",
     "[Tallyglass] Value hook failed: "},
    {STR("/Script/G1R.DiscreteItemViewWidget:SetListItemsBP"),
     strict<&Tallyglass::handle_set_list_items>, "list hook", "[Tallyglass] List hook failed: "},
    {STR("/Script/G1R.DiscreteItemViewWidget:GetItemAt"), strict<&Tallyglass::handle_get_item_at>,
     "GetItemAt hook", "[Tallyglass] GetItemAt hook failed: "},
    {STR("/Script/UMG.TextBlock:SetText"), strict<&Tallyglass::on_text_block_set_text>,
     "TextBlock hook", "[Tallyglass] TextBlock value append failed: "},
};

const HookInfo* hook_named(const String& path) {
    for (const auto& hook : hook_table) {
        if (path == hook.path) {
            return &hook;
        }
    }
    return nullptr;
}

// Every line that reports a failure starts with one of these.
const char* const failure_prefixes[] = {
    "[Tallyglass] Value hook failed: ",          "[Tallyglass] List hook failed: ",
    "[Tallyglass] GetItemAt hook failed: ",      "[Tallyglass] TextBlock value append failed: ",
    "[Tallyglass] Failed to register hook for ", "[Tallyglass] Hook unregister failed for ",
};

std::vector<std::string> failure_lines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        for (const char* prefix : failure_prefixes) {
            if (line.rfind(prefix, 0) == 0) {
                out.push_back(line);
            }
        }
    }
    return out;
}

Item item(const Char* name, std::optional<std::int32_t> base, std::int32_t price,
          void (*more)(Item&) = nullptr) {
    Item out;
    out.name = name;
    out.base = base;
    out.price = price;
    if (more) {
        more(out);
    }
    return out;
}

// The session's phases: faults are counted from the construction of the mod through
// on_unreal_init and the trade, or from the start of the unload. The fresh rewrite in between is
// the check, not a fault point.
enum class Phase { Start, Unload };

struct Fault {
    Phase phase;
    std::uint64_t nth;
    FaultKind kind;
};

struct Outcome {
    std::vector<std::string> log; // from the construction of the mod on
    std::vector<CallRecord> records;
    std::vector<std::string> labels;     // of each record, while the objects still lived
    std::vector<std::string> classes;    // of each record's subject
    std::set<std::size_t> skipping_runs; // first record of each TextBlock run that skipped
    std::uint64_t construct_calls = 0;
    std::uint64_t init_calls = 0; // construction included
    std::uint64_t trade_calls = 0;
    std::uint64_t fresh_calls = 0;
    std::uint64_t unload_calls = 0;
    std::vector<std::string> game_escapes; // game calls that threw, by name
    std::uint64_t callback_escapes = 0;
    std::uint64_t faults_thrown = 0;
    // What the fresh text must become with the hooks live in the host: without the value hook
    // the slot's row comes from the trader's list, by position.
    std::string fresh_expected;
    std::string fresh_text;
    bool in_text_rewrite = false;
    std::int32_t skips = 0;
    std::vector<std::string> hooks_left; // registered with the host once the mod is gone
    long texts_left = 0;                 // text values alive after the world is gone
};

std::string record_label(const CallRecord& record);
std::string class_of(UObject* object);

// One trade session, both sides, ProbeValues and DebugLogging on; the row counters start just
// below their caps so that the cap lines are reached as well.
Outcome play(std::optional<Fault> fault, bool record) {
    Outcome out;
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
    auto game = [&](const char* what, const std::function<void()>& call) {
        try {
            call();
        } catch (...) {
            out.game_escapes.push_back(what);
        }
    };
    auto arm = [&](Phase phase) {
        if (fault && fault->phase == phase) {
            simhost::arm_fault({std::nullopt, fault->nth, fault->kind});
        }
    };

    arm(Phase::Start);
    auto mod = std::make_unique<Tallyglass>();
    out.construct_calls = simhost::host_calls() - start;
    mod->config = Config{};
    mod->config.ProbeValues = true;
    mod->config.DebugLogging = true;
    mod->value_rows_logged = 34;
    mod->list_rows_logged = 45;
    mod->text_rows_logged = 35;
    mod->on_unreal_init();
    for (const auto& hook : hook_table) {
        simhost::replace_post_callback(hook.path, hook.callback);
    }
    if (record) {
        // Which TextBlock runs skip their text anyway, to judge an unreadable text by.
        simhost::replace_post_callback(hook_table[3].path,
                                       [&out, m = mod.get()](host::Context& context, void* data) {
                                           const std::size_t first = simhost::call_records().size();
                                           const std::int32_t skips = m->text_append_skips;
                                           hook_table[3].callback(context, data);
                                           if (m->text_append_skips != skips) {
                                               out.skipping_runs.insert(first);
                                           }
                                       });
    }
    out.init_calls = simhost::host_calls() - start;

    game("open: balances", [&] { screen.update_balances(); });
    game("open: lists", [&] { screen.fill_lists(); });
    game("GetItemAt elsewhere", [&] { simhost::game::get_item_at(screen.trader_list, 0); });
    // Shown after the lists were filled: the hook reads its row on demand.
    screen.add(Panel::Trader, item(STR("Lamp"), 50, 45));
    game("open: texts", [&] { screen.set_texts(); });
    // The game in odd states, for the skip lines.
    game("no return value",
         [&] { simhost::game::update_inventory_without_result(screen.sell_balance); });
    game("implausible array", [&] {
        simhost::game::ArrayHeaderOverride header;
        header.count = 257;
        simhost::game::set_balance_array_override(screen.sell_balance, header);
        simhost::game::update_inventory(screen.sell_balance);
        simhost::game::set_balance_array_override(screen.sell_balance, {});
    });
    game("no inventory base", [&] {
        auto* base = simhost::read_field<UObject*>(screen.sell_balance,
                                                   simhost::game::balance_inventory_base);
        simhost::write_field<UObject*>(screen.sell_balance, simhost::game::balance_inventory_base,
                                       nullptr);
        simhost::game::update_inventory(screen.sell_balance);
        simhost::write_field(screen.sell_balance, simhost::game::balance_inventory_base, base);
    });
    game("implausible count", [&] {
        simhost::game::set_list_count_override(screen.player_list, -1);
        simhost::game::set_list_items(screen.player_list, screen.entries(Panel::Player));
        simhost::game::set_list_count_override(screen.player_list, std::nullopt);
    });
    game("list without owner", [&] {
        auto* loose =
            simhost::new_object(simhost::find_class(STR("DiscreteItemViewWidget")),
                                STR("LooseList"), simhost::outer_of(screen.trader_inventory_main));
        simhost::game::set_list_items(loose, screen.entries(Panel::Trader));
    });
    game("implausible text size", [&] {
        simhost::set_text_static_size(0);
        simhost::game::set_text(screen.panel(Panel::Player)[0]->text_block, STR("261"));
        simhost::set_text_static_size(std::nullopt);
    });
    out.trade_calls = simhost::host_calls() - start - out.init_calls;

    simhost::disarm_faults();
    out.in_text_rewrite = mod->in_text_rewrite;
    // A fresh capture and a fresh price: rewritten unless the hooks it needs are not live.
    std::set<String> live;
    for (const auto& path : simhost::registered_paths()) {
        live.insert(path);
    }
    out.fresh_expected = !live.count(hook_table[3].path)  ? "121"
                         : live.count(hook_table[0].path) ? "121 (99)"
                                                          : "121 (150)";
    game("fresh capture", [&] { simhost::game::update_inventory(screen.buy_balance); });
    game("fresh text", [&] { simhost::game::set_text(fresh_block, STR("121")); });
    out.fresh_text = utf8(simhost::game::text_of(fresh_block));
    out.skips = mod->text_append_skips;
    const std::uint64_t before_unload = simhost::host_calls();
    out.fresh_calls = before_unload - start - out.init_calls - out.trade_calls;

    arm(Phase::Unload);
    mod.reset(); // a destructor that threw would end the whole run
    out.unload_calls = simhost::host_calls() - before_unload;
    simhost::disarm_faults();
    for (const auto& path : simhost::registered_paths()) {
        out.hooks_left.push_back(utf8(path));
    }

    out.log = log_lines();
    out.callback_escapes = simhost::callback_escapes();
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

std::string class_of(UObject* object) {
    return object ? utf8(simhost::class_name(simhost::class_of(object))) : "(none)";
}

// A log line without its variable parts: the text up to the first number, name or path.
std::string line_kind(const String& line) {
    std::string text = utf8(line);
    auto end = text.find_first_of("#=/0123456789\n");
    text = text.substr(0, end);
    while (!text.empty() && (text.back() == ' ' || text.back() == ':')) {
        text.pop_back();
    }
    return text;
}

// The operation and what it was made on.
std::string record_label(const CallRecord& record) {
    std::string label = simhost::op_name(record.op);
    switch (record.op) {
    case Op::GetFullName:
    case Op::GetOuterPrivate:
        return label + " of a " + class_of(record.subject);
    case Op::GetFunctionByNameInChain:
        return label + " \"" + utf8(record.detail) + "\" on a " + class_of(record.subject);
    case Op::ProcessEvent:
        return label + " " + utf8(record.detail) + " on a " + class_of(record.subject);
    case Op::OutputSend:
        return label + " \"" + line_kind(record.detail) + "\"";
    default:
        return label;
    }
}

// What failing one host call of the reference session must lead to.
struct Expectation {
    std::string site;                // where the call is made, for the report and failing rows
    std::optional<std::string> line; // the failure line without its message; none: absorbed
    enum class Message { Exception, Fixed } message = Message::Exception;
    enum class Extra {
        None,
        SkipCounted,   // one skip more than the clean session
        HookNotRemoved // the host kept the hook it was asked to remove
    } extra = Extra::None;
    std::string path; // of the hook the host kept
};

// Classifies every host call of the reference session by the step that made it. Steps inside a
// hook's guard must report; the named helpers absorb a fault without a line by design.
std::vector<Expectation> classify(const Outcome& reference) {
    const auto& records = reference.records;
    std::vector<Expectation> out(records.size());
    const std::uint64_t trade_end = reference.init_calls + reference.trade_calls;
    const std::uint64_t unload_begin = trade_end + reference.fresh_calls;
    String last_hook_path; // of the last RegisterHook or UnregisterHook
    // Where a TextBlock run stands: the steps before the row lookup absorb host failures.
    enum class Step { Name, Walk, SlotData, Rest };
    struct Run {
        std::size_t first;     // record of the run's first host call
        std::size_t calls = 0; // host calls of the run so far
        Step step = Step::Name;
    };
    std::map<std::uint64_t, Run> runs; // by callback run; a nested run interrupts its caller
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CallRecord& r = records[i];
        Expectation& e = out[i];
        const std::string what = reference.labels[i];
        if (r.op == Op::RegisterHook || r.op == Op::UnregisterHook) {
            last_hook_path = r.detail;
        }
        if (i >= trade_end && i < unload_begin) {
            e.site = "fresh rewrite / " + what;
            continue; // not a fault point
        }
        if (i < reference.construct_calls) {
            e.site = "constructor / written quietly / " + what;
            continue;
        }
        if (i < reference.init_calls) {
            if (r.op == Op::OutputSend) {
                // Outside any hook guard; a registered hook stays recorded as registered.
                e.site = "on_unreal_init / written quietly / " + what;
                continue;
            }
            e.site = "register_hook / " + what;
            e.line = "[Tallyglass] Failed to register hook for " + utf8(last_hook_path) + ": ";
            continue;
        }
        if (i >= unload_begin) {
            e.site = "unregister_hook / " + what;
            e.line = "[Tallyglass] Hook unregister failed for " + utf8(last_hook_path) +
                     "; continuing unload.\n";
            e.message = Expectation::Message::Fixed;
            if (r.op == Op::UnregisterHook) {
                e.extra = Expectation::Extra::HookNotRemoved;
                e.path = utf8(last_hook_path);
            }
            continue;
        }
        const HookInfo* hook = hook_named(r.hook);
        if (!hook) {
            e.site = "outside every hook / " + what; // fails the reference test
            continue;
        }
        Run& run = runs.try_emplace(r.callback, Run{i}).first->second;
        const std::string at = std::string(hook->name) + " / ";
        if (++run.calls == 1 && r.op == Op::GetFullName) {
            e.site = at + "safe name of the context / " + what;
            continue;
        }
        if (hook == &hook_table[3]) {
            const std::string& subject = reference.classes[i];
            if (run.step == Step::Name && r.op == Op::FTextToString) {
                run.step = Step::Walk;
                e.site = at + "text read / " + what;
                if (!reference.skipping_runs.count(run.first)) {
                    e.extra = Expectation::Extra::SkipCounted;
                }
                continue;
            }
            if (run.step == Step::Walk &&
                (r.op == Op::GetFullName || r.op == Op::GetOuterPrivate)) {
                if (r.op == Op::GetFullName && subject == "W_Inventory_Slot_C") {
                    run.step = Step::SlotData; // the walk ends at the slot widget
                }
                e.site = at + "slot widget walk / " + what;
                continue;
            }
            if (run.step == Step::SlotData && r.op == Op::GetFullName &&
                subject == "InventorySlotData") {
                run.step = Step::Rest;
                e.site = at + "slot data check / " + what;
                continue;
            }
            run.step = Step::Rest;
        }
        e.site = at + "guarded / " + what;
        e.line = hook->failure;
    }
    return out;
}

std::string message_of(FaultKind kind, Op op) {
    return kind == FaultKind::Standard
               ? std::string("simulated host fault in ") + simhost::op_name(op) + "\n"
               : "unknown exception.\n";
}

TEST(FaultSweep, TheReferenceSessionIsCleanAndReachesEveryOperation) {
    Outcome ref = play(std::nullopt, true);
    if (std::getenv("TALLYGLASS_SWEEP_REPORT")) {
        for (const auto& line : ref.log) {
            std::cout << line;
        }
    }
    EXPECT_TRUE(ref.game_escapes.empty());
    EXPECT_EQ(ref.callback_escapes, 0u);
    EXPECT_TRUE(failure_lines(ref.log).empty());
    EXPECT_EQ(ref.fresh_text, "121 (99)");
    EXPECT_TRUE(ref.hooks_left.empty());
    EXPECT_EQ(ref.texts_left, 0);
    EXPECT_EQ(ref.skips, 4) << "no row for the gem, the flagged item and the shard; the size";
    // The cap lines and every skip line the odd game states lead to are part of the session.
    for (const char* line : {
             "[Tallyglass] ValueDisplay row cap reached; further rows are suppressed this "
             "session.\n",
             "[Tallyglass] LeftList row cap reached; further rows are suppressed this session.\n",
             "[Tallyglass] TextBlockAppend row cap reached; further applied rows are suppressed "
             "this session.\n",
             "[Tallyglass] Value hook skipped: UpdateInventory return array pointer "
             "unavailable.\n",
             "[Tallyglass] Value hook skipped: m_InventoryBaseTrading is null for "
             "side=trade-sell.\n",
             "[Tallyglass] List hook skipped: implausible item count=-1.\n",
             "[Tallyglass] List hook skipped: owner InventoryBaseTrading/InventoryBase not found "
             "for side=trade-buy.\n",
             "[Tallyglass] TextAppend skipped: implausible FText size 0.\n",
         }) {
        EXPECT_EQ(std::count(ref.log.begin(), ref.log.end(), line), 1) << line;
    }
    std::set<Op> ops;
    for (const auto& r : ref.records) {
        ops.insert(r.op);
    }
    EXPECT_EQ(ops.size(), 10u) << "every kind of host call is made";
    for (const auto& e : classify(ref)) {
        EXPECT_EQ(e.site.rfind("outside every hook", 0), std::string::npos) << e.site;
    }
}

TEST(FaultSweep, EveryHostCallOfATradeSessionFailsInTurn) {
    const Outcome ref = play(std::nullopt, true);
    const std::vector<Expectation> expected = classify(ref);
    const std::uint64_t trade_end = ref.init_calls + ref.trade_calls;
    const std::uint64_t unload_begin = trade_end + ref.fresh_calls;
    ASSERT_EQ(ref.records.size(), unload_begin + ref.unload_calls);

    std::map<std::string, int> sites; // fault points per site
    std::map<std::string, int> by_op; // fault points per operation
    std::size_t points = 0;
    int failures = 0;
    for (std::size_t i = 0; i < ref.records.size(); ++i) {
        if (i >= trade_end && i < unload_begin) {
            continue;
        }
        ++points;
        const Expectation& e = expected[i];
        const Op op = ref.records[i].op;
        ++sites[e.site];
        ++by_op[simhost::op_name(op)];
        // Output lines written before the failing call; the failure line must come next.
        std::size_t lines_before = 0;
        for (std::size_t j = 0; j < i; ++j) {
            lines_before += ref.records[j].op == Op::OutputSend ? 1 : 0;
        }
        const Fault fault = i < trade_end
                                ? Fault{Phase::Start, i + 1, FaultKind::Standard}
                                : Fault{Phase::Unload, i - unload_begin + 1, FaultKind::Standard};
        for (FaultKind kind : {FaultKind::Standard, FaultKind::Foreign}) {
            Fault f = fault;
            f.kind = kind;
            const Outcome run = play(f, false);
            std::ostringstream row;
            row << "host call " << i + 1 << " ("
                << (kind == FaultKind::Standard ? "std::exception" : "foreign value")
                << "): " << e.site;
            const int before = failures;
            auto check = [&](bool ok, const std::string& what) {
                if (!ok) {
                    ++failures;
                    ADD_FAILURE() << row.str() << ": " << what;
                }
            };
            check(run.faults_thrown == 1, "the fault did not fire exactly once");
            check(run.game_escapes.empty() && run.callback_escapes == 0,
                  "an exception reached the game");
            std::vector<std::string> want;
            if (e.line) {
                want.push_back(*e.line + (e.message == Expectation::Message::Fixed
                                              ? std::string()
                                              : message_of(kind, op)));
            }
            const auto got = failure_lines(run.log);
            check(got == want, "failure lines were {" +
                                   (got.empty() ? std::string() : got.front()) + "...} (" +
                                   std::to_string(got.size()) + ")");
            if (e.line) {
                check(run.log.size() > lines_before && run.log[lines_before] == want.front(),
                      "the failure line does not follow the lines written before the fault");
                check(std::equal(run.log.begin(),
                                 run.log.begin() + static_cast<std::ptrdiff_t>(
                                                       std::min(lines_before, run.log.size())),
                                 ref.log.begin()),
                      "the lines before the fault differ from the clean session");
            }
            check(!run.in_text_rewrite, "the re-entry guard stayed set");
            check(run.fresh_text == run.fresh_expected,
                  "the fresh text became \"" + run.fresh_text + "\"");
            check(run.texts_left == 0,
                  std::to_string(run.texts_left) + " text values outlived the session");
            std::vector<std::string> left;
            if (e.extra == Expectation::Extra::HookNotRemoved) {
                left.push_back(e.path);
            }
            check(run.hooks_left == left, "hooks left with the host after the unload: " +
                                              std::to_string(run.hooks_left.size()));
            if (e.extra == Expectation::Extra::SkipCounted) {
                check(run.skips == ref.skips + 1, "the unreadable text was not counted as a skip");
            }
            if (failures > 40 && before != failures) {
                FAIL() << "too many failing rows; stopping";
            }
        }
    }

    std::ostringstream summary;
    summary << "fault sweep: " << points << " fault points x 2 kinds = " << points * 2
            << " faulted sessions; " << sites.size() << " distinct call steps;";
    for (const auto& [op, n] : by_op) {
        summary << " " << op << "=" << n;
    }
    std::cout << summary.str() << "\n";
    if (std::getenv("TALLYGLASS_SWEEP_REPORT")) {
        for (const auto& [site, n] : sites) {
            std::cout << "  " << n << "\t" << site << "\n";
        }
    }
}
} // namespace
