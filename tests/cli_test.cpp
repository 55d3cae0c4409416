// tallyglass-sim as a user runs it: --check-ini's explanations of every line the mod reads
// otherwise than meant, and the command line's messages and exit statuses for every mistake,
// signal and output failure (the tool run as a child process).
//
// Every case starts the tool as a process of its own: some 60 runs, a second natively and a few
// under the sanitizers, where each process starts slower.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
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
    {"--from-log probe.log --trade 1 --scenario-out t.json --no-ini", 0,
     "BaseValuePercent=75 shows the median item, Healing Potion (price 30, base 40), as 30"},
    {"t.json", 0, "  Iron Sword      120        120 (99)"},
    {"--from-log probe.log --trade 2", 2, "trade 2: the log holds only trade 1"},
    {"--list-trades", 2, "--list-trades requires --from-log"},
    {"--from-log probe.log --list-trades --json", 2, "--json excludes --list-trades"},
    {"--from-log probe.log t.json", 2, "SCENARIO excludes --from-log"},
    {"--check-ini ok.ini", 0, "line 1: applied Enabled = true"},
    {"--check-ini broken.ini", 1, "line 1: problem: no \"=\""},
    {"dir", 2, "tallyglass-sim: dir: is a folder, not a file\n"},
    {"--ini dir", 2, "tallyglass-sim: --ini dir: is a folder, not a file\n"},
    {"--check-ini dir", 2, "tallyglass-sim: --check-ini dir: is a folder, not a file\n"},
    {"--picture dir", 2, "tallyglass-sim: --picture dir: is a folder, not a file\n"},
    {"--log dir", 2, "tallyglass-sim: --log dir: is a folder, not a file\n"},
    {"- < dir", 2, "tallyglass-sim: <stdin>: cannot be read: Is a directory\n"},
    {"--mods ok.ini", 2, "tallyglass-sim: --mods ok.ini: is not a folder\n"},
    {"--mods none", 2, "tallyglass-sim: --mods none: no such folder\n"},
    {"none.json", 2, "tallyglass-sim: none.json: no such file\n"},
    {"''", 2, "tallyglass-sim: SCENARIO: the file name is empty\n"},
    {"--ini ''", 2, "tallyglass-sim: --ini: the file name is empty\n"},
    {"--check-ini ''", 2, "tallyglass-sim: --check-ini: the file name is empty\n"},
    {"--picture ''", 2, "tallyglass-sim: --picture: the file name is empty\n"},
    {"--mods ''", 2, "tallyglass-sim: --mods: the folder name is empty\n"},
    {"--picture none/p.svg", 2,
     "tallyglass-sim: --picture none/p.svg: its folder none does not "
     "exist\n"},
    {"--check-ini ok.ini --json", 2, "--json excludes --check-ini"},
    {"--check-ini ok.ini trade.json", 2, "SCENARIO excludes --check-ini"},
    {"--check-ini ok.ini --picture p.svg", 2, "--picture excludes --check-ini"},
    {"--check-ini ok.ini --log l.txt", 2, "--log excludes --check-ini"},
    {"--check-ini ok.ini --ini ok.ini", 2, "--ini excludes --check-ini"},
    {"--ini ok.ini --no-ini", 2, "--ini excludes --no-ini"},
    {"--mods dir --no-ini", 2, "--no-ini excludes --mods"},
    {"--mods dir ini.json", 2,
     "tallyglass-sim: ini.json: \"ini\" cannot be used with --mods: the "
     "installed mod reads the Tallyglass.ini in its own folder\n"},
    {"--bogus", 2, "tallyglass-sim: "},
    {"syntax.json", 2, "syntax.json: line 2, column 15: expected well-formed JSON (syntax error"},
    {"bad.json", 2, "tallyglass-sim: bad.json: trader[0].base: expected a whole number from"},
    {"many.json", 2, "tallyglass-sim: many.json: trader: expected at most 1000 items\n"},
    {"big.json", 2,
     "tallyglass-sim: big.json: larger than 16 MiB, the most tallyglass-sim reads\n"},
    {">&-", 2, "tallyglass-sim: standard output is closed"},
    {"--picture /dev/full", 3, "--picture /dev/full: cannot be written: No space left on device\n"},
    {"> /dev/full", 3, "standard output: cannot be written: No space left on device\n"},
    {"--help > /dev/full", 3, "standard output: cannot be written"},
    {"--check-ini ok.ini > /dev/full", 3, "standard output: cannot be written"},
};

TEST(CommandLine, EveryMistakeGetsAMessageAndAnExitStatusThatTellsTheTruth) {
    const auto folder = testing_support::temp_folder("simtest");
    fs::create_directories(folder / "tmp");
    fs::create_directories(folder / "dir");
    testing_support::write_file(folder / "ok.ini", "Enabled=true\n");
    testing_support::write_file(folder / "probe.ini", "ProbeValues=true\nDebugLogging=true\n");
    testing_support::write_file(folder / "broken.ini", "Enabled false\n");
    testing_support::write_file(folder / "bad.json",
                                R"({"trader": [{"item": "a", "base": "x", "price": 1}]})");
    testing_support::write_file(folder / "ini.json", R"({"ini": ""})");
    testing_support::write_file(folder / "syntax.json", "{\n  \"opens\": tru\n}");
    testing_support::write_file(folder / "many.json", testing_support::trader_scenario(1001));
    testing_support::write_file(folder / "big.json", "");
    fs::resize_file(folder / "big.json", 17 * 1024 * 1024);
    const std::string in_folder =
        "cd '" + folder.string() + "' && TMPDIR='" + folder.string() + "/tmp'";
    for (const auto& c : tool_cases) {
        const auto run = run_tool(c.args, in_folder);
        EXPECT_EQ(run.code, c.code) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.args << "\n" << run.out;
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

// A signal during a run: the temporary game folder goes, and the tool dies of that signal.
TEST(CommandLine, SignalEndsTheRunAndLeavesNoFolderBehind) {
    const auto folder = testing_support::temp_folder("simtest");
    const auto tmp = folder / "tmp";
    fs::create_directories(tmp);
    testing_support::write_file(folder / "long.json", testing_support::trader_scenario(20, 10000));
    for (int signal_number : {SIGINT, SIGTERM}) {
        const pid_t child = fork();
        if (child == 0) {
            setenv("TMPDIR", tmp.c_str(), 1);
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
            execl(TALLYGLASS_SIM, TALLYGLASS_SIM, (folder / "long.json").c_str(), nullptr);
            _exit(127);
        }
        std::error_code error;
        for (int i = 0; i < 4000 && fs::is_empty(tmp, error); ++i) {
            usleep(5000);
        }
        kill(child, signal_number);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
            << "signal " << signal_number << ", status " << status;
        EXPECT_TRUE(fs::is_empty(tmp)) << "signal " << signal_number;
    }
    fs::remove_all(folder);
}

// The README's sample is what the tool prints for the built-in trade.
TEST(CommandLine, ReadmeSampleIsTheOutput) {
    const auto readme =
        testing_support::read_file(fs::path(TALLYGLASS_SAMPLE_INI).parent_path() / "README.md");
    const auto start = readme.find("```\nHost log\n");
    ASSERT_NE(start, std::string::npos) << "README.md has no sample that starts with Host log";
    const auto end = readme.find("```\n", start + 4);
    EXPECT_EQ(run_tool("").out, readme.substr(start + 4, end - start - 4));
}
} // namespace
