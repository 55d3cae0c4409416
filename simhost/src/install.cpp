#include <simhost/install.hpp>

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace simhost {
namespace {
long process_id() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}
} // namespace

std::filesystem::path temp_folder(const std::string& tag) {
    // Test programs run side by side: the process id and a counter keep their folders apart.
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto path = std::filesystem::temp_directory_path() /
                ("tallyglass-" + tag + "-" + std::to_string(process_id()) + "-" +
                 std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
    return path;
}

GameFolder::GameFolder(const std::string& tag) : root_path(temp_folder(tag)) {
    std::filesystem::create_directories(mods());
}

GameFolder::~GameFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_path, ignored);
}

std::filesystem::path GameFolder::win64() const {
    return root_path / "Binaries" / "Win64";
}

std::filesystem::path GameFolder::mods() const {
    return win64() / "Mods";
}

void GameFolder::install(const std::filesystem::path& library,
                         const std::optional<std::string>& ini, const std::string& mod) const {
    copy(library, std::filesystem::path(mod) / "dlls" / "main.dll");
    write(std::filesystem::path(mod) / "enabled.txt", "");
    if (ini) {
        write(std::filesystem::path(mod) / "Tallyglass.ini", *ini);
    }
}

void GameFolder::write(const std::filesystem::path& below_mods, std::string_view bytes) const {
    const auto path = mods() / below_mods;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void GameFolder::copy(const std::filesystem::path& file,
                      const std::filesystem::path& below_mods) const {
    const auto path = mods() / below_mods;
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::copy_file(file, path, std::filesystem::copy_options::overwrite_existing);
}
} // namespace simhost
