// Running the tools: what a child receives, what is shown, redirection, the demangler
// pipe, tools that fail to run or die, timing, and interrupts while a tool runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Result;
using e2e::Sandbox;
using Strings = std::vector<std::string>;

using e2e::HostPathOf;
using e2e::Recorder;

// A copy of the recorder under a tool's name, somewhere in the sandbox.
fs::path InstallRecorder(const Sandbox& box, const std::string& relative)
{
    const fs::path target = box.dir() / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(Recorder(), target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
    return target;
}

// The driver's own name for a host path.
std::string Name(const fs::path& path)
{
    std::string name = path.string();
    for (char& c : name) {
        if (c == '/')
            c = '\\';
    }
    return name;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The calls the recorder wrote: one list of words per call, argv[0] first.
std::vector<Strings> ReadCalls(const fs::path& file)
{
    std::vector<Strings> calls;
    const std::string text = ReadFile(file);
    std::size_t at = 0;
    while (at < text.size()) {
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

// Splits a command line as the children's command-line parser does: words are separated
// by blanks outside double quotes; 2n backslashes before a quote give n backslashes and
// the quote opens or closes, 2n+1 give n backslashes and a literal quote; other
// backslashes are plain characters.
Strings SplitCommandLine(const std::string& line)
{
    Strings words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    for (;;) {
        while (i < n && blank(line[i]))
            ++i;
        if (i >= n)
            return words;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || !blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t run = 0;
                while (i < n && line[i] == '\\') {
                    ++run;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    word.append(run / 2, '\\');
                    if (run % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(run, '\\');
                }
            } else if (line[i] == '"') {
                quoted = !quoted;
                ++i;
            } else {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
}

// The commands shown on standard error: continuation lines joined, each command a line
// that starts with a tab. A quoted newline belongs to its word, so a command ends at the
// first newline outside quotes.
Strings ShownCommands(std::string text)
{
    for (std::size_t at; (at = text.find(" \\\n")) != std::string::npos;)
        text.replace(at, 3, " ");
    Strings commands;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool command = text[i] == '\t';
        std::size_t end = i;
        bool quoted = false;
        std::size_t backslashes = 0;
        while (end < text.size() && (quoted || text[end] != '\n')) {
            if (text[end] == '"' && backslashes % 2 == 0)
                quoted = !quoted;
            backslashes = text[end] == '\\' ? backslashes + 1 : 0;
            ++end;
        }
        if (command)
            commands.push_back(text.substr(i + 1, end - i - 1));
        i = end + 1;
    }
    return commands;
}

// Temporary names differ from run to run: every word that holds one becomes "<temp>"
// followed by the rest of the word after the last one (its suffix). A temporary name is
// "qcc" or "qzr", four hexadecimal digits and three digits of base 36.
std::string Untemp(const std::string& text)
{
    auto tempAt = [&text](std::size_t at) {
        if (at + 10 > text.size() || (text.compare(at, 3, "qcc") != 0 && text.compare(at, 3, "qzr") != 0))
            return false;
        for (std::size_t i = at + 3; i < at + 10; ++i) {
            const char c = text[i];
            const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= (i < at + 7 ? 'f' : 'z'));
            if (!digit)
                return false;
        }
        return true;
    };
    auto delimiter = [](char c) { return c == ' ' || c == '"' || c == '\n'; };
    std::string result;
    std::size_t wordStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (delimiter(text[i])) {
            result.append(text, wordStart, i + 1 - wordStart);
            wordStart = ++i;
            continue;
        }
        if (!tempAt(i)) {
            ++i;
            continue;
        }
        // The last temporary name of this word ends the part replaced.
        std::size_t end = i + 10;
        for (std::size_t j = end; j < text.size() && !delimiter(text[j]); ++j) {
            if (tempAt(j))
                end = j + 10;
        }
        result += "<temp>";
        wordStart = i = end;
    }
    result.append(text, wordStart, std::string::npos);
    return result;
}

Strings Untemp(Strings words)
{
    for (std::string& word : words)
        word = Untemp(word);
    return words;
}

std::string FileStem(const std::string& name)
{
    std::string stem = name.substr(name.find_last_of("\\/") + 1);
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".exe") == 0)
        stem.resize(stem.size() - 4);
    return stem;
}

// The tool commands among the shown commands: those that start a program by its path
// (the driver's own file operations are shown by name only).
std::vector<Strings> ToolCommands(const std::string& err)
{
    std::vector<Strings> tools;
    for (const std::string& command : ShownCommands(err)) {
        Strings words = SplitCommandLine(command);
        if (!words.empty() && words[0].find('\\') != std::string::npos &&
            std::find(words.begin(), words.end(), "--main") == words.end())
            tools.push_back(words);
    }
    return tools;
}

// The main driver's command shown by a run, as words.
Strings MainCommand(const Result& result)
{
    for (const std::string& command : ShownCommands(result.err)) {
        Strings words = SplitCommandLine(command);
        if (words.size() > 1 && words[1] == "--main")
            return words;
    }
    ADD_FAILURE() << "no --main command in:\n" << result.err;
    return {};
}

// Runs a main driver's command as a user would type it again.
Result RunWords(const Sandbox& box, Strings words, const std::map<std::string, std::string>& extra = {})
{
    words[0] = HostPathOf(words[0]);
    e2e::Process process(words, box.Environment(extra), box.dir());
    return process.Wait();
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The tool log of the stand-in tools: one list of words per call, the tool first.
std::vector<Strings> ToolLog(const fs::path& file)
{
    std::vector<Strings> calls;
    for (const std::string& line : Lines(ReadFile(file)))
        calls.push_back(SplitCommandLine(line));
    return calls;
}

// True when a file holds a line that starts with the text.
bool HasLine(const fs::path& file, const std::string& start)
{
    for (const std::string& line : Lines(ReadFile(file))) {
        if (line.compare(0, start.size(), start) == 0)
            return true;
    }
    return false;
}

// True once no process of the group is left (the driver's children included).
bool GroupGone(int group)
{
    for (int round = 0; round < 1000; ++round) {
        if (kill(-group, 0) != 0 && errno == ESRCH)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Awkward words for a command line: each must reach the child exactly.
const Strings AllAwkwardWords = {
    "two words",
    "tab\there",
    "quote\"inside",
    "\"leading",
    "trailing\"",
    "\"\"",
    "trail\\",
    "blank and trail\\",
    "two trailing\\\\",
    "three\\\\\\\"quote",
    "two\\\\\"quote and blank",
    "\\\\server\\share dir\\",
    "\\\"",
    "\\",
    "$HOME",
    "100%",
    "%PATH%",
    "a|b",
    "x;y",
    "p&q",
    "<in>out",
    "(paren)*?[]{}^`!#'",
    "=eq+plus~tilde,comma",
    " leading blank",
    "trailing blank ",
    "caf\xc3\xa9",
    "\xff\xfe raw bytes",
    "new\nline",
    "-",
};

// The awkward words a test can hand to the driver. Under Wine the arguments of a Windows
// program pass from the Unix side through a conversion of code pages, which changes bytes
// beyond ASCII before the driver sees them, so only the ASCII words are given there.
Strings AwkwardWords()
{
    Strings words;
    for (const std::string& word : AllAwkwardWords) {
        const bool ascii =
            std::all_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii || !e2e::UnderWine())
            words.push_back(word);
    }
    return words;
}

// The words, each given to -flags-compiler on its own, commas escaped.
Strings FlagsCompiler(const Strings& words)
{
    Strings args;
    for (const std::string& word : words) {
        std::string escaped;
        for (char c : word) {
            if (c == ',')
                escaped += '\\';
            escaped += c;
        }
        args.push_back("-flags-compiler");
        args.push_back(escaped);
    }
    return args;
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

// ---------------------------------------------------------------------------------------
// What a child receives

TEST(CommandExecution, AwkwardCompilerFlagsArriveExactly)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    // The tool itself lives in a directory whose name needs quoting as well (a Windows
    // file name cannot hold a double quote).
    const fs::path compiler = InstallRecorder(
        box, e2e::UnderWine() ? "my tools $x %P% (1)/compiler.exe" : "my \"tools\" $x %P% (1)/compiler.exe");
    Strings args = FlagsCompiler(AwkwardWords());
    Strings tail = {"-verbose", "-E", "-path-compiler", compiler.string(), "a.c"};
    args.insert(args.end(), tail.begin(), tail.end());
    const fs::path record = box.dir() / "calls";
    Result result = box.Run(args, {{"RECORDER_ARGS", record.string()}});
    ASSERT_EQ(result.status, 0) << result.err;

    // The user interface driver reads every control character of its arguments as a blank;
    // everything else arrives as given.
    Strings expected = AwkwardWords();
    for (std::string& word : expected) {
        for (char& c : word) {
            if (c == '\t' || c == '\n')
                c = ' ';
        }
    }
    const std::vector<Strings> calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0][0], Name(compiler));
    EXPECT_TRUE(HasRun(calls[0], expected)) << Show(calls[0]);

    // The command shown is the command run: the same words, the program by its full path.
    const std::vector<Strings> shown = ToolCommands(result.err);
    ASSERT_EQ(shown.size(), 1u) << result.err;
    EXPECT_EQ(shown[0][0], Name(compiler));
    EXPECT_EQ(Strings(shown[0].begin() + 1, shown[0].end()), Strings(calls[0].begin() + 1, calls[0].end()));
}

TEST(CommandExecution, AwkwardComponentOptionsOfTheMainEntryArriveExactly)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path compiler = InstallRecorder(box, "bin/compiler.exe");
    Strings words = MainCommand(box.Run({"-dryrun", "-E", "-path-compiler", compiler.string(), "a.c"}));
    auto at = std::find(words.begin(), words.end(), "--COMPP_fe");
    ASSERT_NE(at, words.end());
    Strings options;
    Strings all = AwkwardWords();
    all.insert(all.begin() + 3, "");
    all.push_back("");
    for (const std::string& word : all) {
        options.push_back("--COMPO_fe");
        options.push_back(word);
    }
    words.insert(at + 2, options.begin(), options.end());

    const fs::path record = box.dir() / "calls";
    Result result = RunWords(box, words, {{"RECORDER_ARGS", record.string()}});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<Strings> calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(HasRun(calls[0], all)) << Show(calls[0]);
}

TEST(CommandExecution, ScriptsRunUnderTheirInterpreterAndLinksRunTheirTarget)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path interpreter = InstallRecorder(box, "tools dir/interp");
    const fs::path record = box.dir() / "calls";

    // The interpreter's words come first, then the script, then the tool's arguments.
    const fs::path script =
        box.Write("bin/compiler.exe", "#!\"" + Name(interpreter) + "\" -x \"y z\"\nnot read\n");
    fs::permissions(script, fs::perms::owner_all, fs::perm_options::add);
    Result result = box.Run({"-E", "-path-compiler", script.string(), "a.c"}, {{"RECORDER_ARGS", record.string()}});
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<Strings> calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_GE(calls[0].size(), 5u);
    EXPECT_EQ(Strings(calls[0].begin(), calls[0].begin() + 4),
              (Strings{Name(interpreter), "-x", "y z", Name(script)}));
    EXPECT_EQ(calls[0].back(), "a.c");

    // A link file runs its target (relative to the link) in its place.
    fs::remove(record);
    const fs::path link = box.Write("bin/link/compiler.exe", "!<symlink>..\\..\\tools dir\\interp\n");
    fs::permissions(link, fs::perms::owner_all, fs::perm_options::add);
    result = box.Run({"-E", "-path-compiler", link.string(), "a.c"}, {{"RECORDER_ARGS", record.string()}});
    ASSERT_EQ(result.status, 0) << result.err;
    calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(FileStem(calls[0][0]), "interp");
    EXPECT_EQ(std::count(calls[0].begin(), calls[0].end(), Name(link)), 0);
    EXPECT_EQ(calls[0].back(), "a.c");
}

// ---------------------------------------------------------------------------------------
// What is shown is what runs

TEST(CommandExecution, DryRunShowsTheMainCommandThatVerboseRuns)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("b.s", "nop\n");
    const Strings request = {"-O", "-Dmsg=\"a b\"", "-I", "inc dir", "-o", "my prog.dxe", "a.c", "b.s"};
    fs::create_directories(box.dir() / "inc dir");

    Strings dryArgs = {"-dryrun", "-verbose"};
    dryArgs.insert(dryArgs.end(), request.begin(), request.end());
    const Result dry = box.Run(dryArgs);
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_TRUE(ToolCommands(dry.err).empty()) << dry.err;
    EXPECT_FALSE(box.Exists("my prog.dxe"));

    Strings verboseArgs = {"-verbose"};
    verboseArgs.insert(verboseArgs.end(), request.begin(), request.end());
    const fs::path realLog = box.dir() / "real.log";
    const Result real = box.Run(verboseArgs, {{"TRVX_TOOL_LOG", realLog.string()}});
    ASSERT_EQ(real.status, 0) << real.err;
    ASSERT_TRUE(box.Exists("my prog.dxe"));
    EXPECT_EQ(MainCommand(dry), MainCommand(real));

    // Every tool command shown by the real run is what that tool received.
    const std::vector<Strings> shown = ToolCommands(real.err);
    const std::vector<Strings> logged = ToolLog(realLog);
    ASSERT_GE(shown.size(), 5u) << real.err;
    std::size_t next = 0;
    for (const Strings& command : shown) {
        Strings expected = command;
        expected[0] = FileStem(command[0]);
        while (next < logged.size() && logged[next] != expected)
            ++next;
        ASSERT_LT(next, logged.size()) << "shown but not run: " << Show(command);
        ++next;
    }

    // With -dry the main driver shows the same tool commands and runs none of them.
    fs::remove(box.dir() / "my prog.dxe");
    Strings showArgs = {"-dry", "-verbose"};
    showArgs.insert(showArgs.end(), request.begin(), request.end());
    const fs::path showLog = box.dir() / "show.log";
    const Result show = box.Run(showArgs, {{"TRVX_TOOL_LOG", showLog.string()}});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_FALSE(fs::exists(showLog));
    EXPECT_FALSE(box.Exists("my prog.dxe"));
    std::vector<Strings> showTools = ToolCommands(show.err);
    std::vector<Strings> realTools = shown;
    for (auto* tools : {&showTools, &realTools}) {
        for (Strings& command : *tools)
            command = Untemp(command);
    }
    EXPECT_EQ(showTools, realTools);
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(CommandExecution, ReplayingTheShownMainCommandRunsTheSameTools)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("b.s", "nop\n");
    fs::create_directories(box.dir() / "inc dir");
    const Strings request = {"-O", "-Dmsg=\"a b\"", "-I", "inc dir", "-flags-link", "-x y", "-o",
                             "my prog.dxe", "a.c", "b.s"};

    Strings dryArgs = {"-dryrun"};
    dryArgs.insert(dryArgs.end(), request.begin(), request.end());
    const Result dry = box.Run(dryArgs);
    ASSERT_EQ(dry.status, 0) << dry.err;
    const Strings main = MainCommand(dry);
    ASSERT_FALSE(main.empty());
    EXPECT_EQ(fs::canonical(HostPathOf(main[0])), fs::canonical(e2e::Binary()));

    const fs::path realLog = box.dir() / "real.log";
    const Result real = box.Run(request, {{"TRVX_TOOL_LOG", realLog.string()}});
    ASSERT_EQ(real.status, 0) << real.err;
    const std::string product = box.Read("my prog.dxe");
    fs::remove(box.dir() / "my prog.dxe");

    const fs::path replayLog = box.dir() / "replay.log";
    const Result replay = RunWords(box, main, {{"TRVX_TOOL_LOG", replayLog.string()}});
    ASSERT_EQ(replay.status, 0) << replay.err;
    EXPECT_EQ(replay.err, "");
    EXPECT_EQ(Untemp(ReadFile(replayLog)), Untemp(ReadFile(realLog)));
    EXPECT_EQ(Untemp(box.Read("my prog.dxe")), Untemp(product));
    EXPECT_TRUE(box.Files("tmp").empty());
}

// ---------------------------------------------------------------------------------------
// Standard output

TEST(CommandExecution, PreprocessedOutputGoesToTheOutputFileOnly)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const Result result = box.Run({"-E", "-o", "out.i", "a.c"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const std::string text = box.Read("out.i");
    EXPECT_TRUE(Contains(text, "int a;")) << text;

    // Without -o the same text goes to the terminal.
    const Result plain = box.Run({"-E", "a.c"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, text);

    // The main driver's command shows the redirection, and replaying it writes the file.
    const Result dry = box.Run({"-dryrun", "-E", "-o", "again.i", "a.c"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    const std::vector<std::string> commands = ShownCommands(dry.err);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].substr(commands[0].size() - 9), " >again.i");
    EXPECT_FALSE(box.Exists("again.i"));
}

// ---------------------------------------------------------------------------------------
// The demangler pipe

TEST(DemanglerPipe, BothStreamsOfAFailingLinkerPassThroughTheDemangler)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path linker = InstallRecorder(box, "bin/linker.exe");
    // More than a pipe holds, so a driver that waited for the linker before starting the
    // demangler would never finish.
    const std::string big(100000, 'x');
    const fs::path record = box.dir() / "calls";
    const Result result = box.Run({"-flags-driver", "--decode", "-path-link", linker.string(), "a.c"},
                                  {{"RECORDER_LINKER_ARGS", record.string()},
                                   {"RECORDER_LINKER_TOUCH", "a.dxe"},
                                   {"RECORDER_LINKER_STDOUT", "to stdout " + big + "\n"},
                                   {"RECORDER_LINKER_STDERR", "to stderr\n"},
                                   {"RECORDER_LINKER_STATUS", "3"}});
    EXPECT_EQ(result.status, 1);
    // Compared without printing: a failure would show a hundred thousand characters.
    const std::string expected = "to stdout " + big + "\nto stderr\n";
    EXPECT_TRUE(result.out == expected) << result.out.size() << " bytes instead of " << expected.size();
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: Link failed\n");
    ASSERT_EQ(ReadCalls(record).size(), 1u);
    // The partial product the linker left is removed.
    EXPECT_FALSE(box.Exists("a.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(DemanglerPipe, AFailingDemanglerDoesNotFailTheLink)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path demangler = InstallRecorder(box, "bin/demangler.exe");
    const fs::path input = box.dir() / "demangler.in";
    const fs::path record = box.dir() / "calls";
    const Result result =
        box.Run({"-flags-driver", "--decode", "-flags-demangle", "-k,two words", "-path-demangle",
                 demangler.string(), "-verbose", "a.c"},
                {{"RECORDER_ARGS", record.string()}, {"RECORDER_STDIN", input.string()}, {"RECORDER_STATUS", "7"}});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(box.Exists("a.dxe"));
    EXPECT_TRUE(fs::exists(input));
    const std::vector<Strings> calls = ReadCalls(record);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Strings(calls[0].begin() + 1, calls[0].end()), (Strings{"-k", "two words"}));

    // The pipe is shown as one command, both streams of the linker going into it.
    bool shown = false;
    for (const std::string& command : ShownCommands(result.err)) {
        if (Contains(command, "linker.exe ") && Contains(command, " 2>&1 | "))
            shown = Contains(command, " 2>&1 | " + Name(demangler) + " -k \"two words\"");
    }
    EXPECT_TRUE(shown) << result.err;
}

TEST(DemanglerPipe, ADemanglerThatCannotStartFailsTheRun)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path linker = InstallRecorder(box, "bin/linker.exe");
    const fs::path demangler = box.Write("text/demangler.exe", "not a program\n");
    fs::permissions(demangler, fs::perms::owner_all, fs::perm_options::add);
    const Result result = box.Run({"-flags-driver", "--decode", "-path-link", linker.string(), "-path-demangle",
                                   demangler.string(), "a.c"},
                                  {{"RECORDER_TOUCH", "a.dxe"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: cwait(): Exec format error\n");
    EXPECT_FALSE(box.Exists("a.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

// ---------------------------------------------------------------------------------------
// Tools that cannot run or do not end normally

TEST(ToolFailure, AToolKilledBySignalFailsTheRun)
{
    if (e2e::UnderWine())
        GTEST_SKIP() << "a Windows program ends with an exit code, never by a signal";
    for (int signal : {SIGSEGV, SIGKILL, SIGINT}) {
        SCOPED_TRACE(signal);
        Sandbox box;
        box.Write("a.c", "int a;\n");
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
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path missing = box.dir() / "none" / "compiler.exe";
    Result result = box.Run({"-path-compiler", missing.string(), "a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Error: `" + Name(missing) + "' does not exist\ncctrvx: 1 error detected\n");

    const fs::path directory = box.dir() / "dir" / "compiler.exe";
    fs::create_directories(directory);
    result = box.Run({"-path-compiler", directory.string(), "a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Error: `" + Name(directory) + "' is a directory\ncctrvx: 1 error detected\n");
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(ToolFailure, AMissingOrUnusableToolOfTheMainEntryIsReported)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path compiler = InstallRecorder(box, "bin/compiler.exe");
    Strings words = MainCommand(box.Run({"-dryrun", "-c", "-path-compiler", compiler.string(), "a.c"}));
    auto at = std::find(words.begin(), words.end(), "--COMPP_fe");
    ASSERT_NE(at, words.end());
    const std::size_t slot = static_cast<std::size_t>(at - words.begin()) + 1;
    const std::map<std::string, std::string> path = {{"PATH", "/usr/bin:/bin"}};

    const fs::path missing = box.dir() / "none" / "compiler.exe";
    words[slot] = Name(missing);
    Result result = RunWords(box, words, path);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Warning: Couldn't find `compiler.exe' in `" + Name(missing.parent_path()) +
                              "'\ncctrvx: Fatal Error: Couldn't find `compiler.exe' in %PATH%\n");

    const fs::path directory = box.dir() / "dir" / "compiler.exe";
    fs::create_directories(directory);
    words[slot] = Name(directory);
    result = RunWords(box, words, path);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Warning: Couldn't find `compiler.exe' in `" + Name(directory.parent_path()) +
                              "'\ncctrvx: Fatal Error: Couldn't find `compiler.exe' in %PATH%\n");

    // Executable by its mode but not a program this host can start.
    const fs::path text = box.Write("text/compiler.exe", "not a program\n");
    fs::permissions(text, fs::perms::owner_all, fs::perm_options::add);
    words[slot] = Name(text);
    result = RunWords(box, words, path);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Warning: While attempting to execute `compiler.exe':\n"
                          "cctrvx: Fatal Error: spawnv(): Exec format error\n");

    // A script whose interpreter does not exist.
    const fs::path script = box.Write("script/compiler.exe", "#!/nonexistent/interpreter\n");
    fs::permissions(script, fs::perms::owner_all, fs::perm_options::add);
    words[slot] = Name(script);
    result = RunWords(box, words, path);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "cctrvx: Fatal Error: Couldn't find `compiler.exe' in %PATH%\n")) << result.err;

    EXPECT_FALSE(box.Exists("a.doj"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(ToolFailure, AFailingToolFailsTheRunWhenTheDriverInheritsIgnoredChildSignals)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    box.Write("bad.c", "#error stop\n");
    // An ignored SIGCHLD survives exec: a parent may hand it on to the driver.
    auto start = [&box](const Strings& args) {
        struct sigaction ignore {};
        struct sigaction saved {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGCHLD, &ignore, &saved);
        auto process = box.Start(args);
        sigaction(SIGCHLD, &saved, nullptr);
        return process;
    };
    Result result = start({"bad.c"})->Wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "bad.c:1: error: #error directive\ncctrvx: Fatal Error: Compilation failed\n");
    EXPECT_FALSE(box.Exists("bad.dxe"));

    result = start({"a.c"})->Wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(box.Exists("a.dxe"));
    EXPECT_TRUE(box.Files("tmp").empty());
}

// ---------------------------------------------------------------------------------------
// Timing

TEST(CommandExecution, TimeShowsEveryToolRun)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    for (const Strings& extra : {Strings{}, Strings{"-flags-driver", "--decode"}}) {
        Strings args = {"-time", "a.c"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Result result = box.Run(args);
        ASSERT_EQ(result.status, 0) << result.err;
        // Each line: a tab, the tool's file name, ": Total = ", seconds with two decimals, "s".
        Strings tools;
        for (const std::string& text : Lines(result.err)) {
            const std::size_t colon = text.find(": Total = ");
            ASSERT_TRUE(text.size() > 1 && text[0] == '\t' && colon != std::string::npos) << text;
            const std::string seconds = text.substr(colon + 10);
            const std::size_t dot = seconds.find('.');
            ASSERT_TRUE(dot != std::string::npos && dot > 0 && seconds.size() == dot + 4 && seconds.back() == 's')
                << text;
            const std::string digits = seconds.substr(0, dot) + seconds.substr(dot + 1, 2);
            EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << text;
            tools.push_back(text.substr(1, colon - 1));
        }
        EXPECT_EQ(tools, (Strings{"compiler.exe", "easmtrvx.exe", "prelinker.exe", "linker.exe"}));
    }
}

// ---------------------------------------------------------------------------------------
// Interrupts while a tool runs

struct Interrupted {
    Result result;
    Strings files;      // what is left in the working directory
    Strings temporary;  // what is left in TMP
    bool groupGone = false;
};

// Starts a build whose tools are slow, waits until the tool to interrupt has started (a
// line of the stand-in tools' log starting with `started`, or, for "file:" and a name,
// until that file exists), and interrupts the driver (or its whole process group, as a
// terminal does). Arguments that begin with "<main>" are run as the main driver's command
// that -dryrun shows for the rest.
Interrupted Interrupt(const Strings& args, const std::string& started, int signal, bool group,
                      std::map<std::string, std::string> extra = {})
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    InstallRecorder(box, "bin/recorder.exe");
    const fs::path log = box.dir() / "tool.log";
    extra["TRVX_TOOL_LOG"] = log.string();
    extra.emplace("TRVX_TOOL_DELAY_MS", "3000");
    Strings words = args;
    for (std::string& word : words) {
        if (word == "<recorder>")
            word = (box.dir() / "bin/recorder.exe").string();
    }
    if (!words.empty() && words[0] == "<main>") {
        words[0] = "-dryrun";
        words = MainCommand(box.Run(words));
        if (words.empty())
            return {};
        words.erase(words.begin());
    }
    auto process = box.Start(words, extra);
    Interrupted outcome;
    const bool file = started.compare(0, 5, "file:") == 0;
    bool running = false;
    for (int round = 0; round < 2000 && !running; ++round) {
        running = file ? box.Exists(started.substr(5)) : HasLine(log, started);
        if (!running)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!running) {
        ADD_FAILURE() << started << " never started";
        return outcome;
    }
    if (group)
        kill(-process->pid(), signal);
    else
        process->Signal(signal);
    outcome.result = process->Wait();
    outcome.groupGone = GroupGone(process->pid());
    outcome.files = box.Files();
    outcome.temporary = box.Files("tmp");
    return outcome;
}

const Strings Untouched = {"a.c", "bin", "bin/recorder.exe", "home", "tmp", "tool.log"};

TEST(Interrupts, ASignalWhileTheCompilerRunsEndsTheRunAndCleansUp)
{
    for (int signal : e2e::InterruptSignals()) {
        for (bool group : {false, true}) {
            SCOPED_TRACE(std::to_string(signal) + (group ? " to the group" : " to the driver"));
            const Interrupted outcome = Interrupt({"a.c"}, "compiler ", signal, group);
            EXPECT_EQ(outcome.result.status, 1);
            EXPECT_EQ(outcome.result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
            EXPECT_EQ(outcome.files, Untouched);
            EXPECT_TRUE(outcome.temporary.empty()) << outcome.temporary.front();
            EXPECT_TRUE(outcome.groupGone);
        }
    }
}

TEST(Interrupts, ASignalWhileTheMainEntryRunsEndsTheRunAndCleansUp)
{
    for (int signal : e2e::InterruptSignals()) {
        for (bool group : {false, true}) {
            SCOPED_TRACE(std::to_string(signal) + (group ? " to the group" : " to the driver"));
            // The recorder, as the assembler, runs when the compiler's output is in TMP.
            const Interrupted outcome =
                Interrupt({"<main>", "-path-asm", "<recorder>", "a.c"}, "file:started", signal, group,
                          {{"TRVX_TOOL_DELAY_MS", "0"}, {"RECORDER_TOUCH", "started"}, {"RECORDER_DELAY_MS", "3000"}});
            EXPECT_EQ(outcome.result.status, 1);
            EXPECT_EQ(outcome.result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
            Strings files = Untouched;
            files.push_back("started");
            std::sort(files.begin(), files.end());
            EXPECT_EQ(outcome.files, files);
            EXPECT_TRUE(outcome.temporary.empty()) << outcome.temporary.front();
            EXPECT_TRUE(outcome.groupGone);
        }
    }
}

TEST(Interrupts, ASignalWhileTheLinkerWritesRemovesThePartialProduct)
{
    const std::vector<Strings> requests = {
        {"-path-link", "<recorder>", "a.c"},
        {"-flags-driver", "--decode", "-path-link", "<recorder>", "a.c"},
        {"<main>", "-path-link", "<recorder>", "a.c"},
    };
    for (const Strings& request : requests) {
        for (int signal : e2e::InterruptSignals()) {
            for (bool group : {false, true}) {
                // Under Wine a program that the interrupt ends exits with status 0, not with
                // the status of an interrupted program: the linker, interrupted with the
                // driver, may look as if it had written its product, which is then kept.
                if (group && e2e::UnderWine())
                    continue;
                SCOPED_TRACE(Show(request) + " signal " + std::to_string(signal) +
                             (group ? " to the group" : " to the driver"));
                // The recorder, as the linker, leaves the product behind before it sleeps.
                const Interrupted outcome =
                    Interrupt(request, "file:a.dxe", signal, group,
                              {{"TRVX_TOOL_DELAY_MS", "0"},
                               {"RECORDER_TOUCH", "a.dxe"},
                               {"RECORDER_DELAY_MS", "3000"}});
                EXPECT_EQ(outcome.result.status, 1);
                EXPECT_EQ(outcome.result.err,
                          "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
                EXPECT_EQ(outcome.files, Untouched);
                EXPECT_TRUE(outcome.temporary.empty());
                EXPECT_TRUE(outcome.groupGone);
            }
        }
    }
}

TEST(Interrupts, ASignalToTheDriverWaitsForAToolThatIgnoresIt)
{
    for (int signal : e2e::InterruptSignals()) {
        SCOPED_TRACE(signal);
        // The linker leaves its product, ignores the signal and ends well a little later:
        // the run is still interrupted and the product goes.
        const Interrupted outcome =
            Interrupt({"-path-link", "<recorder>", "a.c"}, "file:a.dxe", signal, false,
                      {{"TRVX_TOOL_DELAY_MS", "0"}, {"RECORDER_TOUCH", "a.dxe"}, {"RECORDER_DELAY_MS", "300"},
                       {"RECORDER_IGNORE", std::to_string(signal)}});
        EXPECT_EQ(outcome.result.status, 1);
        EXPECT_EQ(outcome.result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
        EXPECT_EQ(outcome.files, Untouched);
        EXPECT_TRUE(outcome.temporary.empty());
    }
}

TEST(Interrupts, ASignalBetweenToolsRemovesThePrivateTemporaryDirectory)
{
    for (int signal : e2e::InterruptSignals()) {
        SCOPED_TRACE(signal);
        Sandbox box;
        box.Write("a.c", "int a;\n");
        // The main driver blocks reading its definition file once the user interface
        // driver has made the temporary directory.
        ASSERT_EQ(mkfifo((box.dir() / "def.fifo").c_str(), 0600), 0);
        auto process = box.Start({"-path-def", "def.fifo", "a.c"});
        bool made = false;
        for (int round = 0; round < 2000 && !made; ++round) {
            made = !box.Files("tmp").empty();
            if (!made)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(made);
        process->Signal(signal);
        const Result result = process->Wait();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
        EXPECT_TRUE(box.Files("tmp").empty());
    }
}

// ---------------------------------------------------------------------------------------
// A reader that goes away

TEST(BrokenOutput, ARunWhoseErrorStreamIsClosedLeavesNothingBehind)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const fs::path log = box.dir() / "tool.log";
    std::map<std::string, std::string> env =
        e2e::LaunchEnvironment(box.Environment({{"TRVX_TOOL_LOG", log.string()}, {"TRVX_TOOL_DELAY_MS", "200"}}));
    Strings argv = e2e::Launch({e2e::Binary(), "-verbose", "a.c"});
    std::vector<char*> args;
    for (std::string& word : argv)
        args.push_back(word.data());
    args.push_back(nullptr);
    Strings settings;
    for (const auto& [name, value] : env)
        settings.push_back(name + "=" + value);
    std::vector<char*> environment;
    for (std::string& setting : settings)
        environment.push_back(setting.data());
    environment.push_back(nullptr);

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(ends[1], 2);
        close(ends[0]);
        close(ends[1]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        signal(SIGPIPE, SIG_DFL);
        if (chdir(box.dir().c_str()) != 0)
            _exit(126);
        execve(args[0], args.data(), environment.data());
        _exit(127);
    }
    close(ends[1]);
    // The reader stops reading while the compiler runs, as a pager that is quit does.
    bool started = false;
    for (int round = 0; round < 2000 && !started; ++round) {
        started = HasLine(log, "compiler ");
        if (!started)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    close(ends[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(started);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_TRUE(box.Files("tmp").empty()) << box.Files("tmp").front();
    for (const std::string& file : box.Files()) {
        EXPECT_TRUE(file == "a.c" || file == "a.dxe" || file == "home" || file == "tmp" || file == "tool.log")
            << file;
    }
}

} // namespace
