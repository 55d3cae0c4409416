// A script function of the engine: an object, found by its path or by name in a class chain. Its
// parameters are its properties flagged CPF_Parm.
#pragma once

#include <Unreal/UStruct.hpp>

namespace RC::Unreal {
class UFunction : public UStruct {
public:
    // The size in bytes of the function's parameter block.
    auto GetParmsSize() -> uint16&;
    auto GetNumParms() -> uint8&;
    // 0xFFFF when the function returns nothing.
    auto GetReturnValueOffset() -> uint16&;
    auto GetReturnProperty() -> FProperty*;

protected:
    friend struct ObjectAccess;
    UFunction() = default;
    ~UFunction() = default;
};
} // namespace RC::Unreal
