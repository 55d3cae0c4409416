// Values of a struct type held in place.
#pragma once

#include <Unreal/FProperty.hpp>

namespace RC::Unreal {
class FStructProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    friend struct ObjectAccess;
    FStructProperty() = default;
};
} // namespace RC::Unreal
