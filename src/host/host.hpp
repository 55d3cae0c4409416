// The one seam between the mod and UE4SS: every call into the host goes through here, so a
// build against the real SDK changes this folder alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include <Unreal/FText.hpp>
#include <Unreal/UnrealScriptFunctionCallable.hpp>

#include "host/text.hpp"

namespace tallyglass::host {
using Object = RC::Unreal::UObject;
using Function = RC::Unreal::UFunction;
using Context = RC::Unreal::UnrealScriptFunctionCallableContext;
using Callback = RC::Unreal::UnrealScriptFunctionCallable;
using HookIds = std::pair<int, int>;

void log(StringView line);

// May throw.
String full_name(Object* object);
Object* outer(Object* object);
Function* find_function(Object* object, const Char* name);
void process_event(Object* object, Function* function, void* params);

inline Object* context_object(const Context& context) {
    return context.Context;
}
inline void* context_result(const Context& context) {
    return context.RESULT_DECL;
}

// Registers `post` to run after each call of the function at `path`; the pre-callback does
// nothing. May throw.
HookIds register_hook(StringView path, Callback post, void* custom_data);
void unregister_hook(StringView path, HookIds ids);

// The engine's text value, opaque: its reported size, the size of the type itself, and
// construction, reading and destruction at a given address.
std::int32_t text_static_size();
constexpr std::size_t text_type_size() {
    return sizeof(RC::Unreal::FText);
}
constexpr std::size_t text_type_align() {
    return alignof(RC::Unreal::FText);
}
void construct_text(void* where, const Char* text);
void destroy_text(void* where);
String text_to_string(const void* text);
} // namespace tallyglass::host
