// A mod's main.dll as the host loads it: LoadLibraryExW with the mod's dlls folder added to the
// search path on Windows; dlopen of the same file elsewhere, failures told by the Windows error
// code that matches them.
#pragma once

#include <cstdint>
#include <filesystem>

namespace simhost::detail {
class Library {
public:
    // Loads `dlls`/main.dll; on failure handle() is null and error() holds the code.
    explicit Library(const std::filesystem::path& dlls);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    void* handle() const { return module; }
    std::uint32_t error() const { return code; }
    void* symbol(const char* name) const;
    void free();

private:
    void* module{};
#ifdef _WIN32
    void* search_cookie{};
#endif
    std::uint32_t code{};
};
} // namespace simhost::detail
