// Classes and their script functions, and how the game and the mod call them.
#include <cstring>
#include <memory>
#include <stdexcept>

#include "world.hpp"

namespace simhost {
namespace {
using detail::record_of;
using detail::world;
using RC::Unreal::ObjectAccess;

UFunction* find_in(const UClass* cls, StringView name) {
    for (UFunction* f : detail::rec(cls)->functions) {
        const auto& record = record_of(f);
        if (!record.removed && record.name == name) {
            return f;
        }
    }
    return nullptr;
}

UFunction* find_in_chain(const UClass* cls, StringView name) {
    for (; cls; cls = detail::rec(cls)->super) {
        if (UFunction* f = find_in(cls, name)) {
            return f;
        }
    }
    return nullptr;
}
} // namespace

int detail::name_index(StringView name, bool add) {
    auto& table = world().names;
    if (auto it = table.index.find(name); it != table.index.end()) {
        return it->second;
    }
    if (!add) {
        return -1;
    }
    const auto index = static_cast<int>(table.names.size());
    table.index.emplace(table.names.emplace_back(name), index);
    return index;
}

UFunction* detail::function_at_path(StringView path) {
    auto dot = path.find(CharType('.'));
    auto colon = path.rfind(CharType(':'));
    if (dot == StringView::npos || colon == StringView::npos || colon < dot) {
        return nullptr;
    }
    auto package = path.substr(0, dot);
    auto cls_name = path.substr(dot + 1, colon - dot - 1);
    for (auto& cls : world().classes) {
        if (cls->package == package && cls->name == cls_name) {
            return find_in(cls.get(), path.substr(colon + 1));
        }
    }
    return nullptr;
}

UClass* define_class(StringView package, StringView name, UClass* super) {
    auto cls = std::make_unique<detail::ClassRecord>();
    cls->package = String(package);
    cls->name = String(name);
    cls->super = detail::rec(super);
    cls->reflected.super = super;
    ObjectAccess::properties(cls.get()) = &cls->reflected;
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

void set_lifecycle(UClass* c, ObjectHook construct, ObjectHook destruct) {
    auto* cls = detail::rec(c);
    cls->construct = std::move(construct);
    cls->destruct = std::move(destruct);
}

UFunction* define_function(UClass* owner, StringView name, std::uint16_t params_size,
                           int return_offset, NativeCode native, FunctionKind kind) {
    auto* cls = detail::rec(owner);
    auto record = std::make_unique<detail::FunctionRecord>(
        detail::FunctionRecord{owner,
                               String(name),
                               params_size,
                               return_offset,
                               std::move(native),
                               kind,
                               false,
                               detail::name_index(name, true),
                               0,
                               0xFFFF,
                               {}});
    UFunction* function = detail::new_function(
        cls->package + STR(".") + cls->name + STR(":") + String(name), std::move(record));
    cls->functions.push_back(function);
    // The game's reflection of it: its parameters as the installed layout declares them.
    for (const auto& row : game::installed_layout().functions) {
        if (row.owner == cls->name && row.name == name) {
            auto& rec = detail::record_of(function);
            detail::declare_properties(rec.parameters, row.parameters);
            rec.num_parms = static_cast<std::uint8_t>(row.parameters.size());
            for (const auto& p : row.parameters) {
                if (p.flags & 0x400) {
                    rec.return_value_offset = static_cast<std::uint16_t>(p.offset);
                }
            }
        }
    }
    return function;
}

void remove_function(UClass* cls, StringView name) {
    for (UFunction* f : detail::rec(cls)->functions) {
        if (record_of(f).name == name) {
            record_of(f).removed = true;
        }
    }
}

void set_parms_size(UFunction* function, std::uint16_t size) {
    record_of(function).parms_size = size;
}

UFunction* find_function(UObject* object, StringView name) {
    return find_in_chain(ObjectAccess::cls(object), name);
}

String function_path(UFunction* function) {
    return name_of(function);
}

UFunction* function_at(StringView path) {
    return detail::function_at_path(path);
}

String class_name(UClass* cls) {
    return detail::rec(cls)->name;
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

// As UE4SS looks a function up: the wide name made an FName (a hash lookup in the engine's name
// table), then the children of each class of the chain compared by name index, through a
// generator whose frame is on the heap.
auto UObject::GetFunctionByNameInChain(const TCHAR* name) -> UFunction* {
    const simhost::detail::HostCode in_host;
    host_call(Op::GetFunctionByNameInChain, this, name);
    const int wanted = simhost::detail::name_index(name, false);
    struct Frame {
        const simhost::detail::ClassRecord* cls;
        std::size_t child;
    };
    auto frame = std::make_unique<Frame>(Frame{ObjectAccess::cls(this), 0});
    for (; frame->cls; frame->cls = frame->cls->super, frame->child = 0) {
        for (; frame->child < frame->cls->functions.size(); ++frame->child) {
            UFunction* function = frame->cls->functions[frame->child];
            const auto& record = simhost::detail::record_of(function);
            if (!record.removed && record.name_index == wanted) {
                return function;
            }
        }
    }
    return nullptr;
}

auto UObject::GetFunctionByNameInChain(FName name) -> UFunction* {
    return GetFunctionByNameInChain(name.ToString().c_str());
}

auto UObject::ProcessEvent(UFunction* function, void* Parms) -> void {
    const simhost::detail::HostCode in_host;
    host_call(Op::ProcessEvent, this,
              function ? StringViewType(simhost::detail::record_of(function).name)
                       : StringViewType());
    if (!function) {
        simhost::detail::crash("ProcessEvent with a null UFunction");
    }
    // As the engine does, it takes the function's whole parameter block into the call's frame: a
    // block shorter than GetParmsSize is read past its end (AddressSanitizer reports it).
    const std::size_t size = simhost::detail::record_of(function).parms_size;
    if (Parms && size > 0) {
        alignas(16) std::byte small[256];
        std::unique_ptr<std::byte[]> large;
        std::byte* frame =
            size <= sizeof(small) ? small : (large.reset(new std::byte[size]), large.get());
        std::memcpy(frame, Parms, size);
    }
    simhost::detail::run(this, function, Parms);
}

auto UFunction::GetParmsSize() -> uint16& {
    const simhost::detail::HostCode in_host;
    host_call(Op::GetParmsSize, this);
    return simhost::detail::record_of(this).parms_size;
}
} // namespace RC::Unreal
