// The simulated world's state, one part per concern, shared by the engine's own files.
// reset() brings every part back to its start.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "internal.hpp"

namespace simhost::detail {
struct ObjectRecord {
    std::unique_ptr<std::byte[]> storage;
    String name;
    std::unique_ptr<FunctionRecord> function; // for a script function
};

// Every object made since reset(); an object's internal index is its place here.
struct ObjectStore {
    std::vector<ObjectRecord> records;

    ObjectStore() = default;
    ObjectStore(const ObjectStore&) = delete;
    ObjectStore& operator=(const ObjectStore&) = delete;
    ~ObjectStore() { clear(); }
    // Runs each object's destructor hook, then forgets the objects.
    void clear();
};

// A hook's callable, which holds a function of the library that registered it. Once that library
// is gone its destructor would run freed code, and a call on another thread may still be looking
// at it: it is abandoned, never destroyed (a mod's callable holds nothing on the heap).
struct KeptCallable {
    union {
        RC::Unreal::UnrealScriptFunctionCallable callable;
    };
    bool abandoned = false;

    KeptCallable(RC::Unreal::UnrealScriptFunctionCallable given) : callable(std::move(given)) {}
    ~KeptCallable() {
        if (!abandoned) {
            callable.~function();
        }
    }
    KeptCallable(const KeptCallable&) = delete;
    KeptCallable& operator=(const KeptCallable&) = delete;
};

// One registration. Never changed once published, but for `removed`; kept until reset(), since
// a call on another thread may still be reading it.
struct Hook {
    String path; // the function's
    UFunction* function{};
    std::pair<int, int> ids;
    KeptCallable pre;
    KeptCallable post;
    void* custom_data{};
    const void* owner{}; // the mod library whose code was running when it was registered
    std::atomic<bool> removed{};
};

// The live registrations, in order. A new one is published whole for every change.
using HookTable = std::vector<Hook*>;

struct RunningCallback {
    String path;
    std::uint64_t run;
    UObject* context;
};

// UE4SS's hook maps have no lock: a game thread calls hooks while another thread registers and
// removes them. Here a change copies the table and publishes the copy through one atomic pointer
// (release; each call takes the table it starts with, acquire), so that the simulator's own
// memory is never read while written; what the real host leaves racing is what this keeps:
// a call runs the hooks of the table it started with, each unless it was removed before its
// turn, and a callback already running when its hook is removed runs to its end. Changes are
// made one at a time (`writing`), a lock never held while a callback runs.
struct HookRegistry {
    std::atomic<const HookTable*> table{};
    std::mutex writing;
    std::deque<std::unique_ptr<Hook>> all;         // every registration since reset()
    std::deque<std::unique_ptr<HookTable>> tables; // every table published since reset()
    std::map<String, std::pair<int, int>> register_results;
    std::vector<String> unregistered;
    int next_hook_id{1};
    std::atomic<std::uint64_t> escapes{};
    std::atomic<std::uint64_t> callback_runs{};
    std::vector<String> orphaned;

    HookRegistry();
    void clear();
    const HookTable& live() const { return *table.load(std::memory_order_acquire); }
    // A copy of the live table, changed by `change`, then published. Under `writing`.
    template <class Change> void publish(Change&& change) {
        auto next = std::make_unique<HookTable>(live());
        change(*next);
        table.store(tables.emplace_back(std::move(next)).get(), std::memory_order_release);
    }
};

struct ArmedFault {
    Fault fault;
    std::uint64_t seen{};
};

// Counts are atomic: the game, init and update threads all call the host. Faults and records are
// for tests on one thread, and so are exact counts (see count()).
// Adds one to a count that only tests on one thread read: a plain load and store, as cheap as a
// plain count on the hot path of every host call; calls made on two threads at once may count
// once.
inline void count(std::atomic<std::uint64_t>& counter) {
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

struct HostCalls {
    std::vector<ArmedFault> faults;
    std::map<UObject*, FaultKind> name_faults;
    std::atomic<std::uint64_t> total{};
    std::atomic<std::uint64_t> counts[op_count]{};
    std::atomic<std::uint64_t> faults_thrown{};
    bool recording{};
    std::vector<CallRecord> records;

    void clear();
};

// The engine's names: each distinct one once, found by hashing its text.
struct NameTable {
    std::deque<String> names; // stable, for the views below
    std::unordered_map<StringView, int> index;
};

// Engine texts by their string.
struct TextTable {
    std::unordered_map<String, std::unique_ptr<RC::Unreal::ITextData>> texts;
    std::int64_t references{};
    bool constructor_found{true};
};

struct World {
    // Before the objects, so that the classes outlive them: destroying an object runs a hook
    // its class holds.
    std::deque<std::unique_ptr<ClassRecord>> classes;
    // Before the objects too: a text block releases its text as it goes.
    TextTable texts;
    ObjectStore objects;
    NameTable names;
    HookRegistry hooks;
    // Written by every thread that logs, one entry at a time under `log_writing`; read when the
    // threads have stopped.
    std::mutex log_writing;
    std::vector<String> log;
    std::vector<std::chrono::system_clock::time_point> log_times; // one per entry
    std::atomic<bool> log_closed{};
    HostCalls calls;
};

World& world();
// On the calling thread: the innermost callback running, or null; the mod library whose code runs.
const RunningCallback* innermost_callback();
const void* running_owner();
} // namespace simhost::detail
