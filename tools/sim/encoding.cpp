#include "encoding.hpp"

#include <algorithm>
#include <cstddef>

namespace sim {
bool looks_like_utf16(std::string_view text) {
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        return true;
    }
    std::size_t zeros[2] = {0, 0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        zeros[i % 2] += text[i] == '\0' ? 1 : 0;
    }
    const std::size_t half = text.size() / 2;
    return half > 0 && std::max(zeros[0], zeros[1]) * 4 >= half * 3;
}
} // namespace sim
