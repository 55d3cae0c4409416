// Finding objects by path, and hooks on script functions.
#pragma once

#include <File/Macros.hpp>
#include <Unreal/UFunctionStructs.hpp>
#include <Unreal/UObject.hpp>
#include <string>
#include <string_view>
#include <utility>

namespace RC::Unreal::UObjectGlobals {
// Hooks the function: ids (pre, post) from one counter, both the same for a script function.
// Throws std::runtime_error for a function that is neither native nor script. A null function
// is dereferenced: the game crashes.
auto RegisterHook(UFunction* function, UnrealScriptFunctionCallable pre_callback,
                  UnrealScriptFunctionCallable post_callback, void* custom_data)
    -> std::pair<int, int>;
// Finds the function by path, then as above without a null check: an unknown path crashes.
auto RegisterHook(const StringType& function_name_or_path,
                  UnrealScriptFunctionCallable pre_callback,
                  UnrealScriptFunctionCallable post_callback, void* custom_data)
    -> std::pair<int, int>;
// After this neither callback of the registration runs again.
auto UnregisterHook(UFunction* function, std::pair<int, int> callback_ids) -> void;
// Throws std::runtime_error when no function has that path.
auto UnregisterHook(const StringType& function_name_or_path, std::pair<int, int> callback_ids)
    -> void;

// The loaded object of that path, or null.
auto StaticFindObject_InternalSlow(UClass* object_class, UObject* in_object_package,
                                   StringViewType orig_in_name, bool exact_class) -> UObject*;
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
