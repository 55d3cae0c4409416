#include "mod/tallyglass.hpp"

namespace tallyglass {
bool Tallyglass::read_list_row(TradeSide, host::Object*, host::Object*, std::int32_t,
                               std::int32_t&) {
    return false;
}
} // namespace tallyglass
