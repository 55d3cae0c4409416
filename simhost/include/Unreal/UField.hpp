// Reflected engine members, the base of structs and functions.
#pragma once

#include <Unreal/UObject.hpp>

namespace RC::Unreal {
class UField : public UObject {
protected:
    UField() = default;
    ~UField() = default;
};
} // namespace RC::Unreal
