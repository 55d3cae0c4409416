// What only a Windows build can show: the PE file's export and import tables, the search for
// the library's own path through the loader (long paths included), and text-mode reading.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <Mod/CppUserModBase.hpp>

#include "config/config_file.hpp"
#include "support.hpp"

namespace {
using tallyglass::Config;
using testing_support::log_lines;
using testing_support::utf8;

// The built file's bytes, read as structures at their file offsets.
class PeFile {
public:
    explicit PeFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        auto dos = read<IMAGE_DOS_HEADER>(0);
        if (dos.e_magic != IMAGE_DOS_SIGNATURE) {
            throw std::runtime_error(path + " is not a PE file");
        }
        auto offset = static_cast<std::size_t>(dos.e_lfanew);
        nt = read<IMAGE_NT_HEADERS64>(offset);
        if (nt.Signature != IMAGE_NT_SIGNATURE ||
            nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            throw std::runtime_error(path + " is not a 64-bit PE file");
        }
        std::size_t first_section = offset + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                    nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            sections.push_back(
                read<IMAGE_SECTION_HEADER>(first_section + i * sizeof(IMAGE_SECTION_HEADER)));
        }
    }

    WORD machine() const { return nt.FileHeader.Machine; }

    // Exported names, and the count of exported addresses (names or bare ordinals).
    std::vector<std::string> export_names(DWORD& address_count) const {
        std::vector<std::string> names;
        address_count = 0;
        auto entry = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        if (entry.Size == 0) {
            return names;
        }
        auto directory = read<IMAGE_EXPORT_DIRECTORY>(offset_of(entry.VirtualAddress));
        address_count = directory.NumberOfFunctions;
        for (DWORD i = 0; i < directory.NumberOfNames; ++i) {
            auto name = read<DWORD>(offset_of(directory.AddressOfNames) + i * sizeof(DWORD));
            names.push_back(string_at(name));
        }
        return names;
    }

    std::vector<std::string> imported_dlls() const {
        std::vector<std::string> names;
        auto entry = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (entry.Size == 0) {
            return names;
        }
        std::size_t at = offset_of(entry.VirtualAddress);
        for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto descriptor = read<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (descriptor.Name == 0) {
                return names;
            }
            names.push_back(string_at(descriptor.Name));
        }
    }

private:
    template <class T> T read(std::size_t offset) const {
        if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
            throw std::runtime_error("read past the end of the file");
        }
        T value;
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
        return value;
    }

    std::size_t offset_of(DWORD rva) const {
        for (const auto& s : sections) {
            DWORD size = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < size) {
                return std::size_t{s.PointerToRawData} + (rva - s.VirtualAddress);
            }
        }
        throw std::runtime_error("address outside every section");
    }

    std::string string_at(DWORD rva) const {
        std::size_t at = offset_of(rva);
        std::string out;
        for (; at < bytes.size() && bytes[at] != '\0'; ++at) {
            out.push_back(bytes[at]);
        }
        return out;
    }

    std::vector<char> bytes;
    IMAGE_NT_HEADERS64 nt{};
    std::vector<IMAGE_SECTION_HEADER> sections;
};

TEST(PeFile, ExportsExactlyTheTwoEntryPointsUndecorated) {
    PeFile dll(TALLYGLASS_LIBRARY);
    EXPECT_EQ(dll.machine(), IMAGE_FILE_MACHINE_AMD64);
    DWORD addresses = 0;
    auto names = dll.export_names(addresses);
    EXPECT_EQ(names, (std::vector<std::string>{"start_mod", "uninstall_mod"}));
    EXPECT_EQ(addresses, 2u) << "no export by ordinal alone";
}

TEST(PeFile, ImportsOnlySystemDllsAndTheHost) {
    wchar_t system[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::wstring system_dir(system, length);
    PeFile dll(TALLYGLASS_LIBRARY);
    auto imports = dll.imported_dlls();
    EXPECT_NE(std::find(imports.begin(), imports.end(), "UE4SS.dll"), imports.end());
    for (const auto& name : imports) {
        if (name == "UE4SS.dll") {
            continue;
        }
        // A runtime DLL of the compiler (libstdc++-6.dll, libwinpthread-1.dll) is not there.
        auto path = system_dir + L"\\" + testing_support::wide(name);
        EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES)
            << name << " is neither a system DLL nor the host";
    }
}

std::wstring temp_root() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) {
        throw std::runtime_error("no temporary folder");
    }
    std::wstring root(buffer, length);
    if (root.back() == L'\\') {
        root.pop_back();
    }
    return root;
}

// Mods\Tallyglass\dlls\Tallyglass.dll under a folder padded so the library's full path has a
// chosen length. Files are made through "\\?\" paths, which have no length limit.
class PaddedModFolder {
public:
    PaddedModFolder(const std::wstring& tag, std::size_t library_length) {
        static int counter = 0;
        base = temp_root() + L"\\tallyglass-" + tag + L"-" +
               std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        make_directory(base);
        const std::wstring tail = L"\\Mods\\Tallyglass\\dlls\\Tallyglass.dll";
        std::wstring folder = base;
        // Padding folders of at most 200 characters each, the last one taking the rest.
        while (folder.size() + tail.size() < library_length) {
            std::size_t room = library_length - tail.size() - folder.size() - 1;
            std::size_t take = room > 200 ? std::min<std::size_t>(200, room - 2) : room;
            if (take == 0) {
                throw std::runtime_error("cannot pad to the asked length");
            }
            folder += L"\\" + std::wstring(take, L'p');
            make_directory(folder);
        }
        mod = folder + L"\\Mods\\Tallyglass";
        make_directory(folder + L"\\Mods");
        make_directory(mod);
        make_directory(mod + L"\\dlls");
        library = mod + L"\\dlls\\Tallyglass.dll";
        auto built = long_form(testing_support::wide(TALLYGLASS_LIBRARY));
        if (!CopyFileW(built.c_str(), long_form(library).c_str(), FALSE)) {
            throw std::runtime_error("cannot copy the library");
        }
    }
    ~PaddedModFolder() { remove_tree(long_form(base)); }
    PaddedModFolder(const PaddedModFolder&) = delete;
    PaddedModFolder& operator=(const PaddedModFolder&) = delete;

    // Mods\Tallyglass holds the settings file; Mods and dlls take decoys.
    const std::wstring& mod_folder() const { return mod; }
    std::wstring mods_folder() const { return mod.substr(0, mod.rfind(L'\\')); }
    std::wstring dlls_folder() const { return mod + L"\\dlls"; }

    static void write(const std::wstring& folder, const std::string& text) {
        std::wstring path = long_form(folder + L"\\Tallyglass.ini");
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot create " + utf8(path));
        }
        DWORD written = 0;
        BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        if (!ok || written != text.size()) {
            throw std::runtime_error("cannot write " + utf8(path));
        }
    }

    // Plain while short enough for the loader; the "\\?\" form beyond.
    std::wstring library_for_loading() const {
        return library.size() < MAX_PATH ? library : long_form(library);
    }
    std::size_t library_length() const { return library.size(); }

    static std::wstring long_form(const std::wstring& path) {
        std::wstring normal = path;
        std::replace(normal.begin(), normal.end(), L'/', L'\\');
        return L"\\\\?\\" + normal;
    }

private:
    static void make_directory(const std::wstring& path) {
        if (!CreateDirectoryW(long_form(path).c_str(), nullptr)) {
            throw std::runtime_error("cannot create " + utf8(path));
        }
    }

    static void remove_tree(const std::wstring& path) {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = entry.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                std::wstring child = path + L"\\" + name;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    remove_tree(child);
                } else {
                    DeleteFileW(child.c_str());
                }
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryW(path.c_str());
    }

    std::wstring base;
    std::wstring mod;
    std::wstring library;
};

// The library loaded as the host loads it, and freed again so its folder can be removed.
class Library {
public:
    explicit Library(const std::wstring& path) : module(LoadLibraryW(path.c_str())) {
        if (!module) {
            throw std::runtime_error("LoadLibraryW failed with error " +
                                     std::to_string(GetLastError()));
        }
    }
    ~Library() { FreeLibrary(module); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Starts and removes the mod object, as the host does at load and unload.
    void start_and_uninstall() const {
        auto start = reinterpret_cast<RC::CppUserModBase* (*)()>(
            reinterpret_cast<void*>(GetProcAddress(module, "start_mod")));
        auto uninstall = reinterpret_cast<void (*)(RC::CppUserModBase*)>(
            reinterpret_cast<void*>(GetProcAddress(module, "uninstall_mod")));
        if (!start || !uninstall) {
            throw std::runtime_error("an entry point is missing");
        }
        uninstall(start());
    }

    // The name the loader gives the module, however long.
    std::wstring file_name() const {
        std::vector<wchar_t> buffer(32768);
        DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        return std::wstring(buffer.data(), length);
    }

private:
    HMODULE module;
};

std::string startup_line(int base_value_percent) {
    return "[Tallyglass] Loaded v0.4.0-rc1; config: Enabled=true, DisplayMode=ValueTextAppend, "
           "BaseValuePercent=" +
           std::to_string(base_value_percent) +
           ", HeatmapEnabled=true, HeatmapMode=Directional, HeatmapMaxDistancePercent=100.\n";
}

TEST(SettingsDiscovery, ReadsTheFileOneFolderAboveTheLibrary) {
    struct Case {
        const char* name;
        std::wstring tag;
        std::size_t length; // of the library's full path
    };
    // The search starts with 260 characters and doubles. A cut name is only noticed once the cut
    // reaches into the folders, so the long rows reach well past each buffer size.
    const Case cases[] = {
        {"short path", L"short", 0},
        {"259 characters, the longest plain path", L"fill", 259},
        {"300 characters, one doubling", L"once", 300},
        {"600 characters, two doublings", L"twice", 600},
        {"2000 characters, three doublings", L"thrice", 2000},
        {"folder name beyond ASCII", L"\u00dcbergr\u00f6\u00dfe-\u4fa1\u5024", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        simhost::reset();
        PaddedModFolder folder(c.tag, c.length);
        if (c.length != 0) {
            ASSERT_EQ(folder.library_length(), c.length);
        }
        // Only Mods\Tallyglass\Tallyglass.ini counts: not the library's own folder, nor Mods.
        PaddedModFolder::write(folder.mod_folder(), "[General]\r\nBaseValuePercent = 42\r\n");
        PaddedModFolder::write(folder.dlls_folder(), "BaseValuePercent=1\r\n");
        PaddedModFolder::write(folder.mods_folder(), "BaseValuePercent=2\r\n");

        Library library(folder.library_for_loading());
        EXPECT_GE(library.file_name().size(), c.length);
        library.start_and_uninstall();
        EXPECT_EQ(log_lines(), std::vector<std::string>{startup_line(42)});
    }
    simhost::reset();
}

TEST(SettingsDiscovery, NoFileMeansDefaults) {
    simhost::reset();
    PaddedModFolder folder(L"none", 300);
    Library library(folder.library_for_loading());
    library.start_and_uninstall();
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"[Tallyglass] Config not found; using defaults.\n",
                                        startup_line(75)}));
    simhost::reset();
}

TEST(SettingsFile, TextModeReading) {
    struct Case {
        const char* name;
        std::string bytes;
        bool enabled;
        bool probe;
        int percent;
    };
    const Case cases[] = {
        {"CRLF line ends", "Enabled=false\r\nProbeValues=on\r\nBaseValuePercent=50\r\n", false,
         true, 50},
        {"CRLF, blank lines, comments, a section",
         "[General]\r\n\r\n; Enabled=true\r\nEnabled=no\r\n\r\nBaseValuePercent = 60 %\r\n", false,
         false, 60},
        {"last line without a line end", "ProbeValues=yes\r\nBaseValuePercent=7", true, true, 7},
        {"a lone CR does not end a line", "Enabled=false\rProbeValues=on\r\n", true, false, 75},
        {"Ctrl-Z ends the file, as text mode has it", "Enabled=false\r\n\x1a\r\nProbeValues=on\r\n",
         false, false, 75},
    };
    auto folder = testing_support::temp_folder("crlf");
    for (const auto& c : cases) {
        auto path = folder / "Tallyglass.ini";
        {
            std::ofstream out(path, std::ios::binary);
            out << c.bytes;
        }
        Config config;
        ASSERT_TRUE(tallyglass::read_config_file(path.wstring(), config)) << c.name;
        EXPECT_EQ(config.Enabled, c.enabled) << c.name;
        EXPECT_EQ(config.ProbeValues, c.probe) << c.name;
        EXPECT_EQ(config.BaseValuePercent, c.percent) << c.name;
    }
    std::filesystem::remove_all(folder);
}
} // namespace
