// The engine's property flags, as a property's GetPropertyFlags() holds them.
#pragma once

#include <cstdint>

namespace RC::Unreal {
enum EPropertyFlags : std::uint64_t {
    CPF_None = 0,
    CPF_Edit = 0x0000000000000001,
    CPF_ConstParm = 0x0000000000000002,
    CPF_BlueprintVisible = 0x0000000000000004,
    CPF_Parm = 0x0000000000000080,
    CPF_OutParm = 0x0000000000000100,
    CPF_ReturnParm = 0x0000000000000400,
    CPF_Deprecated = 0x0000000020000000,
};
constexpr auto operator|(EPropertyFlags a, EPropertyFlags b) -> EPropertyFlags {
    return static_cast<EPropertyFlags>(static_cast<std::uint64_t>(a) |
                                       static_cast<std::uint64_t>(b));
}
constexpr auto operator&(EPropertyFlags a, EPropertyFlags b) -> EPropertyFlags {
    return static_cast<EPropertyFlags>(static_cast<std::uint64_t>(a) &
                                       static_cast<std::uint64_t>(b));
}
} // namespace RC::Unreal
