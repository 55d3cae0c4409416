// A reflected property: where its value sits in its container, how wide it is and its flags.
#pragma once

#include <Unreal/FField.hpp>
#include <Unreal/UnrealFlags.hpp>
#include <cstdint>

namespace RC::Unreal {
class FProperty : public FField {
public:
    static auto StaticClass() -> FFieldClass&;

    auto GetArrayDim() -> std::int32_t& { return ArrayDim; }
    auto GetElementSize() -> std::int32_t& { return ElementSize; }
    auto GetSize() const -> std::int32_t { return ArrayDim * ElementSize; }
    auto GetOffset_Internal() -> std::int32_t& { return Offset_Internal; }
    auto GetPropertyFlags() -> EPropertyFlags& { return PropertyFlags; }
    auto HasAnyPropertyFlags(EPropertyFlags FlagsToCheck) const -> bool {
        return (PropertyFlags & FlagsToCheck) != CPF_None;
    }
    auto HasAllPropertyFlags(EPropertyFlags FlagsToCheck) const -> bool {
        return (PropertyFlags & FlagsToCheck) == FlagsToCheck;
    }
    template <typename ValueType>
    auto ContainerPtrToValuePtr(void* ContainerPtr, std::int32_t ArrayIndex = 0) -> ValueType* {
        return static_cast<ValueType*>(static_cast<void*>(
            static_cast<std::uint8_t*>(ContainerPtr) + Offset_Internal + ElementSize * ArrayIndex));
    }
    template <typename ValueType>
    auto ContainerPtrToValuePtr(const void* ContainerPtr, std::int32_t ArrayIndex = 0) const
        -> const ValueType* {
        return static_cast<const ValueType*>(
            static_cast<const void*>(static_cast<const std::uint8_t*>(ContainerPtr) +
                                     Offset_Internal + ElementSize * ArrayIndex));
    }

protected:
    friend struct ObjectAccess;
    FProperty() = default;

private:
    std::int32_t ArrayDim{1};
    std::int32_t ElementSize{};
    EPropertyFlags PropertyFlags{CPF_None};
    std::int32_t Offset_Internal{};
};
} // namespace RC::Unreal
