#include "mod/tallyglass.hpp"

namespace tallyglass {
bool Tallyglass::read_text_property(host::Object*, std::size_t, String&) const {
    return false;
}
bool Tallyglass::call_set_text(host::Object*, host::Function*, const String&) {
    return false;
}
void Tallyglass::call_set_color_and_opacity(host::Object*, host::Function*, const LinearColor&) {}
void Tallyglass::log_text_append_skip(StringView, const String&) {}
} // namespace tallyglass
