#include "mod/tallyglass.hpp"

namespace tallyglass {
void Tallyglass::on_text_block_set_text(host::Context&) {}
} // namespace tallyglass
