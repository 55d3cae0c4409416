// Engine text values.
#pragma once

#include <Unreal/FProperty.hpp>

namespace RC::Unreal {
class FTextProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    friend struct ObjectAccess;
    FTextProperty() = default;
};
} // namespace RC::Unreal
