// The simulated engine's own types, and what its files call in each other.
#pragma once

#include <Unreal/FText.hpp>
#include <Unreal/UFunction.hpp>
#include <Unreal/UFunctionStructs.hpp>
#include <memory>
#include <simhost/engine.hpp>
#include <string>

namespace RC::Unreal {
class UClass {
public:
    simhost::String package;
    simhost::String name;
    UClass* super{};
    std::vector<UFunction*> functions; // objects of the store
    simhost::ObjectHook construct;
    simhost::ObjectHook destruct;
};

struct FFrame {
    void* Locals{};
};

// Opaque to mods; no mod can make one in the simulated engine.
class FName {};

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
    static UClass* cls(const UObject* object) { return object->ClassPrivate; }
    static UObject* outer(const UObject* object) { return object->OuterPrivate; }
    static UObject* construct(std::byte* where) { return new (where) UObject(); }
    static UFunction* construct_function(std::byte* where) { return new (where) UFunction(); }
};
} // namespace RC::Unreal

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
