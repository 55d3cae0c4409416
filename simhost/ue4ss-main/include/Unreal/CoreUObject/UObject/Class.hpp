// UE4SS main: structs, classes and functions, in the header every include of RE-UE4SS now names.
// There is no Unreal/UFunction.hpp here.
#pragma once

#include <Unreal/NameTypes.hpp>
#include <Unreal/UObject.hpp>
#include <cstdint>

namespace RC::Unreal {
class FProperty;

class UField : public UObject {};
class UStruct : public UField {
public:
    auto GetSuperStruct() -> UStruct*;
    auto GetPropertiesSize() -> std::int32_t;
    auto GetPropertyByNameInChain(const TCHAR* PropertyName) -> FProperty*;
    auto FindProperty(FName PropertyName) -> FProperty*;
};
class UClass : public UStruct {};
class UFunction : public UStruct {
public:
    auto GetParmsSize() -> uint16&;
    auto GetNumParms() -> uint8&;
    auto GetReturnValueOffset() -> uint16&;
    auto GetReturnProperty() -> FProperty*;
};
} // namespace RC::Unreal
