#include "mod/tallyglass.hpp"

namespace tallyglass {
void Tallyglass::handle_set_list_items(host::Context&) {}
void Tallyglass::handle_get_item_at(host::Context&) {}
} // namespace tallyglass
