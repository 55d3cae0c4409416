// The game's reflection as the mod reads it once at start: classes and functions by path, and
// their properties' names, types, offsets and widths. Through the seam's version switch: UE4SS
// 3.0.1 walks a struct's properties with ForEachProperty, main with TFieldRange.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/host.hpp"

namespace tallyglass::host {
using Class = RC::Unreal::UClass;
using Struct = RC::Unreal::UStruct;

struct PropertyInfo {
    String name;
    String type; // "IntProperty", "ObjectProperty", ...
    std::int32_t offset = 0;
    std::int32_t size = 0;
    bool returned = false;           // CPF_ReturnParm
    String inner_type;               // an array's elements
    Class* property_class = nullptr; // an object property's class
};

struct FunctionInfo {
    std::int32_t parms_size = 0;
    std::int32_t num_parms = 0;
    std::int32_t return_offset = 0xFFFF;  // none
    std::vector<PropertyInfo> parameters; // every CPF_Parm property, the return value included
};

// The loaded class at a full path, or null. May throw.
Class* find_class_at(const String& path);
// The struct's own properties, in order.
std::vector<PropertyInfo> properties_of(Class* cls);
// The class's property of that name, its super classes' included, or none.
std::optional<PropertyInfo> property_named(Class* cls, const Char* name);
FunctionInfo function_info(Function* function);
} // namespace tallyglass::host
