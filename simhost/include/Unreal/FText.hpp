// The engine's text value.
#pragma once

#include <Unreal/UObject.hpp>

namespace RC::Unreal {
struct FTextData;

class FText {
public:
    FText();
    explicit FText(const CharType* text);
    FText(const FText& other);
    FText& operator=(const FText& other);
    ~FText();

    auto ToString() const -> StringType;
    // The size the engine reports for its text values.
    static auto StaticSize() -> int32;

private:
    friend struct ObjectAccess;
    FTextData* Data{};
    uint32 Flags{};
};
} // namespace RC::Unreal
