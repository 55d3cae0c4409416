// The mod installed as a player installs it (README, "Installing"), in a temporary game folder
// that goes again at the end: the game's Binaries/Win64 holding UE4SS's Mods folder. One layout
// for the tests and the simulator; a test keeps the README's tree and this one the same.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace simhost {
// A new empty folder in the system's temporary folder, named "tallyglass-<tag>-<unique part>".
std::filesystem::path temp_folder(const std::string& tag);

class GameFolder {
public:
    // Binaries/Win64/Mods, empty.
    explicit GameFolder(const std::string& tag = "game");
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    const std::filesystem::path& root() const { return root_path; }
    // Where UE4SS.dll and UE4SS.log sit.
    std::filesystem::path win64() const;
    std::filesystem::path mods() const;

    // Mods/<mod>/dlls/main.dll (a copy of `library`), an empty Mods/<mod>/enabled.txt, and
    // Mods/<mod>/Tallyglass.ini holding `ini` when there is one.
    void install(const std::filesystem::path& library, const std::optional<std::string>& ini,
                 const std::string& mod = "Tallyglass") const;
    // A file at this path below Mods, its folders made as needed.
    void write(const std::filesystem::path& below_mods, std::string_view bytes) const;
    void copy(const std::filesystem::path& file, const std::filesystem::path& below_mods) const;

private:
    std::filesystem::path root_path;
};
} // namespace simhost
