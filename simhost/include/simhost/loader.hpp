// The host's C++ mod loader, by the rules of UE4SS 3.0.1: finds the mods in a Mods folder, loads
// each one's dlls/main.dll, starts those that mods.txt or an enabled.txt enables, initialises and
// hot-reloads them, and writes the host's own lines to the host log as UE4SS writes them.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include <File/Macros.hpp>

namespace RC {
class CppUserModBase;
}

namespace simhost {
class ModHost {
public:
    // One mod folder as the host holds it.
    struct Mod {
        RC::StringType name;          // the folder's name without extension
        std::filesystem::path folder; // Mods/<folder>
        bool loaded;                  // dlls/main.dll loaded with both entry points
        RC::CppUserModBase* started;  // the object of the last start_mod, null unless started
    };

    // A launch of the game: the host log starts afresh. Nothing is read until install_mods().
    explicit ModHost(std::filesystem::path mods_folder);
    // The game's exit, which uninstalls no mod. Only once the log is closed (so that nothing of
    // it shows) is released what the real host leaves to the system: mod objects, libraries.
    ~ModHost();
    ModHost(const ModHost&) = delete;
    ModHost& operator=(const ModHost&) = delete;

    // The host's steps, under its own names. Scans the Mods folder (in name order, as NTFS
    // lists it) and loads each mod's library, enabled or not.
    void install_mods();
    // mods.txt first, then every mod folder holding an enabled.txt.
    void start_mods();
    // on_unreal_init of every started mod, once the engine is found.
    void fire_unreal_init();
    // on_update of every started mod, as UE4SS's update thread calls it about every 5 ms.
    void fire_update();
    // "Stopping ..." and uninstall_mod for each mod, then every library is freed.
    void uninstall_mods();
    // The hot reload (Ctrl+R): uninstall, then install, start and initialise again.
    void reinstall_mods();

    std::vector<Mod> mods() const;
    // The started mod of that name, or null.
    RC::CppUserModBase* started(RC::StringViewType name) const;

    // The host's record of one mod folder, its library and entry points (in loader.cpp).
    struct CppMod;

private:
    void start(CppMod& mod);
    void release_quietly(CppMod& mod, bool at_exit);

    std::filesystem::path mods_folder;
    std::vector<std::unique_ptr<CppMod>> cpp_mods;
    bool unreal_initialized = false;
};
} // namespace simhost
