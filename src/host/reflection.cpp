#include "host/reflection.hpp"

#include <Unreal/UObjectGlobals.hpp>
#if __has_include(<Unreal/CoreUObject/UObject/UnrealType.hpp>)
#define TALLYGLASS_UE4SS_MAIN 1
#include <Unreal/CoreUObject/UObject/UnrealType.hpp>
#else
#include <Unreal/Property/FArrayProperty.hpp>
#include <Unreal/Property/FObjectProperty.hpp>
#include <Unreal/UClass.hpp>
#include <Unreal/UFunction.hpp>
#endif

namespace tallyglass::host {
namespace U = RC::Unreal;

namespace {
PropertyInfo describe(U::FProperty* p) {
    PropertyInfo out;
    out.name = p->GetFName().ToString();
    out.type = p->GetClass().GetFName().ToString();
    out.offset = p->GetOffset_Internal();
    out.size = p->GetSize();
    out.returned = p->HasAnyPropertyFlags(U::CPF_ReturnParm);
    if (auto* array = U::CastField<U::FArrayProperty>(p); array && array->GetInner()) {
        out.inner_type = array->GetInner()->GetClass().GetFName().ToString();
    }
    if (p->IsA<U::FObjectProperty>()) {
        out.property_class = static_cast<U::FObjectProperty*>(p)->GetPropertyClass();
    }
    return out;
}

template <class Visit> void for_each_property(U::UStruct* s, Visit&& visit) {
#ifdef TALLYGLASS_UE4SS_MAIN
    for (U::FProperty* p :
         U::TFieldRange<U::FProperty>(s, U::EFieldIterationFlags::IncludeDeprecated)) {
        visit(p);
    }
#else
    for (U::FProperty* p : s->ForEachProperty()) {
        visit(p);
    }
#endif
}
} // namespace

Class* find_class_at(const String& path) {
    return U::UObjectGlobals::StaticFindObject<U::UClass*>(nullptr, nullptr, path);
}

std::vector<PropertyInfo> properties_of(Class* cls) {
    std::vector<PropertyInfo> out;
    for_each_property(cls, [&](U::FProperty* p) { out.push_back(describe(p)); });
    return out;
}

std::optional<PropertyInfo> property_named(Class* cls, const Char* name) {
    if (U::FProperty* p = cls->GetPropertyByNameInChain(name)) {
        return describe(p);
    }
    return std::nullopt;
}

FunctionInfo function_info(Function* function) {
    FunctionInfo out;
    out.parms_size = function->GetParmsSize();
    out.num_parms = function->GetNumParms();
    out.return_offset = function->GetReturnValueOffset();
    for_each_property(function, [&](U::FProperty* p) {
        if (p->HasAnyPropertyFlags(U::CPF_Parm | U::CPF_OutParm | U::CPF_ReturnParm)) {
            out.parameters.push_back(describe(p));
        }
    });
    return out;
}
} // namespace tallyglass::host
