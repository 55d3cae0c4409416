// Recognising parts of the trading screen from any widget inside it, by full names alone.
#include "ui/widgets.hpp"

#include "game/layout.hpp"
#include "game/limits.hpp"
#include "mod/tallyglass.hpp"

namespace tallyglass {
namespace {
// Class name and the blank after it: the object's class is exactly the slot class.
constexpr StringView slot_widget_prefix = STR("W_Inventory_Slot_C ");
constexpr StringView inventory_main_prefix = STR("W_Inventory_Main_C ");
constexpr TextPattern trading_inventory(STR("W_TradingInventory"));

host::Object* read_object(host::Object* object, std::size_t offset) {
    return read_field<host::Object*>(object, offset);
}

// The current object's full name on a walk up the outers: the one the caller already took for
// the first object (when it gave one), the host's for every other.
class WalkName {
public:
    explicit WalkName(StringView first) : known(first) {}
    StringView of(host::Object* object, int step) {
        if (step == 0 && !known.empty()) {
            return known;
        }
        taken = host::full_name(object);
        return taken;
    }
    // The name of the object the walk stopped at, owned.
    String take(int step) { return step == 0 && !known.empty() ? String(known) : std::move(taken); }

private:
    StringView known;
    String taken;
};
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
    return find_slot_widget(object, {}).object;
}

NamedObject Tallyglass::find_slot_widget(host::Object* object, StringView object_name) const {
    try {
        WalkName name(object_name);
        for (int step = 0; object && step < limits::max_objects_examined; ++step) {
            if (name.of(object, step).starts_with(slot_widget_prefix)) {
                return {object, name.take(step)};
            }
            object = host::outer(object);
        }
    } catch (...) {
    }
    return {};
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
        return is_slot_data(host::full_name(data)) ? data : nullptr;
    } catch (...) {
        return nullptr;
    }
}

host::Object* Tallyglass::find_trading_owner(host::Object* object, StringView object_name) const {
    // Host exceptions are left to the calling hook's guard, which reports them.
    WalkName name(object_name);
    for (int step = 0; object && step < limits::max_objects_examined; ++step) {
        const StringView full_name = name.of(object, step);
        // Of that class itself: an object inside one (the slot widget) carries its name too, and
        // its fields end before these offsets.
        if (full_name.starts_with(inventory_main_prefix) && trading_inventory.found_in(full_name)) {
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
