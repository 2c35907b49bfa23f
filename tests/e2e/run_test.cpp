// Running the tools: what a child receives, what is shown, redirection, the demangler
// pipe, tools that fail to run or die, timing, and interrupts while a tool runs.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "build_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::Result;
using e2e::Sandbox;
using e2e::UnderWine;
using namespace e2e::build;

// The calls the recorder wrote: one list of words per call, argv[0] first.
std::vector<Strings> ReadCalls(const fs::path& file)
{
    std::vector<Strings> calls;
    const std::string text = ReadFile(file);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (text.compare(at, 5, "argc ") != 0 || end == std::string::npos)
            throw std::runtime_error("bad record in " + file.string());
        const std::size_t count = std::stoul(text.substr(at + 5, end - at - 5));
        at = end + 1;
        Strings call;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t colon = text.find(':', at);
            const std::size_t length = std::stoul(text.substr(at, colon - at));
            call.push_back(text.substr(colon + 1, length));
            at = colon + 1 + length + 1;
        }
        calls.push_back(call);
    }
    return calls;
}

std::string FileStem(const std::string& name)
{
    std::string stem = name.substr(name.find_last_of("\\/") + 1);
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".exe") == 0)
        stem.resize(stem.size() - 4);
    return stem;
}

// The tool commands among the shown commands: those that start a program by its path
// (the driver's own file operations are shown by name only); `logged`: as the tool log
// shows them, the program by its stem and without temporary names.
std::vector<Strings> ToolCommands(const std::string& err, bool logged = false)
{
    std::vector<Strings> tools;
    for (const std::string& command : PrintedCommands(err)) {
        Strings words = SplitCommandLine(command);
        const bool main = std::find(words.begin(), words.end(), "--main") != words.end();
        if (words.empty() || !Contains(words[0], "\\") || main)
            continue;
        if (logged) {
            words = WithoutTemporaryNames(words);
            words[0] = FileStem(words[0]);
        }
        tools.push_back(words);
    }
    return tools;
}

// Awkward words for a command line: each must reach the child exactly. Under Wine the
// arguments of a Windows program pass from the Unix side through a conversion of code
// pages, which changes bytes beyond ASCII before the driver sees them, so only the ASCII
// words are given there.
Strings AwkwardWords()
{
    const Strings all = {"two words", "tab\there", "quote\"inside", "\"leading", "trailing\"", "\"\"", "trail\\",
                         "blank and trail\\", "two trailing\\\\", "three\\\\\\\"quote", "two\\\\\"quote and blank",
                         "\\\\server\\share dir\\", "\\\"", "\\", "$HOME", "100%", "%PATH%", "a|b", "x;y", "p&q",
                         "<in>out", "(paren)*?[]{}^`!#'", "=eq+plus~tilde,comma", " leading blank",
                         "trailing blank ", "caf\xc3\xa9", "\xff\xfe raw bytes", "new\nline", "-"};
    Strings words;
    for (const std::string& word : all) {
        if (!UnderWine() || std::all_of(word.begin(), word.end(), [](char c) { return (c & 0x80) == 0; }))
            words.push_back(word);
    }
    return words;
}

// True when `part` occurs in `whole` as a run of consecutive words.
bool HasRun(const Strings& whole, const Strings& part)
{
    return std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

std::string Show(const Strings& words)
{
    std::string text;
    for (const std::string& word : words)
        text += "[" + word + "]";
    return text;
}

TEST(CommandExecution, AwkwardWordsArriveExactly)
{
    Sandbox box({{"a.c", "int a;\n"}});
    // The tool itself lives in a directory whose name needs quoting as well (a Windows
    // file name cannot hold a double quote).
    const fs::path compiler =
        InstallRecorder(box, UnderWine() ? "my tools $x %P% (1)/compiler.exe" : "my \"tools\" $x %P% (1)/compiler.exe");
    const fs::path record = box.dir() / "calls";
    // Each word given to -flags-compiler on its own, commas escaped.
    Strings args;
    for (const std::string& word : AwkwardWords()) {
        args.push_back("-flags-compiler");
        args.push_back("");
        for (char c : word)
            args.back() += c == ',' ? std::string("\\,") : std::string(1, c);
    }
    args.insert(args.end(), {"-verbose", "-E", "-path-compiler", compiler.string(), "a.c"});
    Result result = box.Run(args, {{"RECORDER_ARGS", record.string()}});
    ASSERT_EQ(result.status, 0) << result.err;

    // The user interface driver reads every control character of its arguments as a blank;
    // everything else arrives as given.
    Strings expected = AwkwardWords();
    for (std::string& word : expected)
        std::replace_if(word.begin(), word.end(), [](char c) { return c == '\t' || c == '\n'; }, ' ');
    std::vector<Strings> calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0][0], Windows(compiler.string()));
    EXPECT_TRUE(HasRun(calls[0], expected)) << Show(calls[0]);

    // The command shown is the command run: the same words, the program by its full path.
    const std::vector<Strings> shown = ToolCommands(result.err);
    ASSERT_EQ(shown.size(), 1u) << result.err;
    EXPECT_EQ(shown[0], calls[0]);

    // Component options given to the main entry, empty ones among them, arrive as well.
    Strings words = MainCommand(box.Run({"-dryrun", "-E", "-path-compiler", compiler.string(), "a.c"}).err);
    auto at = std::find(words.begin(), words.end(), "--COMPP_fe");
    ASSERT_NE(at, words.end());
    Strings all = AwkwardWords();
    all.insert(all.begin() + 3, "");
    all.push_back("");
    Strings options;
    for (const std::string& word : all)
        options.insert(options.end(), {"--COMPO_fe", word});
    words.insert(at + 2, options.begin(), options.end());
    fs::remove(record);
    result = RunWords(box, words, {{"RECORDER_ARGS", record.string()}});
    ASSERT_EQ(result.status, 0) << result.err;
    calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(HasRun(calls[0], all)) << Show(calls[0]);
}

TEST(CommandExecution, ScriptsRunUnderTheirInterpreterAndLinksRunTheirTarget)
{
    Sandbox box({{"a.c", "int a;\n"}});
    const fs::path interpreter = InstallRecorder(box, "tools dir/interp");
    const fs::path record = box.dir() / "calls";
    auto run = [&](const fs::path& tool) {
        fs::permissions(tool, fs::perms::owner_all, fs::perm_options::add);
        fs::remove(record);
        const Result result =
            box.Run({"-E", "-path-compiler", tool.string(), "a.c"}, {{"RECORDER_ARGS", record.string()}});
        EXPECT_EQ(result.status, 0) << result.err;
        const std::vector<Strings> calls = ReadCalls(record);
        EXPECT_EQ(calls.size(), 1u);
        return calls.empty() ? Strings{} : calls[0];
    };
    // The interpreter's words come first, then the script, then the tool's arguments.
    const fs::path script =
        box.Write("bin/compiler.exe", "#!\"" + Windows(interpreter.string()) + "\" -x \"y z\"\nnot read\n");
    Strings call = run(script);
    ASSERT_GE(call.size(), 5u);
    EXPECT_EQ(Strings(call.begin(), call.begin() + 4),
              (Strings{Windows(interpreter.string()), "-x", "y z", Windows(script.string())}));
    EXPECT_EQ(call.back(), "a.c");

    // A link file runs its target (relative to the link) in its place.
    const fs::path link = box.Write("bin/link/compiler.exe", "!<symlink>..\\..\\tools dir\\interp\n");
    call = run(link);
    ASSERT_FALSE(call.empty());
    EXPECT_EQ(FileStem(call[0]), "interp");
    EXPECT_EQ(std::count(call.begin(), call.end(), Windows(link.string())), 0);
    EXPECT_EQ(call.back(), "a.c");
}

TEST(CommandExecution, WhatIsShownIsWhatRuns)
{
    Sandbox box({{"a.c", "int a;\n"}, {"b.s", "nop\n"}});
    fs::create_directories(box.dir() / "inc dir");
    auto run = [&box](Strings args) {
        args.insert(args.end(), {"-O", "-Dmsg=\"a b\"", "-I", "inc dir", "-o", "my prog.dxe", "a.c", "b.s"});
        const Result result = box.Run(args, Logged(box));
        EXPECT_EQ(result.status, 0) << result.err;
        return result;
    };
    // -dryrun shows the main driver's command and runs nothing.
    const Result dry = run({"-dryrun", "-verbose"});
    EXPECT_TRUE(ToolCommands(dry.err).empty()) << dry.err;
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "b.s", "inc dir"}));

    // -verbose runs it, and shows each tool's command as the tool receives it (the IPA
    // solver is started by the prelinker, not by the driver).
    const Result real = run({"-verbose"});
    EXPECT_TRUE(box.Exists("my prog.dxe"));
    EXPECT_FALSE(MainCommand(dry.err).empty());
    EXPECT_EQ(MainCommand(dry.err), MainCommand(real.err));
    std::vector<Strings> logged;
    for (const Strings& call : ToolCalls(ToolLog(box))) {
        if (call[0] != "ipa")
            logged.push_back(WithoutTemporaryNames(call));
    }
    EXPECT_EQ(ToolNames(logged), (Strings{"compiler", "easmtrvx", "easmtrvx", "prelinker", "linker"}));
    EXPECT_EQ(ToolCommands(real.err, true), logged);

    // With -dry the main driver shows the same tool commands and runs none of them.
    fs::remove(box.dir() / "my prog.dxe");
    fs::remove(box.home() / "tools.log");
    EXPECT_EQ(ToolCommands(run({"-dry", "-verbose"}).err, true), logged);
    EXPECT_FALSE(box.Exists("home/tools.log"));
    EXPECT_EQ(WorkFiles(box), (Strings{"a.c", "b.s", "inc dir"}));
}

TEST(CommandExecution, PreprocessedOutputGoesToTheOutputFileOnly)
{
    Sandbox box({{"a.c", "int a;\n"}});
    const Result result = box.Run({"-E", "-o", "out.i", "a.c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    const std::string text = box.Read("out.i");
    EXPECT_TRUE(Contains(text, "int a;")) << text;

    // Without -o the same text goes to the terminal. (The main driver's command shows the
    // output file as a redirection: see the replayed runs.)
    EXPECT_EQ(box.Run({"-E", "a.c"}).out, text);
}

TEST(DemanglerPipe, BothStreamsOfTheLinkerPassThroughItAndOnlyADemanglerThatCannotStartFails)
{
    Sandbox box({{"a.c", "int a;\n"}});
    const fs::path linker = InstallRecorder(box, "bin/linker.exe");
    // More than a pipe holds, so a driver that waited for the linker before starting the
    // demangler would never finish.
    const std::string big(100000, 'x');
    const fs::path record = box.dir() / "calls";
    Result result = box.Run({"-flags-driver", "--decode", "-path-link", linker.string(), "a.c"},
                            {{"RECORDER_LINKER_ARGS", record.string()}, {"RECORDER_LINKER_TOUCH", "a.dxe"},
                             {"RECORDER_LINKER_STDOUT", "to stdout " + big + "\n"},
                             {"RECORDER_LINKER_STDERR", "to stderr\n"}, {"RECORDER_LINKER_STATUS", "3"}});
    EXPECT_EQ(result.status, 1);
    // Compared without printing: a failure would show a hundred thousand characters.
    const std::string expected = "to stdout " + big + "\nto stderr\n";
    EXPECT_TRUE(result.out == expected) << result.out.size() << " bytes instead of " << expected.size();
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: Link failed\n");
    EXPECT_EQ(ReadCalls(record).size(), 1u);
    // The partial product the linker left is removed.
    EXPECT_FALSE(box.Exists("a.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());

    // A demangler that fails does not fail the link; one that cannot start does.
    const fs::path demangler = InstallRecorder(box, "bin/demangler.exe");
    const fs::path input = box.dir() / "demangler.in";
    fs::remove(record);
    result = box.Run({"-flags-driver", "--decode", "-flags-demangle", "-k,two words", "-path-demangle",
                             demangler.string(), "-verbose", "a.c"},
                            {{"RECORDER_ARGS", record.string()}, {"RECORDER_STDIN", input.string()},
                             {"RECORDER_STATUS", "7"}});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(box.Exists("a.dxe"));
    EXPECT_TRUE(fs::exists(input));
    const std::vector<Strings> calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Strings(calls[0].begin() + 1, calls[0].end()), (Strings{"-k", "two words"}));
    // The pipe is shown as one command, both streams of the linker going into it.
    bool shown = false;
    for (const std::string& command : PrintedCommands(result.err)) {
        if (Contains(command, "linker.exe ") && Contains(command, " 2>&1 | "))
            shown = Contains(command, " 2>&1 | " + Windows(demangler.string()) + " -k \"two words\"");
    }
    EXPECT_TRUE(shown) << result.err;

    fs::remove(box.dir() / "a.dxe");
    const fs::path text = box.Write("text/demangler.exe", "not a program\n");
    fs::permissions(text, fs::perms::owner_all, fs::perm_options::add);
    result = box.Run(
        {"-flags-driver", "--decode", "-path-link", linker.string(), "-path-demangle", text.string(), "a.c"},
        {{"RECORDER_TOUCH", "a.dxe"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: cwait(): Exec format error\n");
    EXPECT_FALSE(box.Exists("a.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(ToolFailure, AToolKilledBySignalFailsTheRun)
{
    if (UnderWine())
        GTEST_SKIP() << "a Windows program ends with an exit code, never by a signal";
    for (int signal : {SIGSEGV, SIGKILL, SIGINT}) {
        SCOPED_TRACE(signal);
        Sandbox box({{"a.c", "int a;\n"}});
        const fs::path compiler = InstallRecorder(box, "bin/compiler.exe");
        const Result result =
            box.Run({"-path-compiler", compiler.string(), "a.c"}, {{"RECORDER_SIGNAL", std::to_string(signal)}});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "cctrvx: Warning: `compiler.exe' was terminated by signal " + std::to_string(signal) +
                                  "\ncctrvx: Fatal Error: Compilation failed\n");
        EXPECT_EQ(box.Files(), (Strings{"a.c", "bin", "bin/compiler.exe", "home", "tmp"}));
    }
}

TEST(ToolFailure, AMissingOrUnusableToolIsReported)
{
    Sandbox box({{"a.c", "int a;\n"}});
    const fs::path missing = box.dir() / "none" / "compiler.exe";
    const fs::path directory = box.dir() / "dir" / "compiler.exe";
    fs::create_directories(directory);
    const fs::path text = box.Write("text/compiler.exe", "not a program\n");
    const fs::path script = box.Write("script/compiler.exe", "#!/nonexistent/interpreter\n");
    for (const fs::path& tool : {text, script})
        fs::permissions(tool, fs::perms::owner_all, fs::perm_options::add);

    // The user interface driver looks at the path itself.
    for (const auto& [tool, what] : {std::pair{missing, "does not exist"}, std::pair{directory, "is a directory"}}) {
        const Result result = box.Run({"-path-compiler", tool.string(), "a.c"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "cctrvx: Error: `" + Windows(tool.string()) + "' " + what + "\ncctrvx: 1 error detected\n");
    }

    // The main driver searches for it and starts it. A script whose interpreter does not
    // exist ends with the same fatal error, whatever comes before it.
    const std::string notFound = "cctrvx: Fatal Error: Couldn't find `compiler.exe' in %PATH%\n";
    auto lookedIn = [&notFound](const fs::path& tool) {
        return "cctrvx: Warning: Couldn't find `compiler.exe' in `" + Windows(tool.parent_path().string()) + "'\n" +
               notFound;
    };
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {missing, lookedIn(missing)},
        {directory, lookedIn(directory)},
        {text, "cctrvx: Warning: While attempting to execute `compiler.exe':\n"
               "cctrvx: Fatal Error: spawnv(): Exec format error\n"},
        {script, ""},
    };
    Strings words = MainCommand(box.Run({"-dryrun", "-c", "a.c"}).err);
    auto at = std::find(words.begin(), words.end(), "--COMPP_fe");
    ASSERT_NE(at, words.end());
    for (const auto& [tool, err] : cases) {
        SCOPED_TRACE(tool.string());
        *(at + 1) = Windows(tool.string());
        const Result result = RunWords(box, words, {{"PATH", "/usr/bin:/bin"}});
        EXPECT_EQ(result.status, 1);
        if (err.empty())
            EXPECT_TRUE(Contains(result.err, notFound)) << result.err;
        else
            EXPECT_EQ(result.err, err);
    }
    EXPECT_FALSE(box.Exists("a.doj"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(ToolFailure, AFailingToolFailsTheRunWhenTheDriverInheritsIgnoredChildSignals)
{
    Sandbox box({{"a.c", "int a;\n"}, {"bad.c", "#error stop\n"}});
    // An ignored SIGCHLD survives exec: a parent may hand it on to the driver.
    auto run = [&box](const Strings& args) {
        struct sigaction ignore {};
        struct sigaction saved {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGCHLD, &ignore, &saved);
        auto process = box.Start(args);
        sigaction(SIGCHLD, &saved, nullptr);
        return process->Wait();
    };
    Result result = run({"bad.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "bad.c:1: error: #error directive\ncctrvx: Fatal Error: Compilation failed\n");
    EXPECT_FALSE(box.Exists("bad.dxe"));

    result = run({"a.c"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(box.Exists("a.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(CommandExecution, TimeShowsEveryToolRun)
{
    Sandbox box({{"a.c", "int a;\n"}});
    for (const Strings& args : {Strings{"-time", "a.c"}, Strings{"-time", "a.c", "-flags-driver", "--decode"}}) {
        const Result result = box.Run(args);
        ASSERT_EQ(result.status, 0) << result.err;
        // Each line: a tab, the tool's file name, ": Total = ", seconds with two decimals, "s".
        Strings tools;
        for (const std::string& text : e2e::Lines(result.err)) {
            ASSERT_FALSE(text.empty());
            const std::size_t colon = text.find(": Total = ");
            const std::string seconds = colon == std::string::npos ? "" : text.substr(colon + 10);
            const std::size_t dot = seconds.find('.');
            EXPECT_TRUE(text[0] == '\t' && dot != std::string::npos && dot > 0 && seconds.size() == dot + 4 &&
                        seconds.back() == 's' &&
                        (seconds.substr(0, dot) + seconds.substr(dot + 1, 2)).find_first_not_of("0123456789") ==
                            std::string::npos)
                << text;
            tools.push_back(text.substr(1, colon - 1));
        }
        EXPECT_EQ(tools, (Strings{"compiler.exe", "easmtrvx.exe", "prelinker.exe", "linker.exe"}));
    }
}

// True once no process of the group is left (the driver's children included).
bool GroupGone(int group)
{
    return WaitFor([group] { return kill(-group, 0) != 0 && errno == ESRCH; });
}

enum class Target { DriverAndGroup, DriverOnly, DriverOnlyUnderWine };

struct Interruption {
    const char* title;
    Strings request;      // "<main>" first: the main driver's command -dryrun shows for the rest
    std::string started;  // a line of the tool log that starts so, or "file:" and a file that exists
    Env env;
    Strings left;         // what stays besides the inputs
    Target target = Target::DriverAndGroup;
    bool ignored = false; // the recorder ignores the signal
};

TEST(Interrupts, ASignalWhileAToolRunsEndsTheRunAndLeavesNothingBehind)
{
    // The recorder leaves a file behind before it sleeps: that it has started, or the
    // linker's partial product.
    const Env started = {{"TRVX_TOOL_DELAY_MS", "0"}, {"RECORDER_TOUCH", "started"}, {"RECORDER_DELAY_MS", "3000"}};
    const Env product = {{"TRVX_TOOL_DELAY_MS", "0"}, {"RECORDER_TOUCH", "a.dxe"}, {"RECORDER_DELAY_MS", "3000"}};
    // Under Wine a program that the interrupt ends exits with status 0, not with the status
    // of an interrupted program: the linker, interrupted with the driver, may look as if it
    // had written its product, which is then kept.
    const std::vector<Interruption> cases = {
        {"compiler", {"a.c"}, "compiler ", {}, {}},
        {"compiler of the main entry writing a kept file", {"<main>", "-save-temps", "a.c"}, "compiler ", {}, {}},
        {"main entry with the compiler's output in TMP", {"<main>", "-path-asm", "<recorder>", "a.c"},
         "file:started", started, {"started"}},
        {"linker", {"-path-link", "<recorder>", "a.c"}, "file:a.dxe", product, {}, Target::DriverOnlyUnderWine},
        {"linker into the demangler", {"-flags-driver", "--decode", "-path-link", "<recorder>", "a.c"},
         "file:a.dxe", product, {}, Target::DriverOnlyUnderWine},
        {"linker of the main entry", {"<main>", "-path-link", "<recorder>", "a.c"}, "file:a.dxe", product, {},
         Target::DriverOnlyUnderWine},
        // The linker ignores the signal and ends well a little later: the run is still
        // interrupted and the product goes.
        {"linker that ignores it", {"-path-link", "<recorder>", "a.c"}, "file:a.dxe",
         {{"TRVX_TOOL_DELAY_MS", "0"}, {"RECORDER_TOUCH", "a.dxe"}, {"RECORDER_DELAY_MS", "300"}}, {},
         Target::DriverOnly, true},
    };
    for (const Interruption& c : cases) {
        for (int signal : e2e::InterruptSignals()) {
            for (bool group : {false, true}) {
                if (group && (c.target == Target::DriverOnly || (c.target != Target::DriverAndGroup && UnderWine())))
                    continue;
                SCOPED_TRACE(std::string(c.title) + ", signal " + std::to_string(signal) +
                             (group ? " to the group" : " to the driver"));
                Sandbox box({{"a.c", "int a;\n"}});
                const fs::path recorder = InstallRecorder(box, "bin/recorder.exe");
                Env env = Logged(box, c.env);
                env.emplace("TRVX_TOOL_DELAY_MS", "3000");
                if (c.ignored)
                    env["RECORDER_IGNORE"] = std::to_string(signal);
                Strings words = c.request;
                std::replace(words.begin(), words.end(), std::string("<recorder>"), recorder.string());
                if (words[0] == "<main>") {
                    words[0] = "-dryrun";
                    words = MainCommand(box.Run(words).err);
                    ASSERT_FALSE(words.empty());
                    words.erase(words.begin());
                }
                auto process = box.Start(words, env);
                const std::string file = c.started.substr(0, 5) == "file:" ? c.started.substr(5) : "";
                ASSERT_TRUE(WaitFor([&] {
                    return file.empty() ? ToolLog(box).rfind(c.started, 0) == 0 : box.Exists(file);
                })) << c.started << " never started";
                if (group)
                    kill(-process->pid(), signal);
                else
                    process->Signal(signal);
                const Result result = process->Wait();
                EXPECT_EQ(result.status, 1);
                EXPECT_EQ(result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
                EXPECT_TRUE(GroupGone(process->pid()));
                Strings left = {"a.c", "bin", "bin/recorder.exe"};
                left.insert(left.end(), c.left.begin(), c.left.end());
                EXPECT_EQ(WorkFiles(box), left);
                EXPECT_EQ(box.Files("tmp"), Strings{});
                const Strings tools = ToolNames(ToolCalls(ToolLog(box)));
                EXPECT_EQ(std::count(tools.begin(), tools.end(), "linker"), 0);
            }
        }
    }
}

TEST(Interrupts, ASignalWhileTheDriverWaitsToReadEndsTheRun)
{
    // A named pipe with no writer blocks its reader: the main driver reading its definition
    // file, once the user interface driver has made its private temporary directory, or
    // the user interface driver reading an option file before anything is made.
    for (const bool definition : {true, false}) {
        if (!definition && UnderWine())
            GTEST_SKIP() << "a named pipe of the Unix side is not a file that a Windows program can wait on";
        for (int signal : e2e::InterruptSignals()) {
            SCOPED_TRACE(std::to_string(signal) + (definition ? " reading the definition file" : " reading options"));
            Sandbox box({{"a.c", "int a;\n"}});
            ASSERT_EQ(mkfifo((box.dir() / "blocked").c_str(), 0600), 0);
            auto process = box.Start(definition ? Strings{"-path-def", "blocked", "a.c"} : Strings{"@blocked", "a.c"});
            if (definition)
                ASSERT_TRUE(WaitFor([&box] { return !box.Files("tmp").empty(); }));
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            process->Signal(signal);
            const Result result = process->Wait();
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
            EXPECT_TRUE(box.Files("tmp").empty());
        }
    }
}

TEST(BrokenOutput, ARunWhoseErrorStreamIsClosedLeavesNothingBehind)
{
    Sandbox box({{"a.c", "int a;\n"}});
    auto process = box.Start({"-verbose", "a.c"}, Logged(box, {{"TRVX_TOOL_DELAY_MS", "200"}}));
    // The reader stops reading while the compiler runs, as a pager that is quit does.
    ASSERT_TRUE(WaitFor([&box] { return ToolLog(box).rfind("compiler ", 0) == 0; }));
    process->CloseErrorStream();
    const Result result = process->Wait();
    EXPECT_LT(result.status, 128) << "ended by signal " << result.status - 128;
    EXPECT_EQ(box.Files("tmp"), Strings{});
    for (const std::string& file : WorkFiles(box))
        EXPECT_TRUE(file == "a.c" || file == "a.dxe") << file;
}

} // namespace
