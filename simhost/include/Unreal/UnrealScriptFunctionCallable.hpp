// What a hook callback is given when a hooked script function runs.
#pragma once

#include <Unreal/UObject.hpp>
#include <functional>

namespace RC::Unreal {
struct FFrame {
    void* Locals{};
};

struct UnrealScriptFunctionCallableContext {
    UObject* Context;
    FFrame& TheStack;
    void* RESULT_DECL;
};

using UnrealScriptFunctionCallable =
    std::function<void(UnrealScriptFunctionCallableContext&, void*)>;
} // namespace RC::Unreal
