// Engine types with reflected members: classes, structs and functions.
#pragma once

#include <Unreal/UField.hpp>

namespace RC::Unreal {
class UStruct : public UField {
protected:
    UStruct() = default;
    ~UStruct() = default;
};
} // namespace RC::Unreal
