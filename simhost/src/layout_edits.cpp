// Named patches of the game's layout, as a game update might bring them: for tests and for the
// simulator's scenarios.
#include <simhost/layout.hpp>

namespace simhost::game {
namespace {
using T = PropertyType;

void set(LayoutTable& t, StringView owner, StringView name, PropertyType type, int offset,
         int size) {
    auto& row = property_row(t, owner, name);
    row.type = type;
    row.offset = offset;
    row.size = size;
}

PropertyRow param(StringView name, PropertyType type, int offset, int size) {
    return {String(name), type, offset, size, 0x80 /* CPF_Parm */, {}, PropertyType::Object};
}

const std::vector<LayoutEdit> edits = {
    {"slot-position-retyped",
     [](LayoutTable& t) { set(t, STR("InventorySlotData"), STR("Pos"), T::Byte, 40, 1); }},
    {"slot-current-moved",
     [](LayoutTable& t) { set(t, STR("InventorySlotData"), STR("CurrentValue"), T::Int, 92, 4); }},
    {"slot-skip-removed",
     [](LayoutTable& t) { remove_property(t, STR("InventorySlotData"), STR("bSkip")); }},
    {"slot-trader-index-grown",
     [](LayoutTable& t) { set(t, STR("InventorySlotData"), STR("TraderIndex"), T::Int, 164, 8); }},
    {"base-value-retyped",
     [](LayoutTable& t) { set(t, STR("ItemBaseConfig"), STR("BaseValue"), T::Float, 128, 4); }},
    {"base-config-parameter-added",
     [](LayoutTable& t) {
         function_row(t, STR("GetBaseConfigByPos"))
             .parameters.push_back(param(STR("bAny"), T::Bool, 16, 1));
     }},
    {"base-config-renamed",
     [](LayoutTable& t) {
         function_row(t, STR("GetBaseConfigByPos")).name = STR("GetBaseConfigAt");
     }},
    {"balance-inventory-moved",
     [](LayoutTable& t) {
         set(t, STR("TradingBalanceInventory"), STR("m_InventoryBaseTrading"), T::Object, 888, 8);
     }},
    {"update-inventory-returns-numbers",
     [](LayoutTable& t) {
         property_row(t, STR("UpdateInventory"), STR("ReturnValue")).inner = T::Int;
     }},
    {"inventory-base-trading-retyped",
     [](LayoutTable& t) {
         set(t, STR("W_Inventory_Main_C"), STR("InventoryBaseTrading"), T::Int, 0x5E0, 8);
     }},
    {"item-count-retyped",
     [](LayoutTable& t) { set(t, STR("GetNumItems"), STR("ReturnValue"), T::Float, 0, 4); }},
    {"get-item-at-parameter-added",
     [](LayoutTable& t) {
         auto& f = function_row(t, STR("GetItemAt"));
         f.parameters.back().offset = 16;
         f.parameters.insert(f.parameters.begin() + 1, param(STR("Filter"), T::Int, 8, 4));
     }},
    // Blueprint classes: the game may load them after start, or keep them under other paths.
    {"inventory-widgets-elsewhere",
     [](LayoutTable& t) {
         for (auto& c : t.classes) {
             if (c.name == STR("W_Inventory_Main_C") || c.name == STR("W_Inventory_Slot_C")) {
                 c.package = STR("/Game/UI/Widgets/") + c.name;
             }
         }
     }},
    {"slot-data-moved",
     [](LayoutTable& t) {
         set(t, STR("W_Inventory_Slot_C"), STR("SlotData"), T::Object, 0x568, 8);
     }},
    {"text-moved",
     [](LayoutTable& t) { set(t, STR("TextBlock"), STR("Text"), T::Text, 0x1A8, 24); }},
    {"set-text-parameter-added",
     [](LayoutTable& t) {
         function_row(t, STR("SetText"))
             .parameters.push_back(param(STR("bAnimate"), T::Bool, 24, 1));
     }},
    {"colour-grown",
     [](LayoutTable& t) {
         set(t, STR("SetColorAndOpacity"), STR("InColorAndOpacity"), T::Struct, 0, 24);
     }},
};
} // namespace

const std::vector<LayoutEdit>& layout_edits() {
    return edits;
}

const LayoutEdit* find_layout_edit(std::string_view name) {
    for (const auto& e : edits) {
        if (name == e.name) {
            return &e;
        }
    }
    return nullptr;
}
} // namespace simhost::game
