// UE4SS main: engine objects, declarations only.
#pragma once

#include <File/Macros.hpp>
#include <cstdint>

namespace RC::Unreal {
using int32 = std::int32_t;
using uint8 = std::uint8_t;
using uint16 = std::uint16_t;
using uint32 = std::uint32_t;
using TCHAR = CharType;

class FName;
class UClass;
class UFunction;
class UObject;

class UObjectBase {
public:
    auto GetOuterPrivate() -> UObject*&;
    auto GetOuterPrivate() const -> const UObject*&;
    auto GetClassPrivate() -> UClass*&;
};

class UObject : public UObjectBase {
public:
    auto GetFullName(UObject* StopOuter = nullptr) const -> StringType;
    auto GetName() const -> StringType;
    auto GetFunctionByNameInChain(FName name) -> UFunction*;
    auto GetFunctionByNameInChain(const TCHAR* name) -> UFunction*;
    auto ProcessEvent(UFunction* function, void* Parms) -> void;
};
} // namespace RC::Unreal
