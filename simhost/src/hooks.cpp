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
using detail::record_of;
using detail::world;
using RC::Unreal::UnrealScriptFunctionCallable;
using Context = RC::Unreal::UnrealScriptFunctionCallableContext;

// Host calls made while a callback runs are recorded with it.
class Running {
public:
    Running(HookRegistry& registry_, const String& path, UObject* context) : registry(registry_) {
        registry.running.push_back({path, ++registry.callback_runs, context});
    }
    ~Running() { registry.running.pop_back(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    HookRegistry& registry;
};

// What a callback lets out is counted, then passed on to whoever made the game call.
void invoke(const Hook& hook, const UnrealScriptFunctionCallable& callback, Context& context) {
    auto& registry = world().hooks;
    Running running(registry, hook.path, context.Context);
    detail::OwnerScope owner(hook.owner);
    const detail::OwnCode mod_code;
    try {
        callback(context, hook.custom_data);
    } catch (...) {
        ++registry.escapes;
        throw;
    }
}

// Callbacks may register or remove hooks: a call walks a snapshot and re-checks each hook.
std::vector<Hook> hooks_of(UFunction* function) {
    std::vector<Hook> snapshot;
    for (auto& h : world().hooks.hooks) {
        if (h.function == function) {
            snapshot.push_back(h);
        }
    }
    return snapshot;
}

bool live(const Hook& hook) {
    auto& hooks = world().hooks.hooks;
    return std::any_of(hooks.begin(), hooks.end(), [&](const Hook& h) {
        return h.function == hook.function && h.ids == hook.ids;
    });
}

void run_callbacks(const std::vector<Hook>& snapshot, UnrealScriptFunctionCallable Hook::*callback,
                   Context& context) {
    for (auto& h : snapshot) {
        if (h.*callback && live(h)) {
            invoke(h, h.*callback, context);
        }
    }
}
} // namespace

void detail::run(UObject* object, UFunction* function, void* params) {
    // The engine's code, whoever called the function; the callbacks it runs are not.
    const HostCode in_host;
    const auto& record = record_of(function);
    RC::Unreal::FFrame frame{params};
    void* result = record.return_offset >= 0 && params
                       ? static_cast<std::byte*>(params) + record.return_offset
                       : nullptr;
    Context context{object, frame, result};
    auto snapshot = hooks_of(function);
    run_callbacks(snapshot, &Hook::pre, context);
    if (record.native) {
        record.native(object, static_cast<std::byte*>(params));
    }
    run_callbacks(snapshot, &Hook::post, context);
}

void set_register_result(StringView path, std::pair<int, int> ids) {
    world().hooks.register_results[String(path)] = ids;
}
std::size_t registered_hook_count() {
    return world().hooks.hooks.size();
}
std::vector<String> registered_paths() {
    std::vector<String> out;
    for (auto& h : world().hooks.hooks) {
        out.push_back(h.path);
    }
    return out;
}
const std::vector<String>& unregistered_paths() {
    return world().hooks.unregistered;
}
bool replace_post_callback(StringView path, RC::Unreal::UnrealScriptFunctionCallable post) {
    for (auto& h : world().hooks.hooks) {
        if (h.path == path) {
            h.post = std::move(post);
            return true;
        }
    }
    return false;
}
std::uint64_t callback_escapes() {
    return world().hooks.escapes;
}
const std::vector<String>& orphaned_hooks() {
    return world().hooks.orphaned;
}

namespace detail {
OwnerScope::OwnerScope(const void* owner) : outer(world().hooks.owner) {
    world().hooks.owner = owner;
}
OwnerScope::~OwnerScope() {
    world().hooks.owner = outer;
}

void drop_hooks_of(const void* owner, bool record) {
    auto& registry = world().hooks;
    auto orphan = [&](const Hook& h) {
        if (h.owner != owner) {
            return false;
        }
        if (record) {
            registry.orphaned.push_back(h.path);
        }
        return true;
    };
    std::erase_if(registry.hooks, orphan);
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
    int& next = simhost::detail::world().hooks.next_hook_id;
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
    auto& w = simhost::detail::world();
    auto given = w.hooks.register_results.find(path);
    const std::pair<int, int> ids =
        given != w.hooks.register_results.end() ? given->second : fresh_ids(record.kind);
    if (ids.first > 0 || ids.second > 0) {
        w.hooks.hooks.push_back(simhost::detail::Hook{path, function, ids, std::move(pre_callback),
                                                      std::move(post_callback), custom_data,
                                                      w.hooks.owner});
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
    auto& w = simhost::detail::world();
    const StringType path = simhost::function_path(function);
    w.hooks.unregistered.push_back(path);
    host_call(Op::UnregisterHook, nullptr, path);
    std::erase_if(w.hooks.hooks, [&](const simhost::detail::Hook& h) {
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
