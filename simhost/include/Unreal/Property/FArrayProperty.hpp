// Dynamic arrays, and the property of their elements.
#pragma once

#include <Unreal/FProperty.hpp>

namespace RC::Unreal {
class FArrayProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
    auto GetInner() -> FProperty* { return Inner; }

protected:
    friend struct ObjectAccess;
    FArrayProperty() = default;

private:
    FProperty* Inner{};
};
} // namespace RC::Unreal
