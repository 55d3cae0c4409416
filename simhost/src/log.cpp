// The host log: what the mod sends, line by line.
#include "world.hpp"
#include <DynamicOutput/Output.hpp>

namespace simhost {
const std::vector<String>& log() {
    return detail::world().log;
}
void clear_log() {
    detail::world().log.clear();
}
} // namespace simhost

namespace RC {
void Output::send(StringViewType line) {
    simhost::detail::host_call(simhost::Op::OutputSend, nullptr, line);
    simhost::detail::world().log.emplace_back(line);
}
} // namespace RC
