// UE4SS main: properties and the iteration over a struct's fields.
#pragma once

#include <Unreal/CoreUObject/UObject/Class.hpp>
#include <Unreal/CoreUObject/UObject/Field.hpp>
#include <Unreal/UnrealFlags.hpp>
#include <cstdint>

namespace RC::Unreal {
class FProperty : public FField {
public:
    static auto StaticClass() -> FFieldClass&;
    auto GetArrayDim() -> std::int32_t&;
    auto GetElementSize() -> std::int32_t&;
    auto GetSize() const -> std::int32_t;
    auto GetOffset_Internal() -> std::int32_t&;
    auto GetPropertyFlags() -> EPropertyFlags&;
    auto HasAnyPropertyFlags(EPropertyFlags FlagsToCheck) const -> bool;
    auto HasAllPropertyFlags(EPropertyFlags FlagsToCheck) const -> bool;
    template <typename ValueType>
    auto ContainerPtrToValuePtr(void* ContainerPtr, std::int32_t ArrayIndex = 0) -> ValueType*;
};
class FNumericProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
};
class FIntProperty : public FNumericProperty {
public:
    static auto StaticClass() -> FFieldClass&;
};
class FByteProperty : public FNumericProperty {
public:
    static auto StaticClass() -> FFieldClass&;
};
class FBoolProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
};
class FObjectPropertyBase : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
    auto GetPropertyClass() -> UClass*;
};
class FObjectProperty : public FObjectPropertyBase {
public:
    static auto StaticClass() -> FFieldClass&;
};
class FTextProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
};
class FArrayProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
    auto GetInner() -> FProperty*;
};
class FStructProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
};

enum class EFieldIterationFlags : std::uint8_t {
    None = 0,
    IncludeSuper = 1 << 0,
    IncludeDeprecated = 1 << 1,
    IncludeInterfaces = 1 << 2,
};

template <class FieldType> class TFieldIterator {
public:
    TFieldIterator(const UStruct* InStruct, EFieldIterationFlags InIterationFlags);
    auto operator*() const -> FieldType*;
    auto operator++() -> TFieldIterator&;
    auto operator!=(const TFieldIterator& Other) const -> bool;
};

template <class FieldType> struct TFieldRange {
    TFieldRange(const UStruct* InStruct, EFieldIterationFlags InIterationFlags);
    auto begin() -> TFieldIterator<FieldType>;
    auto end() -> TFieldIterator<FieldType>;
};
} // namespace RC::Unreal
