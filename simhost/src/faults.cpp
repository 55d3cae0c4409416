// Host calls: every RC:: operation counts here, is recorded when asked, and fails where a fault
// is armed for it.
#include <stdexcept>

#include "world.hpp"

namespace simhost {
namespace {
using detail::RunningCallback;
using detail::world;

[[noreturn]] void throw_fault(FaultKind kind, Op op) {
    world().calls.faults_thrown.fetch_add(1);
    if (kind == FaultKind::Standard) {
        throw std::runtime_error(std::string("simulated host fault in ") + op_name(op));
    }
    throw ForeignFault{static_cast<int>(op)};
}
} // namespace

namespace detail {
namespace {
thread_local int host_code_depth = 0;
} // namespace

HostCode::HostCode() {
    ++host_code_depth;
}
HostCode::~HostCode() {
    --host_code_depth;
}
OwnCode::OwnCode() : outer(host_code_depth) {
    host_code_depth = 0;
}
OwnCode::~OwnCode() {
    host_code_depth = outer;
}

void host_call(Op op, UObject* subject, StringView detail) {
    auto& w = world();
    detail::count(w.calls.total);
    detail::count(w.calls.counts[static_cast<int>(op)]);
    if (w.calls.recording) {
        const RunningCallback* inner = innermost_callback();
        w.calls.records.push_back({op, subject, String(detail), inner ? inner->path : String(),
                                   inner ? inner->run : 0, inner ? inner->context : nullptr});
    }
    for (auto& armed : w.calls.faults) {
        if (armed.fault.op && *armed.fault.op != op) {
            continue;
        }
        ++armed.seen;
        if (armed.seen == armed.fault.nth || (armed.fault.repeat && armed.seen > armed.fault.nth)) {
            throw_fault(armed.fault.kind, op);
        }
    }
    if (op == Op::GetFullName && subject) {
        if (auto it = w.calls.name_faults.find(subject); it != w.calls.name_faults.end()) {
            throw_fault(it->second, op);
        }
    }
}
} // namespace detail

const char* op_name(Op op) {
    switch (op) {
    case Op::GetFullName:
        return "GetFullName";
    case Op::GetOuterPrivate:
        return "GetOuterPrivate";
    case Op::GetFunctionByNameInChain:
        return "GetFunctionByNameInChain";
    case Op::ProcessEvent:
        return "ProcessEvent";
    case Op::FTextConstruct:
        return "FText";
    case Op::FTextToString:
        return "FText::ToString";
    case Op::StaticFindObject:
        return "StaticFindObject";
    case Op::GetParmsSize:
        return "UFunction::GetParmsSize";
    case Op::RegisterHook:
        return "RegisterHook";
    case Op::UnregisterHook:
        return "UnregisterHook";
    case Op::OutputSend:
        return "Output::send";
    }
    return "?";
}

void arm_fault(Fault fault) {
    world().calls.faults.push_back({fault, 0});
}
void disarm_faults() {
    world().calls.faults.clear();
    world().calls.name_faults.clear();
}
void fail_full_name_of(UObject* object, FaultKind kind) {
    world().calls.name_faults[object] = kind;
}
bool in_host_code() {
    return detail::host_code_depth > 0;
}

std::uint64_t host_calls() {
    return world().calls.total;
}
std::uint64_t host_calls(Op op) {
    return world().calls.counts[static_cast<int>(op)];
}
std::uint64_t faults_thrown() {
    return world().calls.faults_thrown;
}
void record_calls(bool on) {
    world().calls.recording = on;
}
const std::vector<CallRecord>& call_records() {
    return world().calls.records;
}
} // namespace simhost
