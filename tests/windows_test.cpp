// What only a Windows build can show: the DLL's export and import tables, the search for the
// settings file from the library's own path (long paths included), and text-mode reading.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <Mod/CppUserModBase.hpp>

#include "config/settings_file.hpp"
#include "support.hpp"

namespace {
using testing_support::log_lines;
using testing_support::wide;

// A loaded library, freed again at the end so that its folder can be removed.
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)>;
Module load(const std::wstring& path) {
    return Module(LoadLibraryW(path.c_str()), &FreeLibrary);
}
// The image as the loader mapped it: headers and tables sit at their relative addresses.
template <class T> const T* at(const Module& module, DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module.get()) + rva);
}

TEST(PeFile, ExportsTheTwoEntryPointsAndImportsOnlySystemDllsAndTheHost) {
    Module dll = load(wide(TALLYGLASS_LIBRARY));
    ASSERT_TRUE(dll);
    const auto* nt =
        at<IMAGE_NT_HEADERS64>(dll, static_cast<DWORD>(at<IMAGE_DOS_HEADER>(dll, 0)->e_lfanew));
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    const auto* dirs = nt->OptionalHeader.DataDirectory;
    ASSERT_NE(dirs[IMAGE_DIRECTORY_ENTRY_EXPORT].Size, 0u);
    const auto* exports =
        at<IMAGE_EXPORT_DIRECTORY>(dll, dirs[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    std::vector<std::string> names;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.emplace_back(at<char>(dll, at<DWORD>(dll, exports->AddressOfNames)[i]));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"start_mod", "uninstall_mod"}));
    EXPECT_EQ(exports->NumberOfFunctions, 2u) << "no export by ordinal alone";

    // A runtime DLL of the compiler (libstdc++-6.dll, libwinpthread-1.dll) is no system DLL.
    wchar_t system[MAX_PATH];
    const std::wstring system_dir(system, GetSystemDirectoryW(system, MAX_PATH));
    std::vector<std::string> imports;
    for (auto* d =
             at<IMAGE_IMPORT_DESCRIPTOR>(dll, dirs[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         d->Name != 0; ++d) {
        imports.emplace_back(at<char>(dll, d->Name));
        auto path = system_dir + L"\\" + wide(imports.back());
        EXPECT_TRUE(imports.back() == "UE4SS.dll" ||
                    GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            << imports.back() << " is neither a system DLL nor the host";
    }
    EXPECT_NE(std::find(imports.begin(), imports.end(), "UE4SS.dll"), imports.end());
}

// The "\\?\" form has no length limit but takes backslashes only.
std::wstring long_form(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"\\\\?\\" + path;
}
void make_directory(const std::wstring& path) {
    if (!CreateDirectoryW(long_form(path).c_str(), nullptr)) {
        throw std::runtime_error("cannot create " + testing_support::utf8(path));
    }
}
void write_settings(const std::wstring& folder, const std::string& text) {
    std::ofstream(std::filesystem::path(long_form(folder + L"\\Tallyglass.ini")), std::ios::binary)
        << text;
}

// Mods\Tallyglass\dlls\main.dll in a temporary folder padded with folders of at most 200
// characters so that the library's full path has the length asked for (0: none). Everything is
// made through "\\?\" paths, which have no length limit.
struct PaddedModFolder {
    std::wstring base, folder, library;
    PaddedModFolder(const std::wstring& tag, std::size_t length) {
        static int counter = 0;
        wchar_t temp[MAX_PATH + 1];
        base = std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) + L"tallyglass-" + tag + L"-" +
               std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        folder = base;
        make_directory(folder);
        const std::wstring tail = L"\\Mods\\Tallyglass\\dlls\\main.dll";
        while (folder.size() + tail.size() < length) {
            std::size_t room = length - tail.size() - folder.size() - 1;
            folder += L"\\" +
                      std::wstring(room > 200 ? std::min<std::size_t>(200, room - 2) : room, L'p');
            make_directory(folder);
        }
        for (const wchar_t* part :
             {L"\\Mods", L"\\Mods\\Tallyglass", L"\\Mods\\Tallyglass\\dlls"}) {
            make_directory(folder + part);
        }
        library = folder + tail;
        if (!CopyFileW(long_form(wide(TALLYGLASS_LIBRARY)).c_str(), long_form(library).c_str(),
                       FALSE)) {
            throw std::runtime_error("cannot copy the library");
        }
    }
    ~PaddedModFolder() { remove_tree(long_form(base)); }
    static void remove_tree(const std::wstring& path) {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &entry)) {
            std::wstring name = entry.cFileName, child = path + L"\\" + name;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        }
        FindClose(find);
        RemoveDirectoryW(path.c_str());
    }
};

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
            ASSERT_EQ(folder.library.size(), c.length);
        }
        // Only Mods\Tallyglass\Tallyglass.ini counts: not the library's own folder, nor Mods.
        write_settings(folder.folder + L"\\Mods\\Tallyglass",
                       "[General]\r\nBaseValuePercent = 42\r\n");
        write_settings(folder.folder + L"\\Mods\\Tallyglass\\dlls", "BaseValuePercent=1\r\n");
        write_settings(folder.folder + L"\\Mods", "BaseValuePercent=2\r\n");
        {
            // The loader takes a plain path while it is short enough, the "\\?\" form beyond.
            Module mod =
                load(folder.library.size() < MAX_PATH ? folder.library : long_form(folder.library));
            ASSERT_TRUE(mod);
            std::vector<wchar_t> name(32768);
            EXPECT_GE(GetModuleFileNameW(mod.get(), name.data(), 32768), c.length);
            auto start = reinterpret_cast<RC::CppUserModBase* (*)()>(
                reinterpret_cast<void*>(GetProcAddress(mod.get(), "start_mod")));
            auto uninstall = reinterpret_cast<void (*)(RC::CppUserModBase*)>(
                reinterpret_cast<void*>(GetProcAddress(mod.get(), "uninstall_mod")));
            ASSERT_TRUE(start && uninstall);
            uninstall(start());
        }
        EXPECT_EQ(log_lines(),
                  std::vector<std::string>{
                      "[Tallyglass] Loaded v0.4.0-rc1; config: Enabled=true, "
                      "DisplayMode=ValueTextAppend, BaseValuePercent=42, HeatmapEnabled=true, "
                      "HeatmapMode=Directional, HeatmapMaxDistancePercent=100.\n"});
    }
    simhost::reset();
}

TEST(SettingsFile, TextModeReading) {
    struct Case {
        const char* name;
        std::string bytes;
        bool enabled, probe;
    };
    const Case cases[] = {
        {"CRLF line ends", "[General]\r\n\r\nEnabled=false\r\nProbeValues=on\r\n", false, true},
        {"a lone CR does not end a line", "Enabled=false\rProbeValues=on\r\n", true, false},
        {"Ctrl-Z ends the file", "Enabled=false\r\n\x1a\r\nProbeValues=on\r\n", false, false},
    };
    auto path = testing_support::temp_folder("crlf") / "Tallyglass.ini";
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.bytes;
        const auto read = tallyglass::read_settings_file(path.wstring());
        ASSERT_EQ(read.fallback, tallyglass::SettingsFallback::None) << c.name;
        const auto& config = read.config;
        EXPECT_EQ(config.Enabled, c.enabled) << c.name;
        EXPECT_EQ(config.ProbeValues, c.probe) << c.name;
    }
    std::filesystem::remove_all(path.parent_path());
}
} // namespace
