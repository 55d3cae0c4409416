#include "capture/row_cache.hpp"

namespace tallyglass {
const Char* row_source_name(RowSource source) {
    return source == RowSource::Offer ? STR("offer") : STR("left-list");
}
} // namespace tallyglass
