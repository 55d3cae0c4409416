#include <algorithm>
#include <stdexcept>

#include "world.hpp"
#include <DynamicOutput/Output.hpp>
#include <Unreal/UObjectGlobals.hpp>

namespace simhost {
namespace {
using RC::Unreal::ObjectAccess;
using RC::Unreal::UnrealScriptFunctionCallable;

using detail::Hook;
using detail::RunningCallback;
using detail::World;
using detail::world;

std::string narrow(StringView text) {
    std::string out;
    for (CharType c : text) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

UFunction* find_in_chain(UClass* cls, StringView name) {
    for (; cls; cls = cls->super) {
        for (auto& f : cls->functions) {
            if (!f->removed && f->name == name) {
                return f.get();
            }
        }
    }
    return nullptr;
}

UFunction* function_at_path(StringView path) {
    auto dot = path.find(CharType('.'));
    auto colon = path.rfind(CharType(':'));
    if (dot == StringView::npos || colon == StringView::npos || colon < dot) {
        return nullptr;
    }
    auto package = path.substr(0, dot);
    auto cls_name = path.substr(dot + 1, colon - dot - 1);
    auto fn_name = path.substr(colon + 1);
    for (auto& cls : world().classes) {
        if (cls->package == package && cls->name == cls_name) {
            for (auto& f : cls->functions) {
                if (!f->removed && f->name == fn_name) {
                    return f.get();
                }
            }
        }
    }
    return nullptr;
}
} // namespace

namespace detail {
void run(UObject* object, UFunction* function, void* params) {
    auto& w = world();
    RC::Unreal::FFrame frame{params};
    void* result = function->return_offset >= 0 && params
                       ? static_cast<std::byte*>(params) + function->return_offset
                       : nullptr;
    RC::Unreal::UnrealScriptFunctionCallableContext context{object, frame, result};
    // Callbacks may register or remove hooks: walk a snapshot and re-check each one.
    auto live = [&](int pre_id) {
        return std::any_of(w.hooks.hooks.begin(), w.hooks.hooks.end(),
                           [&](const Hook& h) { return h.ids.first == pre_id; });
    };
    std::vector<Hook> snapshot;
    for (auto& h : w.hooks.hooks) {
        if (h.function == function) {
            snapshot.push_back(h);
        }
    }
    // Host calls made inside a callback are recorded with it; what a callback lets out is counted.
    auto invoke = [&](const Hook& h, const UnrealScriptFunctionCallable& callback) {
        struct Running {
            World& w;
            Running(World& world_, const String& path) : w(world_) {
                w.hooks.running.push_back({path, ++w.hooks.callback_runs});
            }
            ~Running() { w.hooks.running.pop_back(); }
            Running(const Running&) = delete;
            Running& operator=(const Running&) = delete;
        } running(w, h.path);
        try {
            callback(context, h.custom_data);
        } catch (...) {
            ++w.hooks.escapes;
            throw;
        }
    };
    for (auto& h : snapshot) {
        if (h.pre && live(h.ids.first)) {
            invoke(h, h.pre);
        }
    }
    if (function->native) {
        function->native(object, static_cast<std::byte*>(params));
    }
    for (auto& h : snapshot) {
        if (h.post && live(h.ids.first)) {
            invoke(h, h.post);
        }
    }
}
} // namespace detail

UClass* define_class(StringView package, StringView name, UClass* super) {
    auto cls = std::make_unique<UClass>();
    cls->package = String(package);
    cls->name = String(name);
    cls->super = super;
    world().classes.push_back(std::move(cls));
    return world().classes.back().get();
}

UClass* find_class(StringView name) {
    for (auto& cls : world().classes) {
        if (cls->name == name) {
            return cls.get();
        }
    }
    return nullptr;
}

void set_lifecycle(UClass* cls, ObjectHook construct, ObjectHook destruct) {
    cls->construct = std::move(construct);
    cls->destruct = std::move(destruct);
}

UFunction* define_function(UClass* cls, StringView name, std::size_t params_size, int return_offset,
                           Native native) {
    auto f = std::make_unique<UFunction>();
    f->owner = cls;
    f->name = String(name);
    f->params_size = params_size;
    f->return_offset = return_offset;
    f->native = std::move(native);
    cls->functions.push_back(std::move(f));
    return cls->functions.back().get();
}

void remove_function(UClass* cls, StringView name) {
    for (auto& f : cls->functions) {
        if (f->name == name) {
            f->removed = true;
        }
    }
}

UFunction* find_function(UObject* object, StringView name) {
    return find_in_chain(ObjectAccess::cls(object), name);
}

String function_path(UFunction* function) {
    return function->owner->package + STR(".") + function->owner->name + STR(":") + function->name;
}

String class_name(UClass* cls) {
    return cls->name;
}
void call(UObject* object, UFunction* function, void* params) {
    detail::run(object, function, params);
}

void call(UObject* object, StringView function_name, void* params) {
    UFunction* function = find_function(object, function_name);
    if (!function) {
        throw std::logic_error("simhost::call: no function " + narrow(function_name));
    }
    detail::run(object, function, params);
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

} // namespace simhost

namespace RC::Unreal {
using simhost::Op;
using simhost::detail::host_call;

auto UObject::GetFunctionByNameInChain(const CharType* name) -> UFunction* {
    host_call(Op::GetFunctionByNameInChain, this, name);
    return simhost::find_function(this, name);
}

auto UObject::ProcessEvent(UFunction* function, void* params) -> void {
    host_call(Op::ProcessEvent, this, function ? StringViewType(function->name) : StringViewType());
    simhost::detail::run(this, function, params);
}

auto UObjectGlobals::RegisterHook(StringViewType function_path,
                                  const UnrealScriptFunctionCallable& pre_callback,
                                  const UnrealScriptFunctionCallable& post_callback,
                                  void* custom_data) -> std::pair<int, int> {
    host_call(Op::RegisterHook, nullptr, function_path);
    auto& w = simhost::detail::world();
    UFunction* function = simhost::function_at_path(function_path);
    if (!function) {
        throw std::runtime_error("RegisterHook: no script function at " +
                                 simhost::narrow(function_path));
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
                                                      pre_callback, post_callback, custom_data});
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
