#include <simhost/threads.hpp>

#include <chrono>

namespace simhost {
HostThreads::HostThreads(ModHost& host_, std::function<void()> frame_)
    : host(host_), frame(std::move(frame_)) {
    game = std::thread([this] {
        while (!stopping.load()) {
            frame();
            frames_run.fetch_add(1);
        }
    });
    // UE4SS's init thread finds the engine while the game is already running its functions.
    while (frames_run.load() == 0) {
        std::this_thread::yield();
    }
    init = std::thread([this] {
        host.fire_unreal_init();
        const std::lock_guard lock(signals);
        initialized = true;
        signalled.notify_all();
    });
    update = std::thread([this] { update_loop(); });
}

HostThreads::~HostThreads() {
    {
        const std::lock_guard lock(signals);
        stopping.store(true);
        signalled.notify_all();
    }
    update.join();
    init.join();
    game.join();
}

void HostThreads::wait_for_init() {
    std::unique_lock lock(signals);
    signalled.wait(lock, [&] { return initialized; });
}

void HostThreads::hot_reload() {
    std::unique_lock lock(signals);
    const std::uint64_t done = reloads_done;
    reload_asked = true;
    signalled.notify_all();
    signalled.wait(lock, [&] { return reloads_done != done; });
}

void HostThreads::update_loop() {
    for (;;) {
        bool reload = false;
        {
            std::unique_lock lock(signals);
            signalled.wait_for(lock, std::chrono::milliseconds(5),
                               [&] { return stopping.load() || (reload_asked && initialized); });
            if (stopping.load()) {
                return;
            }
            reload = reload_asked && initialized;
            reload_asked = reload_asked && !reload;
        }
        host.fire_update();
        updates_run.fetch_add(1);
        if (reload) {
            host.reinstall_mods();
            const std::lock_guard lock(signals);
            ++reloads_done;
            signalled.notify_all();
        }
    }
}
} // namespace simhost
