// A script function of the engine: an object, found by its path or by name in a class chain.
#pragma once

#include <Unreal/UStruct.hpp>

namespace RC::Unreal {
class UFunction : public UStruct {
public:
    // The size in bytes of the function's parameter block.
    auto GetParmsSize() -> uint16&;

protected:
    friend struct ObjectAccess;
    UFunction() = default;
    ~UFunction() = default;
};
} // namespace RC::Unreal
