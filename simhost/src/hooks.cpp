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
    return std::any_of(hooks.begin(), hooks.end(),
                       [&](const Hook& h) { return h.ids.first == hook.ids.first; });
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
    RC::Unreal::FFrame frame{params};
    void* result = function->return_offset >= 0 && params
                       ? static_cast<std::byte*>(params) + function->return_offset
                       : nullptr;
    Context context{object, frame, result};
    auto snapshot = hooks_of(function);
    run_callbacks(snapshot, &Hook::pre, context);
    if (function->native) {
        function->native(object, static_cast<std::byte*>(params));
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
using simhost::Op;
using simhost::detail::host_call;

auto UObjectGlobals::RegisterHook(StringViewType function_path,
                                  const UnrealScriptFunctionCallable& pre_callback,
                                  const UnrealScriptFunctionCallable& post_callback,
                                  void* custom_data) -> std::pair<int, int> {
    host_call(Op::RegisterHook, nullptr, function_path);
    auto& w = simhost::detail::world();
    UFunction* function = simhost::detail::function_at_path(function_path);
    if (!function) {
        throw std::runtime_error("RegisterHook: no script function at " +
                                 simhost::detail::narrow(function_path));
    }
    std::pair<int, int> ids;
    if (auto it = w.hooks.register_results.find(StringType(function_path));
        it != w.hooks.register_results.end()) {
        ids = it->second;
    } else {
        ids.first = w.hooks.next_hook_id++;
        ids.second = w.hooks.next_hook_id++;
    }
    if (ids != std::pair<int, int>{0, 0}) {
        w.hooks.hooks.push_back(simhost::detail::Hook{StringType(function_path), function, ids,
                                                      pre_callback, post_callback, custom_data,
                                                      w.hooks.owner});
    }
    return ids;
}

auto UObjectGlobals::UnregisterHook(StringViewType function_path, std::pair<int, int> ids) -> bool {
    auto& w = simhost::detail::world();
    w.hooks.unregistered.emplace_back(function_path);
    host_call(Op::UnregisterHook, nullptr, function_path);
    auto it = std::find_if(
        w.hooks.hooks.begin(), w.hooks.hooks.end(),
        [&](const simhost::detail::Hook& h) { return h.path == function_path && h.ids == ids; });
    if (it == w.hooks.hooks.end()) {
        return false;
    }
    w.hooks.hooks.erase(it);
    return true;
}
} // namespace RC::Unreal
