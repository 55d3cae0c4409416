#include "mod/tallyglass.hpp"

namespace tallyglass {
host::Object* Tallyglass::find_slot_widget(host::Object*) const {
    return nullptr;
}
host::Object* Tallyglass::slot_data_of(host::Object*) const {
    return nullptr;
}
host::Object* Tallyglass::find_trading_owner(host::Object*) const {
    return nullptr;
}
} // namespace tallyglass
