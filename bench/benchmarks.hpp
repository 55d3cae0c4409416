// The benchmark families, registered by main() in the order the report shows them.
#pragma once

#include <array>

namespace bench {
// The long session's openings at which its heap is written down, as many as it runs.
inline constexpr std::array<int, 5> checkpoints{1, 10, 100, 1000, 10000};

void register_text_block_benchmarks();
void register_row_cache_benchmarks();
void register_capture_benchmarks();
// A session of `openings` openings of a full trade.
void register_session_benchmarks(int openings);
} // namespace bench
