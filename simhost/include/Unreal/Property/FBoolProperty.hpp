// Flags: a whole byte or one bit of one.
#pragma once

#include <Unreal/FProperty.hpp>

namespace RC::Unreal {
class FBoolProperty : public FProperty {
public:
    static auto StaticClass() -> FFieldClass&;
    // 0xFF for a flag that is a whole byte.
    auto GetFieldMask() const -> std::uint8_t { return FieldMask; }

protected:
    friend struct ObjectAccess;
    FBoolProperty() = default;

private:
    std::uint8_t FieldMask{0xFF};
};
} // namespace RC::Unreal
