// The object store: objects with their names and outers, their full names, and the engine's
// calls that read them.
#include "world.hpp"

namespace simhost {
namespace {
using detail::ObjectRecord;
using detail::world;
using RC::Unreal::ObjectAccess;

ObjectRecord& record(UObject* object) {
    return world().objects.records.at(static_cast<std::size_t>(ObjectAccess::index(object)));
}

String path_of(UObject* object) {
    UObject* outer = ObjectAccess::outer(object);
    const String& name = record(object).name;
    if (!outer) {
        return name;
    }
    UObject* outer_outer = ObjectAccess::outer(outer);
    bool outer_is_package = ObjectAccess::cls(outer)->name == STR("Package");
    bool sub_object =
        !outer_is_package && outer_outer && ObjectAccess::cls(outer_outer)->name == STR("Package");
    return path_of(outer) + (sub_object ? STR(":") : STR(".")) + name;
}
} // namespace

void detail::ObjectStore::clear() {
    // Destroy in reverse creation order so outers outlive what they hold.
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        auto* object = reinterpret_cast<UObject*>(it->storage.get());
        for (UClass* c = ObjectAccess::cls(object); c; c = c->super) {
            if (c->destruct) {
                c->destruct(object);
                break;
            }
        }
    }
    records.clear();
}

UObject* new_object(UClass* cls, StringView name, UObject* outer) {
    auto& w = world();
    ObjectRecord rec{std::make_unique<std::byte[]>(object_storage_size), String(name)};
    UObject* object = ObjectAccess::construct(rec.storage.get());
    ObjectAccess::init(object, static_cast<int>(w.objects.records.size()), cls, outer);
    w.objects.records.push_back(std::move(rec));
    for (UClass* c = cls; c; c = c->super) {
        if (c->construct) {
            c->construct(object);
            break;
        }
    }
    return object;
}

String full_name(UObject* object) {
    return ObjectAccess::cls(object)->name + STR(" ") + path_of(object);
}
String name_of(UObject* object) {
    return record(object).name;
}
UObject* outer_of(UObject* object) {
    return ObjectAccess::outer(object);
}
UClass* class_of(UObject* object) {
    return ObjectAccess::cls(object);
}
std::byte* storage(UObject* object) {
    return reinterpret_cast<std::byte*>(object);
}
} // namespace simhost

namespace RC::Unreal {
using simhost::Op;
using simhost::detail::host_call;

auto UObjectBase::GetOuterPrivate() -> UObject* {
    host_call(Op::GetOuterPrivate, static_cast<UObject*>(this));
    return OuterPrivate;
}
auto UObjectBase::GetClassPrivate() -> UClass* {
    return ClassPrivate;
}

auto UObject::GetFullName(UObject* StopOuter) -> StringType {
    host_call(Op::GetFullName, this);
    (void)StopOuter;
    return simhost::full_name(this);
}
auto UObject::GetName() -> StringType {
    return simhost::name_of(this);
}
} // namespace RC::Unreal
