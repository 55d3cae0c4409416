// The engine's names: an index into its name table, compared by index, turned into text on demand.
#pragma once

#include <File/Macros.hpp>
#include <cstdint>

namespace RC::Unreal {
enum EFindName { FNAME_Find, FNAME_Add };

class FName {
public:
    FName() = default;
    // FNAME_Find gives None when the table has no such name.
    FName(const CharType* Name, EFindName FindType = FNAME_Add);

    auto ToString() const -> StringType;
    auto GetComparisonIndex() const -> std::uint32_t { return ComparisonIndex; }
    auto operator==(const FName& Other) const -> bool {
        return ComparisonIndex == Other.ComparisonIndex;
    }

private:
    friend struct ObjectAccess;
    std::uint32_t ComparisonIndex{0xFFFFFFFF}; // None
};
} // namespace RC::Unreal
