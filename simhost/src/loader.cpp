// The C++ mod loader: UE4SS 3.0.1's CppMod and its install, start, unreal-init and uninstall
// passes, with the host's own lines word for word.
#include <simhost/loader.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <utility>

#include <Mod/CppUserModBase.hpp>

#include "internal.hpp"
#include "library.hpp"
#include "mods_folder.hpp"

namespace RC {
// In the host's library, as UE4SS builds them: a mod states the SDK it was built against.
CppUserModBase::CppUserModBase() {
    ModIntendedSDKVersion = STR("3.0.1");
}
CppUserModBase::~CppUserModBase() = default;
} // namespace RC

namespace simhost {
using StartMod = RC::CppUserModBase* (*)();
using UninstallMod = void (*)(RC::CppUserModBase*);

struct ModHost::CppMod {
    String name;
    std::filesystem::path folder;
    std::filesystem::path dlls;
    std::unique_ptr<detail::Library> library;
    StartMod start_entry{};
    UninstallMod uninstall_entry{};
    RC::CppUserModBase* object{};
    // Objects of earlier starts: the host overwrites its pointer and never frees them.
    std::vector<RC::CppUserModBase*> forgotten;
    bool started{};

    bool loaded() const { return start_entry && uninstall_entry; }
};

namespace {
using detail::hex;
using detail::host_line;
using detail::text_of;
using detail::widen;

void construct(ModHost::CppMod& mod) {
    std::error_code ignored;
    if (!std::filesystem::exists(mod.dlls, ignored)) {
        host_line(STR("Could not find the dlls folder for mod ") + mod.name + STR("\n"));
        return;
    }
    mod.library = std::make_unique<detail::Library>(mod.dlls);
    if (!mod.library->handle()) {
        host_line(STR("Failed to load dll <") + text_of(mod.dlls / "main.dll") + STR("> for mod ") +
                  mod.name + STR(", error code: 0x") + hex(mod.library->error()) + STR("\n"));
        return;
    }
    mod.start_entry = reinterpret_cast<StartMod>(mod.library->symbol("start_mod"));
    mod.uninstall_entry = reinterpret_cast<UninstallMod>(mod.library->symbol("uninstall_mod"));
    if (!mod.loaded()) {
        host_line(STR("Failed to find exported mod lifecycle functions for mod ") + mod.name +
                  STR("\n"));
        mod.start_entry = nullptr;
        mod.uninstall_entry = nullptr;
        mod.library->free();
    }
}

} // namespace

ModHost::ModHost(std::filesystem::path mods) : mods_folder(std::move(mods)) {
    detail::open_log();
}

ModHost::~ModHost() {
    detail::close_log();
    for (auto& mod : cpp_mods) {
        release_quietly(*mod, true);
    }
}

void ModHost::install_mods() {
    for (const auto& folder : detail::mod_folders(mods_folder)) {
        auto mod = std::make_unique<CppMod>();
        mod->name = text_of(folder.stem());
        mod->folder = folder;
        mod->dlls = folder / "dlls";
        construct(*mod);
        cpp_mods.push_back(std::move(mod));
    }
}

void ModHost::start_mods() {
    host_line(STR("Starting mods (from mods.txt load order)...\n"));
    std::ifstream list(mods_folder / "mods.txt", std::ios::binary);
    if (!list) {
        host_line(STR("No mods.txt file found...\n"));
    }
    for (std::string line; std::getline(list, line);) {
        // The host reads in text mode: a line ends before its CR LF.
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        auto entry = detail::list_entry(line);
        auto it = std::find_if(cpp_mods.begin(), cpp_mods.end(), [&](const auto& mod) {
            return entry && mod->name == entry->name && mod->loaded();
        });
        if (it == cpp_mods.end()) {
            continue;
        }
        if (entry->enabled) {
            host_line(STR("Starting C++ mod '") + (*it)->name + STR("'\n"));
            start(**it);
        } else {
            host_line(STR("Mod '") + (*it)->name + STR("' disabled in mods.txt.\n"));
        }
    }
    host_line(STR("Starting mods (from enabled.txt, no defined load order)...\n"));
    for (auto& mod : cpp_mods) {
        std::error_code ignored;
        if (mod->loaded() && !mod->started &&
            std::filesystem::exists(mod->folder / "enabled.txt", ignored)) {
            host_line(STR("Mod '") + mod->name + STR("' has enabled.txt, starting mod.\n"));
            start(*mod);
        }
    }
}

void ModHost::start(CppMod& mod) {
    RC::CppUserModBase* object = nullptr;
    try {
        detail::OwnerScope owner(&mod);
        object = mod.start_entry();
    } catch (const std::exception& error) {
        // Only a standard exception is caught; anything else takes the game down.
        host_line(STR("Failed to load dll <") + text_of(mod.dlls / "main.dll\n") +
                  STR("> for mod ") + mod.name + STR(", because: ") + widen(error.what()) +
                  STR("\n"));
        return;
    }
    if (mod.object && mod.object != object) {
        mod.forgotten.push_back(mod.object);
    }
    mod.object = object;
    mod.started = object != nullptr;
}

void ModHost::fire_unreal_init() {
    unreal_initialized = true;
    for (auto& mod : cpp_mods) {
        if (mod->started) {
            detail::OwnerScope owner(mod.get());
            mod->object->on_unreal_init();
        }
    }
}

void ModHost::fire_update() {
    for (auto& mod : cpp_mods) {
        if (mod->started) {
            detail::OwnerScope owner(mod.get());
            mod->object->on_update();
        }
    }
}

void ModHost::uninstall_mods() {
    for (auto& mod : cpp_mods) {
        host_line(STR("Stopping C++ mod '") + mod->name + STR("' for uninstall\n"));
        if (mod->object) {
            detail::OwnerScope owner(mod.get());
            mod->uninstall_entry(std::exchange(mod->object, nullptr));
        }
    }
    for (auto& mod : cpp_mods) {
        release_quietly(*mod, false);
    }
    cpp_mods.clear();
}

void ModHost::reinstall_mods() {
    host_line(STR("Re-installing all mods\n"));
    uninstall_mods();
    install_mods();
    start_mods();
    if (unreal_initialized) {
        fire_unreal_init();
    }
    host_line(STR("All mods re-installed\n"));
}

// What the real host never frees goes through uninstall_mod with the log muted, so that the
// sanitizers see no leak and the log no line the game would never write. Hooks still registered
// then would run freed code in the real host: recorded, except at the exit, and dropped.
void ModHost::release_quietly(CppMod& mod, bool at_exit) {
    try {
        detail::LogMute mute;
        detail::OwnerScope owner(&mod);
        if (at_exit && mod.object) {
            mod.uninstall_entry(std::exchange(mod.object, nullptr));
        }
        for (auto* object : mod.forgotten) {
            mod.uninstall_entry(object);
        }
    } catch (...) {
    }
    mod.forgotten.clear();
    detail::drop_hooks_of(&mod, !at_exit);
    mod.library.reset();
}

std::vector<ModHost::Mod> ModHost::mods() const {
    std::vector<Mod> out;
    for (const auto& mod : cpp_mods) {
        out.push_back(
            {mod->name, mod->folder, mod->loaded(), mod->started ? mod->object : nullptr});
    }
    return out;
}

RC::CppUserModBase* ModHost::started(RC::StringViewType name) const {
    for (const auto& mod : cpp_mods) {
        if (mod->started && mod->name == name) {
            return mod->object;
        }
    }
    return nullptr;
}
} // namespace simhost
