// The engine's text value: 24 bytes the engine reference-counts. The host's type has no
// destructor: a copy is shallow, and nothing a mod builds is ever released.
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
    // Through the engine's own constructor; when the host's scan did not find it, Data stays null.
    explicit FText(const CharType* str, void* FunctionAddressOverride = nullptr);
    explicit FText(StringViewType str, void* FunctionAddressOverride = nullptr);
    explicit FText(const FString&& str, void* FunctionAddressOverride = nullptr);

    // Empty when Data is null.
    auto ToString() const -> StringType;
};
} // namespace RC::Unreal
