// Numeric properties.
#pragma once

#include <Unreal/FProperty.hpp>

namespace RC::Unreal {
class FNumericProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    FNumericProperty() = default;
};
class FIntProperty : public FNumericProperty {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    friend struct ObjectAccess;
    FIntProperty() = default;
};
class FFloatProperty : public FNumericProperty {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    friend struct ObjectAccess;
    FFloatProperty() = default;
};
} // namespace RC::Unreal
