#include "host/host.hpp"

#include <new>
#include <type_traits>

#include <DynamicOutput/Output.hpp>
#include <Unreal/FText.hpp>
#include <Unreal/UObject.hpp>
#include <Unreal/UObjectGlobals.hpp>

static_assert(std::is_same_v<tallyglass::Char, RC::CharType>,
              "the mod's text must be the host's text");

namespace tallyglass::host {
void log(StringView line) {
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

HookIds register_hook(StringView path, Callback post, void* custom_data) {
    return RC::Unreal::UObjectGlobals::RegisterHook(
        path, [](Context&, void*) {}, post, custom_data);
}
void unregister_hook(StringView path, HookIds ids) {
    RC::Unreal::UObjectGlobals::UnregisterHook(path, ids);
}

std::int32_t text_static_size() {
    return RC::Unreal::FText::StaticSize();
}
void construct_text(void* where, const Char* text) {
    new (where) RC::Unreal::FText(text);
}
void destroy_text(void* where) {
    std::launder(static_cast<RC::Unreal::FText*>(where))->~FText();
}
String text_to_string(const void* text) {
    return std::launder(static_cast<const RC::Unreal::FText*>(text))->ToString();
}
} // namespace tallyglass::host
