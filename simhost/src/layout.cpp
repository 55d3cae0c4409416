// The game's layout table: the game as the mod knows it, and the rows tests edit.
#include <simhost/layout.hpp>
#include <stdexcept>

#include "internal.hpp"

namespace simhost::game {
namespace {
constexpr std::uint64_t parm = 0x80;
constexpr std::uint64_t out_parm = 0x100;
constexpr std::uint64_t return_parm = 0x400;
constexpr std::uint64_t returned = parm | out_parm | return_parm;

PropertyRow field(StringView name, PropertyType type, std::int32_t offset, std::int32_t size,
                  StringView property_class = {}) {
    return {String(name), type, offset, size, 0, String(property_class)};
}
PropertyRow param(StringView name, PropertyType type, std::int32_t offset, std::int32_t size,
                  std::uint64_t flags = parm, StringView property_class = {}) {
    return {String(name), type, offset, size, flags, String(property_class)};
}
FunctionRow function(StringView owner, StringView name, std::vector<PropertyRow> parameters) {
    return {String(owner), String(name), std::move(parameters), String(name)};
}

} // namespace
LayoutTable table;

const CharType* property_type_name(PropertyType type) {
    switch (type) {
    case PropertyType::Int:
        return STR("IntProperty");
    case PropertyType::Byte:
        return STR("ByteProperty");
    case PropertyType::Bool:
        return STR("BoolProperty");
    case PropertyType::Float:
        return STR("FloatProperty");
    case PropertyType::Object:
        return STR("ObjectProperty");
    case PropertyType::Text:
        return STR("TextProperty");
    case PropertyType::Array:
        return STR("ArrayProperty");
    case PropertyType::Struct:
        return STR("StructProperty");
    }
    return STR("Property");
}

LayoutTable default_layout() {
    using T = PropertyType;
    const auto g1r = STR("/Script/G1R");
    const auto umg = STR("/Script/UMG");
    LayoutTable t;
    t.classes = {
        {STR("/Script/Engine"), STR("GameEngine"), {}, {}},
        {STR("/Script/Engine"), STR("GameInstance"), {}, {}},
        {umg, STR("Widget"), {}, {}},
        {umg, STR("WidgetTree"), {}, {}},
        {umg, STR("TextBlock"), STR("Widget"), {field(STR("Text"), T::Text, 0x1A0, sizeof(FText))}},
        {umg, STR("UserWidget"), STR("Widget"), {}},
        {STR("/Game/UI/Trading/W_Trading_Main"), STR("W_Trading_Main_C"), STR("UserWidget"), {}},
        {STR("/Game/UI/Trading/W_TradingInventory"),
         STR("W_TradingInventory_C"),
         STR("UserWidget"),
         {}},
        {STR("/Game/UI/Trading/W_Trading_BalanceSection"),
         STR("W_Trading_BalanceSection_C"),
         STR("UserWidget"),
         {}},
        {STR("/Game/UI/Inventory/W_Inventory_Main"),
         STR("W_Inventory_Main_C"),
         STR("UserWidget"),
         {field(STR("InventoryBase"), T::Object, 0x5D8, 8, STR("InventoryBase")),
          field(STR("InventoryBaseTrading"), T::Object, 0x5E0, 8, STR("InventoryBaseTrading"))}},
        {STR("/Game/UI/Inventory/W_Inventory_Slot"),
         STR("W_Inventory_Slot_C"),
         STR("UserWidget"),
         {field(STR("SlotData"), T::Object, 0x560, 8, STR("InventorySlotData"))}},
        {g1r, STR("DiscreteItemViewWidget"), STR("Widget"), {}},
        {g1r,
         STR("TradingBalanceInventory"),
         {},
         {field(STR("m_InventoryBaseTrading"), T::Object, 880, 8, STR("InventoryBaseTrading"))}},
        {g1r, STR("InventoryBase"), {}, {}},
        {g1r, STR("InventoryBaseTrading"), STR("InventoryBase"), {}},
        {g1r,
         STR("InventorySlotData"),
         {},
         {field(STR("Pos"), T::Int, 40, 4), field(STR("CurrentValue"), T::Int, 84, 4),
          field(STR("PreviousValue"), T::Int, 88, 4), field(STR("Amount"), T::Int, 112, 4),
          field(STR("bSkip"), T::Bool, 160, 1), field(STR("TraderIndex"), T::Int, 164, 4),
          field(STR("bShow"), T::Bool, 168, 1)}},
        {g1r, STR("ItemBaseConfig"), {}, {field(STR("BaseValue"), T::Int, 128, 4)}},
    };
    PropertyRow items =
        param(STR("ReturnValue"), T::Array, 0, 16, returned, STR("InventorySlotData"));
    t.functions = {
        function(STR("TextBlock"), STR("SetText"),
                 {param(STR("InText"), T::Text, 0, sizeof(FText))}),
        function(STR("TextBlock"), STR("SetColorAndOpacity"),
                 {param(STR("InColorAndOpacity"), T::Struct, 0, 20)}),
        function(STR("DiscreteItemViewWidget"), STR("SetListItemsBP"),
                 {param(STR("Items"), T::Array, 0, 16, parm, STR("InventorySlotData"))}),
        function(STR("DiscreteItemViewWidget"), STR("GetNumItems"),
                 {param(STR("ReturnValue"), T::Int, 0, 4, returned)}),
        function(STR("DiscreteItemViewWidget"), STR("GetItemAt"),
                 {param(STR("Index"), T::Int, 0, 4),
                  param(STR("ReturnValue"), T::Object, 8, 8, returned, STR("InventorySlotData"))}),
        function(STR("TradingBalanceInventory"), STR("UpdateInventory"), {items}),
        function(STR("InventoryBase"), STR("GetBaseConfigByPos"),
                 {param(STR("Pos"), T::Int, 0, 4),
                  param(STR("ReturnValue"), T::Object, 8, 8, returned, STR("ItemBaseConfig"))}),
    };
    return t;
}

namespace {
std::vector<PropertyRow>* rows_of(LayoutTable& t, StringView owner) {
    for (auto& c : t.classes) {
        if (c.name == owner) {
            return &c.properties;
        }
    }
    for (auto& f : t.functions) {
        if (f.name == owner) {
            return &f.parameters;
        }
    }
    return nullptr;
}
} // namespace

PropertyRow& property_row(LayoutTable& t, StringView owner, StringView property) {
    if (auto* rows = rows_of(t, owner)) {
        for (auto& row : *rows) {
            if (row.name == property) {
                return row;
            }
        }
    }
    throw std::logic_error("layout: no property " + detail::narrow(property) + " of " +
                           detail::narrow(owner));
}
PropertyRow& parameter_row(LayoutTable& t, StringView function, StringView parameter) {
    return property_row(t, function, parameter);
}
FunctionRow& function_row(LayoutTable& t, StringView name) {
    for (auto& f : t.functions) {
        if (f.name == name) {
            return f;
        }
    }
    throw std::logic_error("layout: no function " + detail::narrow(name));
}
void remove_property(LayoutTable& t, StringView owner, StringView property) {
    PropertyRow& row = property_row(t, owner, property);
    auto* rows = rows_of(t, owner);
    rows->erase(rows->begin() + (&row - rows->data()));
}

const LayoutTable& installed_layout() {
    return table;
}
const PropertyRow* find_row(StringView owner, StringView property) {
    if (auto* rows = rows_of(table, owner)) {
        for (auto& row : *rows) {
            if (row.name == property) {
                return &row;
            }
        }
    }
    return nullptr;
}
} // namespace simhost::game

void simhost::detail::set_installed_layout(const game::LayoutTable& layout) {
    game::table = layout;
}
