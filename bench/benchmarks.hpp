// The benchmark families, registered by main() in the order the report shows them.
#pragma once

namespace bench {
void register_text_block_benchmarks();
void register_row_cache_benchmarks();
void register_capture_benchmarks();
void register_session_benchmarks();
} // namespace bench
