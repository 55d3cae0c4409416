// One-byte numbers and enums.
#pragma once

#include <Unreal/Property/NumericPropertyTypes.hpp>

namespace RC::Unreal {
class FByteProperty : public FNumericProperty {
public:
    static auto StaticClass() -> FFieldClass&;

protected:
    friend struct ObjectAccess;
    FByteProperty() = default;
};
} // namespace RC::Unreal
