// Allocations that fail where the mod writes a line with no hook guard around it: registration
// and the unload, whose lines are built inside their own guards. The line is lost; the process
// and the host go on. This program replaces operator new to fail on demand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <new>

#include "mod/tallyglass.hpp"
#include "support.hpp"

// The replacements below allocate with malloc and free with free, which GCC cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
// Every allocation from the failing_from-th on fails; 0: none does.
std::size_t allocations = 0;
std::size_t failing_from = 0;

// Runs `body` with the allocations from the k-th on failing; how many it attempted.
std::size_t failing(std::size_t k, const std::function<void()>& body) {
    allocations = 0;
    failing_from = k;
    bool escaped = false;
    try {
        body();
    } catch (...) {
        escaped = true;
    }
    failing_from = 0;
    EXPECT_FALSE(escaped) << "allocation " << k;
    return allocations;
}
} // namespace

void* operator new(std::size_t size) {
    if (failing_from != 0 && ++allocations >= failing_from) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size != 0 ? size : 1)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {
TEST(OutOfMemory, RegistrationAndUnloadGoOn) {
    for (const bool unload : {false, true}) {
        for (std::size_t k = 1;; ++k) {
            simhost::reset();
            simhost::game::install();
            auto mod = std::make_unique<tallyglass::Tallyglass>();
            if (unload) {
                mod->on_unreal_init();
                // Every removal fails, so that each one writes its failure line.
                simhost::arm_fault(
                    {simhost::Op::UnregisterHook, 1, simhost::FaultKind::Foreign, true});
            }
            if (failing(k, [&] { unload ? mod.reset() : mod->on_unreal_init(); }) < k) {
                break; // every allocation of the step has failed once
            }
        }
    }
    simhost::reset();
}
} // namespace
