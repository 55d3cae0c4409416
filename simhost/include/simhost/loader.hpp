// Loads a mod library the way the host does: start_mod, on_unreal_init, uninstall_mod.
#pragma once

#include <filesystem>
#include <string>

namespace RC {
class CppUserModBase;
}

namespace simhost {
class LoadedMod {
public:
    // Throws std::runtime_error naming the file or entry point that failed.
    explicit LoadedMod(const std::filesystem::path& library);
    LoadedMod(const LoadedMod&) = delete;
    LoadedMod& operator=(const LoadedMod&) = delete;
    ~LoadedMod();

    RC::CppUserModBase* start();
    void unreal_init();
    void uninstall();
    RC::CppUserModBase* mod() const { return instance; }
    // The library's own uninstall_mod, for calling it with any pointer.
    void (*uninstall_entry() const)(RC::CppUserModBase*) { return uninstall_mod; }

private:
    void* handle{};
    RC::CppUserModBase* (*start_mod)(){};
    void (*uninstall_mod)(RC::CppUserModBase*){};
    RC::CppUserModBase* instance{};
};
} // namespace simhost
