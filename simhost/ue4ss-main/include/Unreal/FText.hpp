// UE4SS main: the engine's text value; the constructors lost their address override, and
// StaticSize() throws until UE4SS has initialised it. Still no destructor.
#pragma once

#include <File/Macros.hpp>
#include <Unreal/UObject.hpp>

namespace RC::Unreal {
class FString;
class ITextData;

class FText {
public:
    ITextData* Data{nullptr};
    void* SharedRefCollector{nullptr};
    uint32 Flags;
    uint32 Unk;

public:
    FText() = default;
    explicit FText(const CharType* str);
    explicit FText(StringViewType str);
    explicit FText(const FString&& str);

    auto ToString() const -> StringType;
    static auto StaticSize() -> int32;
};
} // namespace RC::Unreal
