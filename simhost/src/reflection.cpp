// The engine's reflection: names, field classes, properties of classes and functions, built from
// the game's layout table.
#include <simhost/layout.hpp>

#include "world.hpp"

namespace RC::Unreal {
namespace {
FFieldClass& field_class(const CharType* name, FFieldClass* super) {
    // One per type for the life of the process, as the engine's are.
    return *new FFieldClass(name, super);
}
} // namespace

auto FField::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("Field"), nullptr);
    return c;
}
auto FProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("Property"), &FField::StaticClass());
    return c;
}
auto FNumericProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("NumericProperty"), &FProperty::StaticClass());
    return c;
}
auto FIntProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("IntProperty"), &FNumericProperty::StaticClass());
    return c;
}
auto FFloatProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("FloatProperty"), &FNumericProperty::StaticClass());
    return c;
}
auto FByteProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("ByteProperty"), &FNumericProperty::StaticClass());
    return c;
}
auto FBoolProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("BoolProperty"), &FProperty::StaticClass());
    return c;
}
auto FObjectPropertyBase::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("ObjectPropertyBase"), &FProperty::StaticClass());
    return c;
}
auto FObjectProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("ObjectProperty"), &FObjectPropertyBase::StaticClass());
    return c;
}
auto FTextProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("TextProperty"), &FProperty::StaticClass());
    return c;
}
auto FArrayProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("ArrayProperty"), &FProperty::StaticClass());
    return c;
}
auto FStructProperty::StaticClass() -> FFieldClass& {
    static FFieldClass& c = field_class(STR("StructProperty"), &FProperty::StaticClass());
    return c;
}

FName::FName(const CharType* Name, EFindName FindType) {
    const int index = simhost::detail::name_index(Name, FindType == FNAME_Add);
    if (index >= 0) {
        ComparisonIndex = static_cast<std::uint32_t>(index);
    }
}

auto FName::ToString() const -> StringType {
    const auto& names = simhost::detail::world().names.names;
    return ComparisonIndex < names.size() ? names[ComparisonIndex] : StringType(STR("None"));
}

auto UStruct::GetSuperStruct() -> UStruct* {
    return Properties ? Properties->super : nullptr;
}
auto UStruct::GetPropertiesSize() -> std::int32_t {
    return Properties ? Properties->size : 0;
}
auto UStruct::GetPropertyByNameInChain(const TCHAR* PropertyName) -> FProperty* {
    return FindProperty(FName(PropertyName, FNAME_Find));
}
auto UStruct::FindProperty(FName PropertyName) -> FProperty* {
    for (UStruct* s = this; s; s = s->GetSuperStruct()) {
        for (FProperty* p : s->ForEachProperty()) {
            if (p->GetFName() == PropertyName) {
                return p;
            }
        }
    }
    return nullptr;
}
auto UStruct::ForEachProperty() -> PropertyRange {
    if (!Properties) {
        return {nullptr, nullptr};
    }
    auto& list = Properties->properties;
    return {list.data(), list.data() + list.size()};
}

auto UFunction::GetNumParms() -> uint8& {
    return simhost::detail::record_of(this).num_parms;
}
auto UFunction::GetReturnValueOffset() -> uint16& {
    return simhost::detail::record_of(this).return_value_offset;
}
auto UFunction::GetReturnProperty() -> FProperty* {
    for (FProperty* p : ForEachProperty()) {
        if (p->HasAnyPropertyFlags(CPF_ReturnParm)) {
            return p;
        }
    }
    return nullptr;
}
} // namespace RC::Unreal

namespace simhost::detail {
namespace {
using game::PropertyType;
using RC::Unreal::ObjectAccess;

std::unique_ptr<RC::Unreal::FProperty> make(PropertyType type) {
    namespace U = RC::Unreal;
    switch (type) {
    case PropertyType::Int:
        return ObjectAccess::make_property<U::FIntProperty>();
    case PropertyType::Byte:
        return ObjectAccess::make_property<U::FByteProperty>();
    case PropertyType::Bool:
        return ObjectAccess::make_property<U::FBoolProperty>();
    case PropertyType::Float:
        return ObjectAccess::make_property<U::FFloatProperty>();
    case PropertyType::Object:
        return ObjectAccess::make_property<U::FObjectProperty>();
    case PropertyType::Text:
        return ObjectAccess::make_property<U::FTextProperty>();
    case PropertyType::Array:
        return ObjectAccess::make_property<U::FArrayProperty>();
    case PropertyType::Struct:
        return ObjectAccess::make_property<U::FStructProperty>();
    }
    return ObjectAccess::make_property<U::FStructProperty>();
}

RC::Unreal::FFieldClass& class_of_type(PropertyType type) {
    namespace U = RC::Unreal;
    switch (type) {
    case PropertyType::Int:
        return U::FIntProperty::StaticClass();
    case PropertyType::Byte:
        return U::FByteProperty::StaticClass();
    case PropertyType::Bool:
        return U::FBoolProperty::StaticClass();
    case PropertyType::Float:
        return U::FFloatProperty::StaticClass();
    case PropertyType::Object:
        return U::FObjectProperty::StaticClass();
    case PropertyType::Text:
        return U::FTextProperty::StaticClass();
    case PropertyType::Array:
        return U::FArrayProperty::StaticClass();
    case PropertyType::Struct:
        return U::FStructProperty::StaticClass();
    }
    return U::FStructProperty::StaticClass();
}

RC::Unreal::FProperty* add(RC::Unreal::UStructProperties& to, PropertyType type, StringView name,
                           std::int32_t offset, std::int32_t size, std::uint64_t flags,
                           StringView property_class) {
    auto property = make(type);
    RC::Unreal::FName fname;
    ObjectAccess::name_index(fname) = static_cast<std::uint32_t>(name_index(name, true));
    ObjectAccess::init_field(property.get(), &class_of_type(type), fname);
    ObjectAccess::init_property(property.get(), offset, size,
                                static_cast<RC::Unreal::EPropertyFlags>(flags));
    if (type == PropertyType::Object) {
        ObjectAccess::property_class(static_cast<RC::Unreal::FObjectPropertyBase*>(
            property.get())) = find_class(property_class);
    }
    to.owned.push_back(std::move(property));
    return to.owned.back().get();
}
} // namespace

void declare_properties(RC::Unreal::UStructProperties& to,
                        const std::vector<game::PropertyRow>& rows) {
    for (const auto& row : rows) {
        auto* p = add(to, row.type, row.name, row.offset, row.size, row.flags, row.property_class);
        if (row.type == PropertyType::Array) {
            ObjectAccess::inner(static_cast<RC::Unreal::FArrayProperty*>(p)) =
                add(to, row.inner, row.name + STR("_Inner"), 0, 8, 0, row.property_class);
        }
        to.properties.push_back(p);
        to.size = std::max(to.size, row.offset + row.size);
    }
}
} // namespace simhost::detail
