// Reflected members that are not objects: a field and the class of fields it is, with the casts
// between field types.
#pragma once

#include <Unreal/NameTypes.hpp>

namespace RC::Unreal {
class FFieldClass {
public:
    FFieldClass(const CharType* Name, FFieldClass* Super) : NameText(Name), SuperClass(Super) {}
    // The type's name: "IntProperty", "ObjectProperty", ...
    auto GetFName() const -> FName { return FName(NameText); }
    auto GetSuperClass() const -> FFieldClass* { return SuperClass; }
    auto IsChildOf(const FFieldClass* Other) const -> bool {
        for (const FFieldClass* c = this; c; c = c->SuperClass) {
            if (c == Other) {
                return true;
            }
        }
        return false;
    }

private:
    const CharType* NameText;
    FFieldClass* SuperClass;
};

class FField {
public:
    FField(const FField&) = delete;
    FField& operator=(const FField&) = delete;
    virtual ~FField() = default;

    static auto StaticClass() -> FFieldClass&;
    auto GetClass() -> FFieldClass& { return *ClassPrivate; }
    auto GetFName() const -> FName { return NamePrivate; }
    auto IsA(const FFieldClass& Class) const -> bool { return ClassPrivate->IsChildOf(&Class); }
    template <typename FieldType> auto IsA() const -> bool { return IsA(FieldType::StaticClass()); }

protected:
    friend struct ObjectAccess;
    FField() = default;

private:
    FFieldClass* ClassPrivate{};
    FName NamePrivate;
};

template <typename FieldType> auto CastField(FField* Src) -> FieldType* {
    return Src && Src->IsA<FieldType>() ? static_cast<FieldType*>(Src) : nullptr;
}
} // namespace RC::Unreal
