// The simulated engine's own types, and what its files call in each other.
#pragma once

#include <Unreal/FText.hpp>
#include <Unreal/Property/FArrayProperty.hpp>
#include <Unreal/Property/FBoolProperty.hpp>
#include <Unreal/Property/FByteProperty.hpp>
#include <Unreal/Property/FObjectProperty.hpp>
#include <Unreal/Property/FStructProperty.hpp>
#include <Unreal/Property/FTextProperty.hpp>
#include <Unreal/Property/NumericPropertyTypes.hpp>
#include <Unreal/UClass.hpp>
#include <Unreal/UFunction.hpp>
#include <Unreal/UFunctionStructs.hpp>
#include <memory>
#include <simhost/engine.hpp>
#include <simhost/layout.hpp>
#include <string>

namespace simhost::detail {
struct ClassRecord;
}

namespace RC::Unreal {
// A struct's own properties, owned by the struct's record; array elements' properties too.
struct UStructProperties {
    UStruct* super{};
    std::vector<std::unique_ptr<FProperty>> owned;
    std::vector<FProperty*> properties; // its own, in order
    std::int32_t size{};
};

struct FFrame {
    void* Locals{};
};

// One engine text. The simulated engine keeps one per distinct string and counts the references
// to it, so that texts nothing releases cost a count, not memory.
class ITextData {
public:
    simhost::String text;
    std::int64_t references{};
};

// The one friend of the engine's types: reads and writes their private fields.
struct ObjectAccess {
    static void init(UObject* object, int index, UClass* cls, UObject* outer) {
        object->InternalIndex = index;
        object->ClassPrivate = cls;
        object->OuterPrivate = outer;
    }
    static int index(const UObject* object) { return object->InternalIndex; }
    static simhost::detail::ClassRecord* cls(const UObject* object);
    static UObject* outer(const UObject* object) { return object->OuterPrivate; }
    static UObject* construct(std::byte* where) { return new (where) UObject(); }
    static UFunction* construct_function(std::byte* where) { return new (where) UFunction(); }
    static UStructProperties*& properties(UStruct* s) { return s->Properties; }
    static std::uint32_t& name_index(FName& name) { return name.ComparisonIndex; }
    static void init_field(FField* field, FFieldClass* cls, FName name) {
        field->ClassPrivate = cls;
        field->NamePrivate = name;
    }
    static void init_property(FProperty* p, std::int32_t offset, std::int32_t size,
                              EPropertyFlags flags) {
        p->Offset_Internal = offset;
        p->ElementSize = size;
        p->PropertyFlags = flags;
    }
    static UClass*& property_class(FObjectPropertyBase* p) { return p->PropertyClass; }
    static FProperty*& inner(FArrayProperty* p) { return p->Inner; }
    template <class T> static std::unique_ptr<FProperty> make_property() {
        return std::unique_ptr<FProperty>(new T());
    }
};
} // namespace RC::Unreal

namespace simhost::detail {
// A class's own data: the engine's UClass with the simulated engine's record of it.
struct ClassRecord final : RC::Unreal::UClass {
    String package;
    String name;
    ClassRecord* super{};
    std::vector<UFunction*> functions; // objects of the store
    ObjectHook construct;
    ObjectHook destruct;
    std::size_t object_size = object_storage_size; // of each of its objects
    RC::Unreal::UStructProperties reflected;
};
inline ClassRecord* rec(UClass* cls) {
    return static_cast<ClassRecord*>(cls);
}
inline const ClassRecord* rec(const UClass* cls) {
    return static_cast<const ClassRecord*>(cls);
}
} // namespace simhost::detail

inline simhost::detail::ClassRecord* RC::Unreal::ObjectAccess::cls(const UObject* object) {
    return simhost::detail::rec(object->ClassPrivate);
}

namespace simhost::detail {

// A script function's own data, beside its object.
struct FunctionRecord {
    UClass* owner{};
    String name;
    std::uint16_t parms_size{};
    int return_offset{-1};
    NativeCode native;
    FunctionKind kind{};
    bool removed{};
    int name_index{}; // its name in the engine's name table
    // As its reflection reports them: set when its parameters are declared.
    std::uint8_t num_parms{};
    std::uint16_t return_value_offset{0xFFFF};
    RC::Unreal::UStructProperties parameters;
};
FunctionRecord& record_of(UFunction* function);
// The engine's FName of a text: its index in the name table, made when `add`, else -1 when none.
int name_index(StringView name, bool add);
// A function's object, named by its path.
UFunction* new_function(String path, std::unique_ptr<FunctionRecord> function);
// The loaded object at that path ("/Script/UMG.TextBlock:SetText" for a function), or null.
UObject* object_at_path(StringView path);

// The real host would take the game down here (an access violation): nothing can catch it.
[[noreturn]] void crash(const std::string& what);

// Counts one host call of `op` and throws when a fault is armed for it.
void host_call(Op op, UObject* subject = nullptr, StringView detail = {});
// The engine's own code, for the length of one host call: what it allocates is the host's. A
// callback the engine runs from inside it is the mod's code again (OwnCode).
class HostCode {
public:
    HostCode();
    ~HostCode();
    HostCode(const HostCode&) = delete;
    HostCode& operator=(const HostCode&) = delete;
};
class OwnCode {
public:
    OwnCode();
    ~OwnCode();
    OwnCode(const OwnCode&) = delete;
    OwnCode& operator=(const OwnCode&) = delete;

private:
    int outer;
};
// The script function at "/Script/Package.Class:Function", or null.
UFunction* function_at_path(StringView path);
// The properties of a class or a function's parameters, from rows of the game's layout table.
void declare_properties(RC::Unreal::UStructProperties& to,
                        const std::vector<game::PropertyRow>& rows);
void set_installed_layout(const game::LayoutTable& layout);
// The game's per-object state lives in game.cpp; reset() clears it with the rest of the world.
void clear_game_state();
// Runs the function's native code between its hooks' pre- and post-callbacks.
void run(UObject* object, UFunction* function, void* params);

// The engine's own handling of text references, which the host's FText leaves to it.
RC::Unreal::ITextData* acquire_text(StringView text);
void release_text(RC::Unreal::ITextData* data);
// `to = from` as the engine assigns a text: the new one referenced, the old one released.
void assign_text(FText& to, const FText& from);

// The host's own log lines: in the log with the mod's, but no host call of the mod.
void host_line(StringView line);
// A launch starts a fresh log; at the game's exit it closes, and what is sent then is dropped.
void open_log();
void close_log();
// Drops what this thread sends for one scope, for releasing what the real host never releases
// (other threads' lines still go in).
class LogMute {
public:
    LogMute();
    ~LogMute();
    LogMute(const LogMute&) = delete;
    LogMute& operator=(const LogMute&) = delete;
};

// Hooks registered while `owner`'s code runs belong to it (also from inside its callbacks).
class OwnerScope {
public:
    explicit OwnerScope(const void* owner);
    ~OwnerScope();
    OwnerScope(const OwnerScope&) = delete;
    OwnerScope& operator=(const OwnerScope&) = delete;

private:
    const void* outer;
};
// Takes the hooks of `owner` out of the registry before its library goes; `record` adds their
// paths to orphaned_hooks().
void drop_hooks_of(const void* owner, bool record);

// Exceptions carry narrow text: anything past ASCII shows as '?'.
inline std::string narrow(StringView text) {
    std::string out;
    for (CharType c : text) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

// Narrow text as the host widens it: one code unit per byte.
inline String widen(std::string_view text) {
    String out;
    for (char c : text) {
        out.push_back(static_cast<CharType>(static_cast<unsigned char>(c)));
    }
    return out;
}
} // namespace simhost::detail
