// Classes and their script functions, and how the game and the mod call them.
#include <stdexcept>

#include "world.hpp"

namespace simhost {
namespace {
using detail::world;
using RC::Unreal::ObjectAccess;

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
} // namespace

UFunction* detail::function_at_path(StringView path) {
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
        throw std::logic_error("simhost::call: no function " + detail::narrow(function_name));
    }
    detail::run(object, function, params);
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
} // namespace RC::Unreal
