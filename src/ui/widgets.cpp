// Recognising parts of the trading screen from any widget inside it, by full names alone.
#include "ui/widgets.hpp"

#include "game/layout.hpp"
#include "game/limits.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
host::Object* read_object(host::Object* object, std::size_t offset) {
    return read_field<host::Object*>(object, offset);
}
} // namespace

String safe_full_name(host::Object* object) {
    if (!object) {
        return STR("<null>");
    }
    try {
        return host::full_name(object);
    } catch (...) {
        return STR("<GetFullName failed>");
    }
}

host::Object* Tallyglass::find_slot_widget(host::Object* object) const {
    try {
        for (int step = 0; object && step < limits::max_objects_examined; ++step) {
            // Class name and the blank after it: the object's class is exactly the slot class.
            if (StringView(host::full_name(object)).starts_with(STR("W_Inventory_Slot_C "))) {
                return object;
            }
            object = host::outer(object);
        }
    } catch (...) {
    }
    return nullptr;
}

host::Object* Tallyglass::slot_data_of(host::Object* slot_widget) const {
    if (!slot_widget) {
        return nullptr;
    }
    host::Object* data = read_object(slot_widget, offsets::slot_widget_data);
    if (!data) {
        return nullptr;
    }
    try {
        return contains_text(host::full_name(data), STR("InventorySlotData")) ? data : nullptr;
    } catch (...) {
        return nullptr;
    }
}

host::Object* Tallyglass::find_trading_owner(host::Object* object) const {
    // Host exceptions are left to the calling hook's guard, which reports them.
    for (int step = 0; object && step < limits::max_objects_examined; ++step) {
        String name = host::full_name(object);
        if (contains_text(name, STR("W_Inventory_Main_C")) &&
            contains_text(name, STR("W_TradingInventory"))) {
            if (auto* trading = read_object(object, offsets::inventory_main_base_trading)) {
                return trading;
            }
            if (auto* base = read_object(object, offsets::inventory_main_base)) {
                return base;
            }
        }
        object = host::outer(object);
    }
    return nullptr;
}
} // namespace tallyglass
