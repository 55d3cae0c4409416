// The game's layout, as its reflection declares it: one table of classes with their properties
// and of script functions with their parameters. game::install() builds the classes, functions
// and objects' sizes from it, and the game's own code reads and writes at its offsets. A test
// edits a copy to play a patched game: a property moved, retyped, resized or removed, a parameter
// added, grown or retyped, a function renamed.
#pragma once

#include <cstdint>
#include <simhost/engine.hpp>
#include <string_view>
#include <vector>

namespace simhost::game {
enum class PropertyType { Int, Byte, Bool, Float, Object, Text, Array, Struct };
// "IntProperty", "ByteProperty", ...
const CharType* property_type_name(PropertyType type);

struct PropertyRow {
    String name;
    PropertyType type;
    std::int32_t offset;
    std::int32_t size;
    std::uint64_t flags = 0; // CPF_ bits; a parameter has CPF_Parm
    String property_class;   // an object property's class (or that of an array's elements)
    PropertyType inner = PropertyType::Object; // an array's elements
};

struct ClassRow {
    String package;
    String name;
    String super; // empty: none
    std::vector<PropertyRow> properties;
};

struct FunctionRow {
    String owner; // the class's name
    String name;
    std::vector<PropertyRow> parameters;
    String code; // what the game runs for it: the original name, kept when a patch renames it
};

struct LayoutTable {
    std::vector<ClassRow> classes;
    std::vector<FunctionRow> functions;
};

// The game as the mod knows it.
LayoutTable default_layout();
// A row of the table; throws std::logic_error when there is none.
PropertyRow& property_row(LayoutTable& table, StringView owner, StringView property);
PropertyRow& parameter_row(LayoutTable& table, StringView function, StringView parameter);
FunctionRow& function_row(LayoutTable& table, StringView function);
void remove_property(LayoutTable& table, StringView owner, StringView property);

// A named patch of the game, as an update might bring it: for tests and the simulator's scenarios.
struct LayoutEdit {
    const char* name; // "slot-position-retyped", ...
    void (*apply)(LayoutTable& table);
};
const std::vector<LayoutEdit>& layout_edits();
// The edit of that name, or null.
const LayoutEdit* find_layout_edit(std::string_view name);

// The table the game was installed from.
const LayoutTable& installed_layout();
// Where the installed game keeps a property of a class (or of a function's parameters), or
// none.
const PropertyRow* find_row(StringView owner, StringView property);
} // namespace simhost::game
