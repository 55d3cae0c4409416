#include "mod/tallyglass.hpp"

namespace tallyglass {
void Tallyglass::handle_update_inventory(host::Context&) {}
} // namespace tallyglass
