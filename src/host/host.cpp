#include "host/host.hpp"

#include <new>
#include <type_traits>

#include <DynamicOutput/Output.hpp>
#include <Unreal/UObjectGlobals.hpp>

static_assert(std::is_same_v<tallyglass::Char, RC::CharType>,
              "the mod's text must be the host's text");

namespace tallyglass::host {
namespace globals = RC::Unreal::UObjectGlobals;

void log(StringView line) {
    // The one-argument send writes the line as it is; the others would format it.
    RC::Output::send(line);
}

String full_name(Object* object) {
    return object->GetFullName(nullptr);
}
Object* outer(Object* object) {
    return object->GetOuterPrivate();
}
Function* find_function(Object* object, const Char* name) {
    return object->GetFunctionByNameInChain(name);
}
void process_event(Object* object, Function* function, void* params) {
    object->ProcessEvent(function, params);
}

Function* find_function_at(const String& path) {
    return globals::StaticFindObject<Function*>(nullptr, nullptr, path);
}
HookIds register_hook(Function* function, Callback post, void* custom_data) {
    return globals::RegisterHook(
        function, [](Context&, void*) {}, std::move(post), custom_data);
}
void unregister_hook(Function* function, HookIds ids) {
    globals::UnregisterHook(function, ids);
}
std::int32_t params_size(Function* function) {
    return function->GetParmsSize();
}

bool construct_text(void* where, const Char* text) {
    return (new (where) RC::Unreal::FText(text))->Data != nullptr;
}
String text_to_string(const void* text) {
    return std::launder(static_cast<const RC::Unreal::FText*>(text))->ToString();
}
} // namespace tallyglass::host
