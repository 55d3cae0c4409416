// UE4SS main: the engine's names.
#pragma once

#include <File/Macros.hpp>
#include <cstdint>

namespace RC::Unreal {
enum EFindName { FNAME_Find, FNAME_Add };

class FName {
public:
    FName() = default;
    FName(const CharType* Name, EFindName FindType = FNAME_Add);
    auto ToString() const -> StringType;
    auto GetComparisonIndex() const -> std::uint32_t;
    auto operator==(const FName& Other) const -> bool;
};
} // namespace RC::Unreal
