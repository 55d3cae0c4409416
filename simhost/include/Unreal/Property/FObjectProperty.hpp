// Object references, and the class they refer to.
#pragma once

#include <Unreal/FProperty.hpp>

namespace RC::Unreal {
class UClass;

class FObjectPropertyBase : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
    auto GetPropertyClass() -> UClass* { return PropertyClass; }

protected:
    friend struct ObjectAccess;
    FObjectPropertyBase() = default;

private:
    UClass* PropertyClass{};
};
class FObjectProperty : public FObjectPropertyBase {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    friend struct ObjectAccess;
    FObjectProperty() = default;
};
} // namespace RC::Unreal
