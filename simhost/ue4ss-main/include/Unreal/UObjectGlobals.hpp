// UE4SS main: finding objects and hooking functions, declarations only.
#pragma once

#include <File/Macros.hpp>
#include <Unreal/UFunctionStructs.hpp>
#include <Unreal/UObject.hpp>
#include <utility>

namespace RC::Unreal::UObjectGlobals {
auto RegisterHook(UFunction* function, UnrealScriptFunctionCallable pre_callback,
                  UnrealScriptFunctionCallable post_callback, void* custom_data)
    -> std::pair<int, int>;
auto RegisterHook(const StringType& function_name_or_path,
                  UnrealScriptFunctionCallable pre_callback,
                  UnrealScriptFunctionCallable post_callback, void* custom_data)
    -> std::pair<int, int>;
auto UnregisterHook(UFunction* function, std::pair<int, int> callback_ids) -> void;
auto UnregisterHook(const StringType& function_name_or_path, std::pair<int, int> callback_ids)
    -> void;

auto StaticFindObject_InternalSlow(UClass* object_class, UObject* in_object_package,
                                   StringViewType orig_in_name, bool exact_class) -> UObject*;
// The cast needs ObjectType complete.
template <typename ObjectType = UObject*>
auto StaticFindObject(UClass* object_class, UObject* in_object_package,
                      const CharType* orig_in_name, bool exact_class = false) -> ObjectType {
    return static_cast<ObjectType>(
        StaticFindObject_InternalSlow(object_class, in_object_package, orig_in_name, exact_class));
}
template <typename ObjectType = UObject*>
auto StaticFindObject(UClass* object_class, UObject* in_object_package, StringViewType orig_in_name,
                      bool exact_class = false) -> ObjectType {
    return static_cast<ObjectType>(
        StaticFindObject_InternalSlow(object_class, in_object_package, orig_in_name, exact_class));
}
template <typename ObjectType = UObject*>
auto StaticFindObject(UClass* object_class, UObject* in_object_package,
                      const StringType& orig_in_name, bool exact_class = false) -> ObjectType {
    return static_cast<ObjectType>(
        StaticFindObject_InternalSlow(object_class, in_object_package, orig_in_name, exact_class));
}
} // namespace RC::Unreal::UObjectGlobals
