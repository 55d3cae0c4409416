// What a hook callback is given when a hooked script function runs.
#pragma once

#include <functional>

namespace RC::Unreal {
class UObject;
struct FFrame;

class UnrealScriptFunctionCallableContext {
public:
    UObject* Context;
    FFrame& TheStack;
    void* RESULT_DECL;

    UnrealScriptFunctionCallableContext(UObject* context, FFrame& the_stack, void* result_decl)
        : Context(context), TheStack(the_stack), RESULT_DECL(result_decl) {}
};

using UnrealScriptFunctionCallable =
    std::function<void(UnrealScriptFunctionCallableContext&, void*)>;
} // namespace RC::Unreal
