// Hooks: the registry that RegisterHook and UnregisterHook change, and the run of a script
// function between its hooks' callbacks.
#include <algorithm>
#include <stdexcept>

#include "world.hpp"
#include <Unreal/UObjectGlobals.hpp>

namespace simhost {
namespace {
using detail::Hook;
using detail::HookRegistry;
using detail::HookTable;
using detail::world;
using RC::Unreal::UnrealScriptFunctionCallable;
using Context = RC::Unreal::UnrealScriptFunctionCallableContext;

// Per thread, and trivial, since a thread-local with a destructor is not safe in a mingw DLL:
// the innermost callback running on it (the others linked from its scope), and the mod library
// whose code runs.
thread_local const detail::RunningCallback* innermost = nullptr;
thread_local const void* owner_now = nullptr;

// Host calls made while a callback runs are recorded with it.
class Running {
public:
    Running(const String& path, UObject* context) : outer(innermost) {
        auto& runs = world().hooks.callback_runs;
        detail::count(runs);
        record = {path, runs.load(std::memory_order_relaxed), context};
        innermost = &record;
    }
    ~Running() { innermost = outer; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    detail::RunningCallback record;
    const detail::RunningCallback* outer;
};

// What a callback lets out is counted, then passed on to whoever made the game call. Its hook is
// checked again right before the call: one removed before its turn does not run, one removed
// after that runs to its end.
void invoke(const Hook& hook, const UnrealScriptFunctionCallable& callback, Context& context) {
    if (hook.removed.load(std::memory_order_acquire) || !callback) {
        return;
    }
    Running scope(hook.path, context.Context);
    detail::OwnerScope owner(hook.owner);
    const detail::OwnCode mod_code;
    if (hook.removed.load(std::memory_order_acquire)) {
        return;
    }
    try {
        callback(context, hook.custom_data);
    } catch (...) {
        ++world().hooks.escapes;
        throw;
    }
}

// Callbacks may register or remove hooks: a call walks the table it started with.
void run_callbacks(const HookTable& table, UFunction* function,
                   detail::KeptCallable Hook::*callback, Context& context) {
    for (const Hook* h : table) {
        if (h->function == function) {
            invoke(*h, (h->*callback).callable, context);
        }
    }
}

} // namespace

// Takes the matching hooks out of the live table; true when one was there. Under `writing`.
template <class Match> bool remove_hooks(HookRegistry& registry, Match&& match) {
    bool found = false;
    registry.publish([&](HookTable& table) {
        std::erase_if(table, [&](Hook* h) {
            if (!match(*h)) {
                return false;
            }
            h->removed.store(true, std::memory_order_release);
            found = true;
            return true;
        });
    });
    return found;
}

detail::HookRegistry::HookRegistry() {
    table.store(tables.emplace_back(std::make_unique<HookTable>()).get());
}

void detail::HookRegistry::clear() {
    const std::lock_guard lock(writing);
    table.store(tables.emplace_back(std::make_unique<HookTable>()).get());
    // Only the empty table stays; reset() runs with no call under way.
    tables.erase(tables.begin(), tables.end() - 1);
    all.clear();
    register_results.clear();
    unregistered.clear();
    next_hook_id = 1;
    escapes.store(0);
    callback_runs.store(0);
    orphaned.clear();
}

void detail::run(UObject* object, UFunction* function, void* params) {
    // The engine's code, whoever called the function; the callbacks it runs are not.
    const HostCode in_host;
    const auto& record = record_of(function);
    RC::Unreal::FFrame frame{params};
    void* result = record.return_offset >= 0 && params
                       ? static_cast<std::byte*>(params) + record.return_offset
                       : nullptr;
    Context context{object, frame, result};
    const HookTable& table = world().hooks.live();
    run_callbacks(table, function, &Hook::pre, context);
    if (record.native) {
        record.native(object, static_cast<std::byte*>(params));
    }
    run_callbacks(table, function, &Hook::post, context);
}

const detail::RunningCallback* detail::innermost_callback() {
    return innermost;
}
const void* detail::running_owner() {
    return owner_now;
}

void set_register_result(StringView path, std::pair<int, int> ids) {
    const std::lock_guard lock(world().hooks.writing);
    world().hooks.register_results[String(path)] = ids;
}
std::size_t registered_hook_count() {
    return world().hooks.live().size();
}
std::vector<String> registered_paths() {
    std::vector<String> out;
    for (const Hook* h : world().hooks.live()) {
        out.push_back(h->path);
    }
    return out;
}
const std::vector<String>& unregistered_paths() {
    return world().hooks.unregistered;
}
bool replace_post_callback(StringView path, RC::Unreal::UnrealScriptFunctionCallable post) {
    auto& registry = world().hooks;
    const std::lock_guard lock(registry.writing);
    bool found = false;
    registry.publish([&](HookTable& table) {
        for (auto& h : table) {
            if (!found && h->path == path) {
                auto& copy = registry.all.emplace_back(new Hook{h->path, h->function, h->ids,
                                                                h->pre.callable, std::move(post),
                                                                h->custom_data, h->owner});
                h->removed.store(true, std::memory_order_release);
                h = copy.get();
                found = true;
            }
        }
    });
    return found;
}
std::uint64_t callback_escapes() {
    return world().hooks.escapes;
}
const std::vector<String>& orphaned_hooks() {
    return world().hooks.orphaned;
}

namespace detail {
OwnerScope::OwnerScope(const void* owner) : outer(owner_now) {
    owner_now = owner;
}
OwnerScope::~OwnerScope() {
    owner_now = outer;
}

void drop_hooks_of(const void* owner, bool record) {
    auto& registry = world().hooks;
    const std::lock_guard lock(registry.writing);
    remove_hooks(registry, [&](const Hook& h) {
        if (h.owner != owner) {
            return false;
        }
        if (record) {
            registry.orphaned.push_back(h.path);
        }
        return true;
    });
    for (auto& h : registry.all) {
        if (h->owner == owner) {
            h->pre.abandoned = true;
            h->post.abandoned = true;
        }
    }
}
} // namespace detail
} // namespace simhost

namespace RC::Unreal {
using simhost::FunctionKind;
using simhost::Op;
using simhost::detail::host_call;
using simhost::detail::record_of;

namespace {
// Ids come from one counter: two for a native function (its pre- and post-callback are hooked
// apart), one for both of a script function.
std::pair<int, int> fresh_ids(FunctionKind kind) {
    int& next = simhost::detail::world().hooks.next_hook_id; // under the registry's lock
    if (kind == FunctionKind::Native) {
        next += 2;
        return {next - 2, next - 1};
    }
    const int id = next++;
    return {id, id};
}
} // namespace

auto UObjectGlobals::RegisterHook(UFunction* function, UnrealScriptFunctionCallable pre_callback,
                                  UnrealScriptFunctionCallable post_callback, void* custom_data)
    -> std::pair<int, int> {
    const simhost::detail::HostCode in_host;
    if (!function) {
        simhost::detail::crash("RegisterHook with a null UFunction");
    }
    const auto& record = record_of(function);
    const StringType path = simhost::function_path(function);
    host_call(Op::RegisterHook, nullptr, path);
    if (record.kind == FunctionKind::Neither) {
        throw std::runtime_error("Tried to hook " + simhost::detail::narrow(path) +
                                 ", which is neither a native nor a script function");
    }
    auto& registry = simhost::detail::world().hooks;
    const std::lock_guard lock(registry.writing);
    auto given = registry.register_results.find(path);
    const std::pair<int, int> ids =
        given != registry.register_results.end() ? given->second : fresh_ids(record.kind);
    if (ids.first > 0 || ids.second > 0) {
        auto& hook = registry.all.emplace_back(new simhost::detail::Hook{
            path, function, ids, std::move(pre_callback), std::move(post_callback), custom_data,
            simhost::detail::running_owner()});
        registry.publish([&](simhost::detail::HookTable& table) { table.push_back(hook.get()); });
    }
    return ids;
}

auto UObjectGlobals::RegisterHook(const StringType& function_name_or_path,
                                  UnrealScriptFunctionCallable pre_callback,
                                  UnrealScriptFunctionCallable post_callback, void* custom_data)
    -> std::pair<int, int> {
    auto* function = StaticFindObject<UFunction*>(nullptr, nullptr, function_name_or_path);
    if (!function) {
        simhost::detail::crash("RegisterHook(\"" + simhost::detail::narrow(function_name_or_path) +
                               "\"): no function is loaded at that path, and UE4SS uses the null "
                               "it found");
    }
    return RegisterHook(function, std::move(pre_callback), std::move(post_callback), custom_data);
}

auto UObjectGlobals::UnregisterHook(UFunction* function, std::pair<int, int> callback_ids) -> void {
    const simhost::detail::HostCode in_host;
    if (!function) {
        simhost::detail::crash("UnregisterHook with a null UFunction");
    }
    auto& registry = simhost::detail::world().hooks;
    const StringType path = simhost::function_path(function);
    {
        const std::lock_guard lock(registry.writing);
        registry.unregistered.push_back(path);
    }
    host_call(Op::UnregisterHook, nullptr, path);
    // As UE4SS's flag: a callback running now on another thread is not waited for.
    const std::lock_guard lock(registry.writing);
    simhost::remove_hooks(registry, [&](const simhost::detail::Hook& h) {
        return h.function == function && h.ids == callback_ids;
    });
}

auto UObjectGlobals::UnregisterHook(const StringType& function_name_or_path,
                                    std::pair<int, int> callback_ids) -> void {
    auto* function = StaticFindObject<UFunction*>(nullptr, nullptr, function_name_or_path);
    if (!function) {
        throw std::runtime_error("UnregisterHook: no function at " +
                                 simhost::detail::narrow(function_name_or_path));
    }
    UnregisterHook(function, callback_ids);
}
} // namespace RC::Unreal
