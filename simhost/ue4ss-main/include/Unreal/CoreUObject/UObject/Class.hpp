// UE4SS main: structs, classes and functions, in the header every include of RE-UE4SS now names.
// There is no Unreal/UFunction.hpp here.
#pragma once

#include <Unreal/UObject.hpp>

namespace RC::Unreal {
class UField : public UObject {};
class UStruct : public UField {};
class UClass : public UStruct {};
class UFunction : public UStruct {
public:
    auto GetParmsSize() -> uint16&;
};
} // namespace RC::Unreal
