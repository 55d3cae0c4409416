// The simulated world's state, one part per concern, shared by the engine's own files.
// reset() brings every part back to its start.
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <memory>
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

struct Hook {
    String path; // the function's
    UFunction* function{};
    std::pair<int, int> ids;
    RC::Unreal::UnrealScriptFunctionCallable pre;
    RC::Unreal::UnrealScriptFunctionCallable post;
    void* custom_data{};
    const void* owner{}; // the mod library whose code was running when it was registered
};

struct RunningCallback {
    String path;
    std::uint64_t run;
    UObject* context;
};

struct HookRegistry {
    std::vector<Hook> hooks;
    std::map<String, std::pair<int, int>> register_results;
    std::vector<String> unregistered;
    int next_hook_id{1};
    std::uint64_t escapes{};
    std::uint64_t callback_runs{};
    std::vector<RunningCallback> running; // innermost last
    const void* owner{};                  // the mod library whose code runs now, if any
    std::vector<String> orphaned;
};

struct ArmedFault {
    Fault fault;
    std::uint64_t seen{};
};

struct HostCalls {
    std::vector<ArmedFault> faults;
    std::map<UObject*, FaultKind> name_faults;
    std::uint64_t total{};
    std::uint64_t counts[op_count]{};
    std::uint64_t faults_thrown{};
    bool recording{};
    std::vector<CallRecord> records;
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
    std::vector<String> log;
    std::vector<std::chrono::system_clock::time_point> log_times; // one per entry
    bool log_closed{};
    HostCalls calls;
};

World& world();
} // namespace simhost::detail
