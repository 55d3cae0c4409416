// UE4SS's threads around its mod loader, for the tests that need them (every other test runs the
// host on its own thread): the game thread runs the game's script functions, on_unreal_init runs
// on an init thread of its own while the game thread already runs, on_update about every 5 ms and
// hot reloads on the update thread. No lock of the host's is held while a mod's code runs, and
// nothing keeps a hot reload from a hook callback running on the game thread, as in UE4SS.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include <simhost/loader.hpp>

namespace simhost {
class HostThreads {
public:
    // Over a host whose mods are started: the game thread, running `frame` over and over, then,
    // once a frame has run, the init thread, and the update thread.
    HostThreads(ModHost& host, std::function<void()> frame);
    // The update thread stops first, then the init and the game thread.
    ~HostThreads();
    HostThreads(const HostThreads&) = delete;
    HostThreads& operator=(const HostThreads&) = delete;

    // Until on_unreal_init has returned on the init thread.
    void wait_for_init();
    // The update thread hot-reloads the mods, as on UE4SS's reload key, once the engine is
    // initialised; returns when it is done.
    void hot_reload();
    std::uint64_t frames() const { return frames_run.load(); }
    std::uint64_t updates() const { return updates_run.load(); }

private:
    void update_loop();

    ModHost& host;
    std::function<void()> frame;
    std::atomic<bool> stopping{false};
    std::atomic<std::uint64_t> frames_run{0};
    std::atomic<std::uint64_t> updates_run{0};
    // Between the test's thread and the init and update threads; never held while a mod runs.
    std::mutex signals;
    std::condition_variable signalled;
    bool initialized = false;
    bool reload_asked = false;
    std::uint64_t reloads_done = 0;
    std::thread game;
    std::thread init;
    std::thread update;
};
} // namespace simhost
