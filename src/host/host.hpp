// The one seam between the mod and UE4SS: every call into the host goes through here. It
// includes only what UE4SS 3.0.1 and UE4SS main both declare, so one source builds against both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include <File/Macros.hpp>
#include <Unreal/FText.hpp>
#include <Unreal/UFunctionStructs.hpp>
#include <Unreal/UObject.hpp>
#if __has_include(<Unreal/CoreUObject/UObject/Class.hpp>)
#include <Unreal/CoreUObject/UObject/Class.hpp>
#else
#include <Unreal/UFunction.hpp>
#endif

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

// The loaded script function at a full path, or null. May throw.
Function* find_function_at(const String& path);
// Registers `post` to run after each call of `function` (never null); the pre-callback does
// nothing. May throw.
HookIds register_hook(Function* function, Callback post, void* custom_data);
void unregister_hook(Function* function, HookIds ids);
// The size in bytes of the function's parameter block. May throw.
std::int32_t params_size(Function* function);

// The engine's text value, opaque: its type's size and alignment, building one at a given address
// and reading one. Nothing releases a text: the host's type has no destructor.
constexpr std::size_t text_type_size() {
    return sizeof(RC::Unreal::FText);
}
constexpr std::size_t text_type_align() {
    return alignof(RC::Unreal::FText);
}
// False when the engine built no text (the host found no text constructor to call). May throw.
bool construct_text(void* where, const Char* text);
String text_to_string(const void* text);
} // namespace tallyglass::host
