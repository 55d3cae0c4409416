// A class of engine objects: a struct whose properties lay out its objects.
#pragma once

#include <Unreal/UStruct.hpp>

namespace RC::Unreal {
class UClass : public UStruct {
protected:
    friend struct ObjectAccess;
    UClass() = default;
    ~UClass() = default;
};
} // namespace RC::Unreal
