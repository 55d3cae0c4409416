// Engine types with reflected members: classes, structs and functions, and their properties.
#pragma once

#include <Unreal/FProperty.hpp>
#include <Unreal/NameTypes.hpp>
#include <Unreal/UField.hpp>
#include <cstddef>

namespace RC::Unreal {
// The simulated engine's record of a struct's own properties.
struct UStructProperties;

class UStruct : public UField {
public:
    // The struct's own properties, in declaration order (those of its super struct excluded).
    class PropertyRange {
    public:
        PropertyRange(FProperty* const* First, FProperty* const* Last) : first(First), last(Last) {}
        auto begin() const -> FProperty* const* { return first; }
        auto end() const -> FProperty* const* { return last; }

    private:
        FProperty* const* first;
        FProperty* const* last;
    };

    auto GetSuperStruct() -> UStruct*;
    auto GetPropertiesSize() -> std::int32_t;
    // This struct's property of that name, else its super struct's, or null.
    auto GetPropertyByNameInChain(const TCHAR* PropertyName) -> FProperty*;
    auto FindProperty(FName PropertyName) -> FProperty*;
    auto ForEachProperty() -> PropertyRange;

protected:
    friend struct ObjectAccess;
    UStruct() = default;
    ~UStruct() = default;

private:
    UStructProperties* Properties{};
};
} // namespace RC::Unreal
