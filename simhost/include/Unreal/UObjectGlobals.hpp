// Hook registration on script functions, by the function's full path.
#pragma once

#include <Unreal/UnrealScriptFunctionCallable.hpp>
#include <utility>

namespace RC::Unreal::UObjectGlobals {
// Returns the (pre, post) ids; throws std::runtime_error when no function has that path.
auto RegisterHook(StringViewType function_path, const UnrealScriptFunctionCallable& pre_callback,
                  const UnrealScriptFunctionCallable& post_callback, void* custom_data)
    -> std::pair<int, int>;
// After this neither callback of the registration runs again.
auto UnregisterHook(StringViewType function_path, std::pair<int, int> ids) -> bool;
} // namespace RC::Unreal::UObjectGlobals
