// UE4SS main: fields that are not objects, their classes and the casts between them.
#pragma once

#include <Unreal/NameTypes.hpp>

namespace RC::Unreal {
class FFieldClass {
public:
    auto GetFName() const -> FName;
    auto GetSuperClass() const -> FFieldClass*;
};

class FField {
public:
    static auto StaticClass() -> FFieldClass&;
    auto GetClass() -> FFieldClass&;
    auto GetFName() const -> FName;
    auto IsA(const FFieldClass& Class) const -> bool;
    template <typename FieldType> auto IsA() const -> bool { return IsA(FieldType::StaticClass()); }
};

template <typename FieldType> auto CastField(FField* Src) -> FieldType* {
    return Src && Src->IsA<FieldType>() ? static_cast<FieldType*>(Src) : nullptr;
}
} // namespace RC::Unreal
