// Engine objects as the host exposes them. Fields past the header (from byte 40 on) are the
// object's own raw storage, read by mods at the game's byte offsets.
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
    UObjectBase(const UObjectBase&) = delete;
    UObjectBase& operator=(const UObjectBase&) = delete;

    // The object that contains this one; null above the outermost object.
    auto GetOuterPrivate() -> UObject*&;
    auto GetOuterPrivate() const -> const UObject*&;
    auto GetClassPrivate() -> UClass*&;

protected:
    UObjectBase() = default;
    ~UObjectBase() = default;

private:
    friend struct ObjectAccess;
    int32 ObjectFlags{};
    int32 InternalIndex{};
    UClass* ClassPrivate{};
    std::uint64_t NamePrivate{};
    UObject* OuterPrivate{};
};

class UObject : public UObjectBase {
public:
    // "ClassName" + one blank + the path through the outers (see simhost/engine.hpp).
    auto GetFullName(UObject* StopOuter = nullptr) const -> StringType;
    auto GetName() const -> StringType;
    // The script function of that name in the class chain, or null.
    auto GetFunctionByNameInChain(FName name) -> UFunction*;
    auto GetFunctionByNameInChain(const TCHAR* name) -> UFunction*;
    // Runs the function synchronously, with every hook registered for it.
    auto ProcessEvent(UFunction* function, void* Parms) -> void;

protected:
    friend struct ObjectAccess;
    UObject() = default;
    ~UObject() = default;
};
} // namespace RC::Unreal
