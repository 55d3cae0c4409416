// Naming engine objects without letting a host failure through. The widget ancestry walks that
// use it (find_slot_widget, slot_data_of, find_trading_owner) are members of the mod object.
#pragma once

#include "host/host.hpp"

namespace tallyglass {
// Never throws: a null object is "<null>", a failing host "<GetFullName failed>".
String safe_full_name(host::Object* object);

// An object a walk found, with the full name the walk took of it.
struct NamedObject {
    host::Object* object = nullptr;
    String name;
};
} // namespace tallyglass
