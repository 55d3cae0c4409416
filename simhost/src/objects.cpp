// The object store: objects with their names and outers, their full names, and the engine's
// calls that read them.
#include <new>

#include "world.hpp"
#include <Unreal/UObjectGlobals.hpp>

namespace simhost {
namespace {
using detail::ObjectRecord;
using detail::world;
using RC::Unreal::ObjectAccess;

ObjectRecord& record(UObject* object) {
    return world().objects.records.at(static_cast<std::size_t>(ObjectAccess::index(object)));
}

// A name as UE4SS turns it into text: the engine's FName::ToString writes it into an engine
// FString, on the engine's own heap, which UE4SS copies into a string of its own and appends.
class EngineString {
public:
    explicit EngineString(StringView text)
        : units(static_cast<CharType*>(::operator new((text.size() + 1) * sizeof(CharType)))),
          length(text.size()) {
        text.copy(units, length);
        units[length] = CharType();
    }
    ~EngineString() { ::operator delete(units); }
    EngineString(const EngineString&) = delete;
    EngineString& operator=(const EngineString&) = delete;
    StringView view() const { return {units, length}; }

private:
    CharType* units;
    std::size_t length;
};

void append_name(String& out, StringView name) {
    const EngineString engine(name);
    const String copy(engine.view());
    out += copy;
}

// From the outermost object down, into a result nobody reserved, as UE4SS builds a full name.
void append_path(String& out, UObject* object) {
    UObject* outer = ObjectAccess::outer(object);
    if (outer) {
        append_path(out, outer);
        UObject* outer_outer = ObjectAccess::outer(outer);
        const bool outer_is_package = ObjectAccess::cls(outer)->name == STR("Package");
        const bool sub_object = !outer_is_package && outer_outer &&
                                ObjectAccess::cls(outer_outer)->name == STR("Package");
        out += sub_object ? STR(":") : STR(".");
    }
    append_name(out, record(object).name);
}

String path_of(UObject* object) {
    String out;
    append_path(out, object);
    return out;
}
} // namespace

void detail::ObjectStore::clear() {
    // Destroy in reverse creation order so outers outlive what they hold.
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        auto* object = reinterpret_cast<UObject*>(it->storage.get());
        for (auto* c = ObjectAccess::cls(object); c; c = c->super) {
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
    // At the class's declared size, so that a read past an object's end is seen.
    ObjectRecord rec{std::make_unique<std::byte[]>(detail::rec(cls)->object_size), String(name),
                     nullptr};
    UObject* object = ObjectAccess::construct(rec.storage.get());
    ObjectAccess::init(object, static_cast<int>(w.objects.records.size()), cls, outer);
    w.objects.records.push_back(std::move(rec));
    for (auto* c = detail::rec(cls); c; c = c->super) {
        if (c->construct) {
            c->construct(object);
            break;
        }
    }
    return object;
}

namespace detail {
UFunction* new_function(String path, std::unique_ptr<FunctionRecord> function) {
    auto& w = world();
    ObjectRecord rec{std::make_unique<std::byte[]>(object_storage_size), std::move(path),
                     std::move(function)};
    UFunction* object = ObjectAccess::construct_function(rec.storage.get());
    ObjectAccess::properties(object) = &rec.function->parameters;
    ObjectAccess::init(object, static_cast<int>(w.objects.records.size()),
                       find_class(STR("Function")), nullptr);
    w.objects.records.push_back(std::move(rec));
    return object;
}

FunctionRecord& record_of(UFunction* function) {
    return *record(function).function;
}

UObject* object_at_path(StringView path) {
    if (UFunction* function = function_at_path(path)) {
        return function;
    }
    for (auto& cls : world().classes) {
        if (path.size() == cls->package.size() + 1 + cls->name.size() &&
            path.starts_with(cls->package) && path[cls->package.size()] == CharType('.') &&
            path.ends_with(cls->name)) {
            return cls.get();
        }
    }
    for (auto& rec : world().objects.records) {
        auto* object = reinterpret_cast<UObject*>(rec.storage.get());
        if (!rec.function && path_of(object) == path) {
            return object;
        }
    }
    return nullptr;
}
} // namespace detail

String full_name(UObject* object) {
    String out;
    append_name(out, ObjectAccess::cls(object)->name);
    out += STR(" ");
    append_path(out, object);
    return out;
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

auto UObjectBase::GetOuterPrivate() -> UObject*& {
    const simhost::detail::HostCode in_host;
    host_call(Op::GetOuterPrivate, static_cast<UObject*>(this));
    return OuterPrivate;
}
auto UObjectBase::GetOuterPrivate() const -> const UObject*& {
    const simhost::detail::HostCode in_host;
    host_call(Op::GetOuterPrivate, const_cast<UObject*>(static_cast<const UObject*>(this)));
    // The engine's memory read as a pointer to a const object, as the host reads it.
    return *static_cast<const UObject**>(static_cast<void*>(const_cast<UObject**>(&OuterPrivate)));
}
auto UObjectBase::GetClassPrivate() -> UClass*& {
    return ClassPrivate;
}

auto UObject::GetFullName(UObject* StopOuter) const -> StringType {
    auto* self = const_cast<UObject*>(this);
    const simhost::detail::HostCode in_host;
    host_call(Op::GetFullName, self);
    (void)StopOuter;
    return simhost::full_name(self);
}
auto UObject::GetName() const -> StringType {
    return simhost::name_of(const_cast<UObject*>(this));
}

auto UObjectGlobals::StaticFindObject_InternalSlow(UClass* object_class, UObject*,
                                                   StringViewType orig_in_name, bool) -> UObject* {
    const simhost::detail::HostCode in_host;
    host_call(Op::StaticFindObject, nullptr, orig_in_name);
    UObject* found = simhost::detail::object_at_path(orig_in_name);
    if (found && object_class && ObjectAccess::cls(found) != object_class) {
        return nullptr;
    }
    return found;
}
} // namespace RC::Unreal
