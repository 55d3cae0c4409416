// Control side of the simulated engine, for tests and tools. Nothing here counts as a call
// from the mod: only the RC:: operations do, and only they can be made to fail.
//
// Full names follow the engine's rule: "ClassName" + " " + the names from the outermost
// object down to the object itself. An element is joined to its outer with ":" when that outer
// is not a package but sits directly in one, and with "." otherwise, e.g.
// "TextBlock /Engine/Transient.GameEngine_0:W_Trading_Main_C_0.WidgetTree.Text_Value".
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <File/Macros.hpp>
#include <Unreal/FText.hpp>
#include <Unreal/UFunction.hpp>
#include <Unreal/UFunctionStructs.hpp>
#include <Unreal/UObject.hpp>

namespace simhost {
using RC::CharType;
using String = RC::StringType;
using StringView = RC::StringViewType;
using RC::Unreal::FText;
using RC::Unreal::UClass;
using RC::Unreal::UFunction;
using RC::Unreal::UObject;

// Raw storage of every object, header included; large enough for the game's offsets.
inline constexpr std::size_t object_storage_size = 0x800;

// What a script function does when it runs on an object with a parameter block.
using NativeCode = std::function<void(UObject* self, std::byte* params)>;
using ObjectHook = std::function<void(UObject* self)>;

// Forgets every class, object, hook, log line and fault, and the game's state; the next world
// starts empty.
void reset();

// Classes. `package` is the script module, e.g. "/Script/G1R".
UClass* define_class(StringView package, StringView name, UClass* super = nullptr);
UClass* find_class(StringView name);
// Runs when an object of the class (or of a class derived from it) is created / destroyed.
void set_lifecycle(UClass* cls, ObjectHook construct, ObjectHook destruct);
// How the engine runs a function, which decides how the host hooks it: a native function gets
// two hook ids, a script function one for both; one that is neither cannot be hooked.
enum class FunctionKind { Native, Script, Neither };
// A script function: an object of the engine, found by its path "/Script/Package.Class:Name".
// `return_offset` is negative for a function without a return value.
UFunction* define_function(UClass* cls, StringView name, std::uint16_t params_size,
                           int return_offset, NativeCode native,
                           FunctionKind kind = FunctionKind::Native);
// The function is no longer loaded: neither its path nor its name finds it.
void remove_function(UClass* cls, StringView name);
// What GetParmsSize() reports from now on.
void set_parms_size(UFunction* function, std::uint16_t size);
UFunction* find_function(UObject* object, StringView name);
String function_path(UFunction* function);
// The loaded function at that path, or null.
UFunction* function_at(StringView path);

// Objects live until reset().
UObject* new_object(UClass* cls, StringView name, UObject* outer = nullptr);
String full_name(UObject* object);
String name_of(UObject* object);
UObject* outer_of(UObject* object);
UClass* class_of(UObject* object);
String class_name(UClass* cls);
std::byte* storage(UObject* object);

template <class T> T read_field(UObject* object, std::size_t offset) {
    T value;
    std::memcpy(&value, storage(object) + offset, sizeof(T));
    return value;
}
template <class T> void write_field(UObject* object, std::size_t offset, T value) {
    std::memcpy(storage(object) + offset, &value, sizeof(T));
}

// A call made by the game: runs the function, then its hooks.
void call(UObject* object, UFunction* function, void* params);
void call(UObject* object, StringView function_name, void* params);

// Text values. The engine counts the references to each text; the host's FText takes none and
// gives none back (it has no destructor), so every text a mod builds stays referenced for good.
// A text built by the engine for the game, holding one reference, until release_text().
FText make_text(StringView text);
void release_text(FText& text);
String text_of(const FText& text);
// References to engine texts held now: one for each text block's text, one for each text built
// and never released.
std::int64_t text_references();
// False: as when the host's scan did not find the engine's text constructor, a new FText keeps
// its Data null.
void set_text_constructor_found(bool found);

// The host log: one entry per call of the output operation, the mod's and the host's own
// (mod loader) in order, each as sent. A launch of the mod loader starts it afresh.
const std::vector<String>& log();
void clear_log();
// The log as UE4SS.log holds it: UTF-8 without a byte-order mark, each entry after the UTC time
// it was sent, "[YYYY-MM-DD HH:MM:SS] ". An entry without a line break of its own runs on into
// the next entry's time stamp, as in the real file.
std::string log_file_text();
// False when the file cannot be written.
bool write_log_file(const std::filesystem::path& path);
// Where the time stamps come from; empty: the system clock. Kept over reset().
void set_log_clock(std::function<std::chrono::system_clock::time_point()> clock);

// Hooks.
// The pair RegisterHook returns for the function at `path` from now on, instead of fresh ids; the
// hook is held only when one of them is above 0.
void set_register_result(StringView path, std::pair<int, int> ids);
std::size_t registered_hook_count();
// Every registered path, in order of registration.
std::vector<String> registered_paths();
// Paths passed to UnregisterHook, in order.
const std::vector<String>& unregistered_paths();
// Replaces the post-callback of the live hook registered for `path`, e.g. by one that lets
// exceptions through so that a test sees them; false when no hook is registered there.
bool replace_post_callback(StringView path, RC::Unreal::UnrealScriptFunctionCallable post);
// Paths of the hooks still registered when the host freed the library that registered them,
// since reset(): the real host would run freed code at their next call. Taken out of the
// registry as their library goes, so that here they never run.
const std::vector<String>& orphaned_hooks();
// Exceptions that a hook callback let out into the engine since reset(). The engine passes
// them on to whoever made the game call, as a real host would crash the game.
std::uint64_t callback_escapes();

// Faults. Every RC:: operation counts as one host call.
enum class Op {
    GetFullName,
    GetOuterPrivate,
    GetFunctionByNameInChain,
    ProcessEvent,
    FTextConstruct,
    FTextToString,
    StaticFindObject,
    GetParmsSize,
    RegisterHook,
    UnregisterHook,
    OutputSend,
};
inline constexpr std::size_t op_count = static_cast<std::size_t>(Op::OutputSend) + 1;
const char* op_name(Op op);
enum class FaultKind {
    Standard, // throws std::runtime_error
    Foreign,  // throws a value of a type not derived from std::exception
};
struct ForeignFault {
    int code;
};
struct Fault {
    std::optional<Op> op; // only calls of this operation count; any when empty
    std::uint64_t nth;    // the nth matching call from now on fails, counted from 1
    FaultKind kind = FaultKind::Standard;
    bool repeat = false; // every matching call from the nth on fails
};
void arm_fault(Fault fault);
void disarm_faults();
// GetFullName of this object always throws.
void fail_full_name_of(UObject* object, FaultKind kind = FaultKind::Standard);
std::uint64_t host_calls();
std::uint64_t host_calls(Op op);
// True while the engine's own code runs a host call on this thread, outside the callbacks it runs
// from there: what is allocated then is the host's, not the mod's.
bool in_host_code();
// Faults thrown since reset().
std::uint64_t faults_thrown();

// What one host call was made on, and from which hook callback.
struct CallRecord {
    Op op;
    UObject* subject;       // the object called on (GetFullName, GetOuterPrivate, ...), or null
    String detail;          // the function name, log line or hook path given, or empty
    String hook;            // path of the innermost hook callback running; empty outside one
    std::uint64_t callback; // that callback's run, counted from 1 since reset(); 0 outside one
    UObject* context;       // the object that callback's function ran on, or null
};
// Off after reset(): a record copies names and lines on every host call, and the records grow
// with every call for as long as it is on.
void record_calls(bool on);
const std::vector<CallRecord>& call_records();
} // namespace simhost
