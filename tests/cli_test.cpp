// tallyglass-sim as a user runs it: --check-ini's explanations of every line the mod reads
// otherwise than meant, and the command line's messages and exit statuses for every mistake,
// signal and output failure (the tool run as a child process).
//
// Every case starts the tool as a process of its own: some 60 runs, a second natively and a few
// under the sanitizers, where each process starts slower.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "check_ini.hpp"
#include "support.hpp"

namespace {
namespace fs = std::filesystem;

struct IniCase {
    std::string ini;
    int code;
    std::vector<std::string> says;
};

// One byte more than the mod reads of a settings file.
std::string padded_settings() {
    return "Enabled=false\n" + std::string(1024 * 1024 + 1 - 14, '\n');
}

// What --check-ini says of each file: every case of a line the mod reads otherwise than meant.
const IniCase ini_cases[] = {
    {"\n; comment\n[General]\nheatmap = off\nDebug=yes\nDebug=no\r\n",
     0,
     {"line 1: blank\nline 2: comment\nline 3: section [General] (sections have no meaning)\n"
      "line 4: applied HeatmapEnabled = false (key \"heatmap\")\n",
      "line 6: applied DebugLogging = false (key \"Debug\"); replaces line 5\n",
      "\nno problems: the mod reads every line as written\n"}},
    {"Enabled false\n",
     1,
     {"line 1: problem: no \"=\" in \"Enabled false\": the mod ignores the line\n"
      "    Write it as \"Enabled = false\".\n",
      "\n1 problem: the mod will not do what those lines say\n"}},
    {"nonsense\n", 1, {"A setting takes the form Key = Value."}},
    {"\xEF\xBB\xBF"
     "BaseValuePercent=80\n",
     1,
     {"line 1: problem: unknown key \"\\xEF\\xBB\\xBFBaseValuePercent\"",
      "so the mod does not recognise BaseValuePercent. Save the file as \"UTF-8\" (without "
      "BOM)",
      "BaseValuePercent=75,"}},
    {"\xEF\xBB\xBF"
     "; settings\nBaseValuePercent=80\n",
     0,
     {"byte-order mark", "BaseValuePercent=80,"}},
    {std::string("\xFF\xFE"
                 "E\0n\0a\0b\0l\0e\0d\0=\0f\0a\0l\0s\0e\0\r\0\n\0",
                 32),
     1,
     {"saved as UTF-16", "Encoding \"UTF-8\"", "in force: Enabled=true,"}},
    {"Enabled = false ; off\n",
     1,
     {"value \"false ; off\" not understood for Enabled; it stays true",
      "on lines of their own and write \"Enabled = false\"."}},
    {"BaseValuePercent = 20000\n",
     1,
     {"applied BaseValuePercent = 10000, not \"20000\"\n    The mod takes numbers up to "
      "10000"}},
    {"HeatmapMaxDistancePercent=99999x\n", 1, {"= 10000, not \"99999x\""}},
    {"HeatmapGoodColour=#00FF00\n", 1, {"Did you mean HeatmapGoodColor?"}},
    {"Enabled=tru\n", 1, {"Expected true, yes, on, 1, false, no, off or 0."}},
    {std::string("K\0\x01\x1B[31m=1\n", 9), 1, {"unknown key \"K\\x00\\x01\\x1B[31m\""}},
    {"Enabled=false\n\x1A\nDebug=yes\n",
     1,
     {"line 2: problem: a Ctrl-Z byte (\\x1A): on Windows the mod stops reading",
      "HeatmapMaxDistancePercent=100\n"}},
    {"Enabled=false\n\x1A", 0, {"line 2: a Ctrl-Z byte (\\x1A) ends the file on Windows"}},
    {"Enabled=false\rDebug=yes\r", 1, {"a carriage return inside the line"}},
    {padded_settings(), 1, {"holds 1048577 bytes, more than the 1048576 the mod reads"}},
    {"HeatmapBadColor=#EF4444\n",
     0,
     {"HeatmapBadColor       #EF4444 shows as #F88D8D; to show #EF4444, write #DC0F0F",
      "HeatmapZeroColor      #5F5F5F shows as #A4A4A4; to show #5F5F5F, write #1D1D1D",
      "HeatmapNeutralColor   #FFFFFF shows as #FFFFFF; to show #FFFFFF, write #FFFFFF\n"}},
};

TEST(CheckIni, SaysWhereTheModReadsALineOtherwiseThanItPlainlyMeans) {
    const auto& cases = ini_cases;
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        std::ostringstream stream;
        EXPECT_EQ(sim::check_ini(stream, cases[row].ini), cases[row].code) << "row " << row;
        const std::string out = stream.str();
        for (const auto& says : cases[row].says) {
            EXPECT_NE(out.find(says), std::string::npos) << "row " << row << "\n" << out;
        }
        EXPECT_EQ(
            std::count_if(out.begin(), out.end(),
                          [](char c) { return c != '\n' && static_cast<unsigned char>(c) < 0x20; }),
            0)
            << "row " << row << ": a raw control byte";
    }
}

struct Run {
    int code;
    std::string out;
};

// `before` sets the scene: a folder to run in, variables. Standard error goes to the pipe before
// `args` may send standard output elsewhere.
Run run_tool(const std::string& args, const std::string& before = "") {
    const std::string command = "exec 2>&1; " + before + " \"" + TALLYGLASS_SIM + "\" " + args;
    Run run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Every file below `folder`, by its path: a refused, failed or interrupted run changes none.
std::map<fs::path, std::string> snapshot(const fs::path& folder) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path()] = entry.file_size() > 65536 ? std::to_string(entry.file_size())
                                                            : testing_support::read_file(entry);
        }
    }
    return files;
}

// A Mods folder as a player installs it, with a file swapped for something hostile.
void install_mods(const fs::path& mods, const std::function<void(const fs::path&)>& spoil) {
    fs::create_directories(mods / "Tallyglass" / "dlls");
    fs::copy_file(TALLYGLASS_LIBRARY, mods / "Tallyglass" / "dlls" / "main.dll");
    testing_support::write_file(mods / "Tallyglass" / "enabled.txt", "");
    spoil(mods / "Tallyglass");
}

struct ToolCase {
    const char* args; // run in a folder holding the files that EveryMistake... writes
    int code;
    const char* says;
};

const ToolCase tool_cases[] = {
    {"--json --no-ini", 0, "\"slots\""},
    {"--log UE4SS.log", 0, "[Tallyglass] Loaded"},
    {"--from-log UE4SS.log", 2, "UE4SS.log: no trade to replay: the log holds no row lines"},
    {"--ini probe.ini --log probe.log", 0, "ProbeValues=true, DebugLogging=true"},
    {"--from-log probe.log --list-trades", 0, "\n  1      13    "},
    {"--from-log probe.log --trade 1 --scenario-out t.json --no-ini --picture p.png", 0,
     "tallyglass-sim: note: --picture p.png: the picture is written as SVG\n"},
    {"t.json", 0, "  Iron Sword      120        120 (99)"},
    {"- --ini - < t.json", 2, "--ini -: standard input is SCENARIO's already"},
    {"--check-ini - < ok.ini", 0, "line 1: applied Enabled = true"},
    {"--from-log probe.log --trade 2", 2, "trade 2: the log holds only trade 1"},
    {"--from-log probe.log --trade 0x1", 2, "--trade 0x1: expected a trade's number"},
    {"--from-log probe.log --trade +1", 2, "--trade +1: expected a trade's number"},
    {"--list-trades", 2, "--list-trades requires --from-log"},
    {"--from-log probe.log --list-trades --json", 2, "--json excludes --list-trades"},
    {"--from-log probe.log t.json", 2, "SCENARIO excludes --from-log"},
    {"--check-ini ok.ini", 0, "line 1: applied Enabled = true"},
    {"--check-ini broken.ini", 1, "line 1: problem: no \"=\""},
    // No output may replace an input or another output, however it is named.
    {"--from-log probe.log --log probe.log", 2,
     "tallyglass-sim: --log probe.log: the same file as --from-log probe.log; an output may not "
     "replace a file the run reads\n"},
    {"--from-log probe.log --scenario-out ./probe.log", 2,
     "--scenario-out ./probe.log: the same file as --from-log probe.log"},
    {"t.json --picture t.json", 2, "--picture t.json: the same file as t.json"},
    {"--ini ok.ini --log link.ini", 2, "--log link.ini: the same file as --ini ok.ini"},
    {"- --log t.json < t.json", 2, "--log t.json: the same file as <stdin>"},
    {"--picture new.svg --log dir/../new.svg", 2,
     "--log dir/../new.svg: the same file as --picture new.svg; each output needs a file of its "
     "own"},
    {"--mods Mods --log Mods/Tallyglass/enabled.txt", 2,
     "--log Mods/Tallyglass/enabled.txt: the same file as --mods Mods/Tallyglass/enabled.txt"},
    // Nothing blocks on a pipe or reads a device without end.
    {"pipe", 2, "tallyglass-sim: pipe: is a pipe, not a file\n"},
    {"--ini pipe", 2, "tallyglass-sim: --ini pipe: is a pipe, not a file\n"},
    {"--from-log pipe", 2, "tallyglass-sim: --from-log pipe: is a pipe, not a file\n"},
    {"--check-ini /dev/zero", 2, "tallyglass-sim: --check-ini /dev/zero: is a device, not a file"},
    {"--log pipe", 2, "tallyglass-sim: --log pipe: is a pipe, not a file\n"},
    {"--picture /dev/null", 2, "--picture /dev/null: is a device, not a file\n"},
    {"--mods PipeMods", 2, "--mods PipeMods/Tallyglass/dlls/main.dll: is a pipe, not a file\n"},
    {"--mods ListMods", 2, "--mods ListMods/mods.txt: is a pipe, not a file\n"},
    {"--mods Mods", 0, "  [Tallyglass] Config is not a regular file; using defaults.\n"},
    {"--mods WinMods", 0,
     "tallyglass-sim: --mods WinMods: no mod started (Tallyglass/dlls/main.dll is a Windows DLL; "
     "this simulator loads the library built here, "},
    {"dir", 2, "tallyglass-sim: dir: is a folder, not a file\n"},
    {"--picture dir", 2, "tallyglass-sim: --picture dir: is a folder, not a file\n"},
    {"--log ''", 2, "tallyglass-sim: --log: the file name is empty\n"},
    {"--picture -", 2, "--picture -: standard output takes the tables or the JSON; name a file"},
    {"- < dir", 2, "tallyglass-sim: <stdin>: cannot be read: Is a directory\n"},
    {"--mods ok.ini", 2, "tallyglass-sim: --mods ok.ini: is not a folder\n"},
    {"--mods none", 2, "tallyglass-sim: --mods none: no such folder\n"},
    {"none.json", 2, "tallyglass-sim: none.json: no such file\n"},
    {"--mods ''", 2, "tallyglass-sim: --mods: the folder name is empty\n"},
    {"--log none/l.txt", 2, "tallyglass-sim: --log none/l.txt: its folder none does not exist\n"},
    {"--check-ini ok.ini --json", 2, "--json excludes --check-ini"},
    {"--check-ini ok.ini trade.json", 2, "SCENARIO excludes --check-ini"},
    {"--check-ini ok.ini --picture p.svg", 2, "--picture excludes --check-ini"},
    {"--mods dir --no-ini", 2, "--no-ini excludes --mods"},
    {"--mods dir ini.json", 2,
     "tallyglass-sim: ini.json: \"ini\" cannot be used with --mods: the "
     "installed mod reads the Tallyglass.ini in its own folder\n"},
    {"--bogus", 2, "tallyglass-sim: "},
    {"bad.json", 2, "tallyglass-sim: bad.json: trader[0].base: expected a whole number from"},
    {"nul.json", 2, "tallyglass-sim: nul.json: a\\x00b: expected no such key"},
    {"utf16.json", 2,
     "utf16.json: (document): expected UTF-8 text, not UTF-16 (\"Unicode\" in Notepad). Save it "
     "as UTF-8"},
    {"--from-log utf16.json", 2, "utf16.json: the file is saved as UTF-16 (\"Unicode\" in "},
    {"big.json", 2,
     "tallyglass-sim: big.json: larger than 16 MiB, the most tallyglass-sim reads\n"},
    // Names from a log are escaped in the statistics as in the tables.
    {"escape.json --ini probe.ini --log escape.log", 0, "Iron \\x1B]0;title\\x07Sword"},
    {"--from-log escape.log --json", 0, "\"first_line\": null,\n    \"lines\": 0,"},
    {"--from-log escape.log", 0, "median item, Iron \\x1B]0;title\\x07Sword (price"},
    {">&-", 3, "tallyglass-sim: standard output is closed"},
    {"--help > /dev/full", 3, "standard output: cannot be written"},
    {"--check-ini ok.ini > /dev/full", 3, "standard output: cannot be written"},
    {"--mods Mods --picture probe.ini > /dev/full", 3,
     "standard output: cannot be written: No space left on device\n"},
    // An output that cannot be written whole leaves the file it would replace as it was.
    {"--mods Mods --picture probe.ini", 3,
     "--picture probe.ini: cannot be written: File too large"},
};

TEST(CommandLine, EveryMistakeGetsAMessageAndAnExitStatusThatTellsTheTruth) {
    const auto folder = testing_support::temp_folder("simtest");
    fs::create_directories(folder / "tmp");
    fs::create_directories(folder / "dir");
    testing_support::write_file(folder / "ok.ini", "Enabled=true\n");
    fs::create_symlink("ok.ini", folder / "link.ini");
    testing_support::write_file(folder / "probe.ini", "ProbeValues=true\nDebugLogging=true\n");
    testing_support::write_file(folder / "broken.ini", "Enabled false\n");
    testing_support::write_file(folder / "bad.json",
                                R"({"trader": [{"item": "a", "base": "x", "price": 1}]})");
    testing_support::write_file(folder / "ini.json", R"({"ini": ""})");
    testing_support::write_file(folder / "nul.json", R"({"a\u0000b": 1})");
    testing_support::write_file(folder / "utf16.json", std::string("\xFF\xFE{\0}\0", 6));
    testing_support::write_file(
        folder / "escape.json",
        R"({"trader": [{"item": "Iron \u001b]0;title\u0007Sword", "base": 133, "price": 120}]})");
    testing_support::write_file(folder / "big.json", "");
    fs::resize_file(folder / "big.json", 17 * 1024 * 1024);
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    install_mods(folder / "Mods",
                 [](const fs::path& mod) { fs::create_directory(mod / "Tallyglass.ini"); });
    install_mods(folder / "WinMods", [](const fs::path& mod) {
        testing_support::write_file(mod / "dlls" / "main.dll", "MZ\x90");
    });
    install_mods(folder / "PipeMods", [](const fs::path& mod) {
        fs::remove(mod / "dlls" / "main.dll");
        mkfifo((mod / "dlls" / "main.dll").c_str(), 0600);
    });
    install_mods(folder / "ListMods", [](const fs::path& mod) {
        mkfifo((mod.parent_path() / "mods.txt").c_str(), 0600);
    });
    const std::string in_folder =
        "cd '" + folder.string() + "' && TMPDIR='" + folder.string() + "/tmp'";
    for (const auto& c : tool_cases) {
        const auto before = snapshot(folder);
        // The last row's picture is larger than the files the shell may write.
        const bool small_files = &c == std::end(tool_cases) - 1;
        const auto run =
            run_tool(c.args, in_folder + (small_files ? "; trap '' XFSZ; ulimit -f 2;" : ""));
        EXPECT_EQ(run.code, c.code) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.args << "\n" << run.out;
        EXPECT_FALSE(
            std::any_of(run.out.begin(), run.out.end(),
                        [](char b) { return b != '\n' && static_cast<unsigned char>(b) < 0x20; }))
            << c.args << ": a raw control byte";
        if (c.code >= 2) {
            EXPECT_EQ(snapshot(folder), before) << c.args << ": a file was changed or left behind";
        }
        if (c.code == 2) {
            EXPECT_EQ(run.out.find("[Tallyglass]"), std::string::npos)
                << c.args << ": the mod is not loaded";
        }
    }
    const auto no_library = run_tool("", in_folder + " TALLYGLASS_LIBRARY=none.so");
    EXPECT_EQ(no_library.code, 2);
    EXPECT_EQ(no_library.out, "tallyglass-sim: the mod library none.so: no such file\n");
    EXPECT_TRUE(fs::is_empty(folder / "tmp")) << "a run left its game folder behind";
    fs::remove_all(folder);
}

// A signal during a run: the temporary game folder goes, the outputs stay as they were, and the
// tool dies of that signal; a second signal ends it at once.
TEST(CommandLine, SignalEndsTheRunAndLeavesNoFolderBehind) {
    const auto folder = testing_support::temp_folder("simtest");
    const auto tmp = folder / "tmp";
    fs::create_directories(tmp);
    testing_support::write_file(folder / "long.json", testing_support::trader_scenario(20, 10000));
    testing_support::write_file(folder / "out.log", "the player's log\n");
    testing_support::write_file(folder / "out.svg", "the player's picture\n");
    const auto before = snapshot(folder);
    const int signals[][2] = {{SIGINT, 0},  {SIGTERM, 0}, {SIGHUP, 0},
                              {SIGQUIT, 0}, {SIGUSR1, 0}, {SIGUSR2, 0},
                              {SIGPIPE, 0}, {SIGALRM, 0}, {SIGINT, SIGINT}};
    for (const auto& [signal_number, again] : signals) {
        const pid_t child = fork();
        if (child == 0) {
            setenv("TMPDIR", tmp.c_str(), 1);
            const rlimit no_core{0, 0};
            setrlimit(RLIMIT_CORE, &no_core);
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
            if (chdir(folder.c_str()) != 0) {
                _exit(127);
            }
            execl(TALLYGLASS_SIM, TALLYGLASS_SIM, "long.json", "--log", "out.log", "--picture",
                  "out.svg", nullptr);
            _exit(127);
        }
        std::error_code error;
        for (int i = 0; i < 4000 && fs::is_empty(tmp, error); ++i) {
            usleep(5000);
        }
        kill(child, signal_number);
        if (again) {
            kill(child, again);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
            << "signal " << signal_number << ", status " << status;
        if (!again) {
            EXPECT_TRUE(fs::is_empty(tmp)) << "signal " << signal_number;
            EXPECT_EQ(snapshot(folder), before) << "signal " << signal_number;
        }
        fs::remove_all(tmp);
        fs::create_directories(tmp);
    }
    fs::remove_all(folder);
}

// The simulator page's samples are what the tool prints: for the built-in trade, and --check-ini
// for the settings file shown (saved with a byte-order mark, as the page says).
TEST(CommandLine, DocumentedSamplesAreTheOutput) {
    const auto readme = testing_support::read_file(fs::path(TALLYGLASS_SAMPLE_INI).parent_path() /
                                                   "docs" / "simulator.md");
    auto block = [&](const std::string& start, std::size_t from) {
        const auto at = readme.find(start, from);
        const auto end = readme.find("```\n", at + start.size());
        return at == std::string::npos ? std::string("(no sample)")
                                       : readme.substr(at + start.size(), end - at - start.size());
    };
    EXPECT_EQ(run_tool("").out, "Host log\n" + block("```\nHost log\n", 0));
    const auto ini = readme.find("```ini\n", readme.find("## Checking a settings file"));
    std::ostringstream checked;
    sim::check_ini(checked, "\xEF\xBB\xBF" + block("```ini\n", ini));
    EXPECT_EQ(checked.str(), block("```\n", readme.find("```\n", ini + 7) + 4));
}
} // namespace
