// trvx-standin: one small program that takes the place of every component tool of the
// toolchain (compiler, assembler, linker, library builder, ...). It is installed under
// each tool's executable name and decides what it is from the file-name part of the name
// it was started under. Each name keeps its tool's contract with the driver: it reads
// the inputs it is given, writes the output it is asked for and answers with the exit
// status the driver expects.
//
// Outputs are small line-based text files that record what they were made from:
//
//     trvx <kind>              c, asm, object, library, executable, dll, profile, map
//     tool: <tool>             the tool that wrote the file
//     source: <name>           every original source behind the file, in order
//     input: <name>            every direct input, as given
//     language: c++            the file comes from C++ code
//     include: <name>          a header read by the compiler
//     option: <word>[ <value>] an option that matters
//     member: <name>           a member of a library; its source lines follow it
//
// Readers ignore lines they do not know. A file that does not begin with "trvx " is a
// plain source: a tool that reads it records "source:" with the name as given.
//
// Environment:
//     TRVX_TOOL_LOG       append one line per call: the tool and its arguments, quoted
//     TRVX_TOOL_DELAY_MS  sleep that many milliseconds before working
//     TRVX_TOOL_FAIL      tool names (separated by commas or blanks) that fail on purpose
//                         after writing a partial output
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

const char* const CompilerVersion = "Tarvex stand-in compiler 6.2.0";

// The name used in messages: the tool name, or the program's own name before it is known.
std::string ToolName = "trvx-standin";

// Thrown to end the program with a status; caught in main so that every destructor runs.
struct ToolExit {
    int status;
};

[[noreturn]] void Exit(int status)
{
    throw ToolExit{status};
}

// The status of a failure. The prelinker's is 2: its status 1 is an answer, not a failure.
int FailureStatus = 1;

// "<tool>: <message>" on standard error, then the exit status.
[[noreturn]] void Fail(const std::string& message, int status = FailureStatus)
{
    std::fprintf(stderr, "%s: %s\n", ToolName.c_str(), message.c_str());
    std::fflush(stderr);
    Exit(status);
}

std::string Quoted(const std::string& name)
{
    return "`" + name + "'";
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && Lower(text.substr(text.size() - suffix.size())) == Lower(suffix);
}

// ---------------------------------------------------------------------------------------
// Names and files

// Names arrive Windows-style; a POSIX host wants slashes.
std::string HostPath(std::string name)
{
#ifndef _WIN32
    std::replace(name.begin(), name.end(), '\\', '/');
#endif
    return name;
}

// The file-name part of a name: everything after its last separator.
std::string FilePart(const std::string& name)
{
    std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The directory part of a name, including its trailing separator ("" when it has none).
std::string DirectoryPart(const std::string& name)
{
    std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The file-name part with its last suffix replaced.
std::string BaseWithSuffix(const std::string& name, const std::string& suffix)
{
    std::string base = FilePart(name);
    std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        base.erase(dot);
    return base + suffix;
}

// Joins a directory and a name with the separator style of the directory.
std::string JoinName(const std::string& directory, const std::string& name)
{
    if (directory.empty())
        return name;
    char last = directory.back();
    if (last == '\\' || last == '/')
        return directory + name;
    bool slashes = directory.find('/') != std::string::npos && directory.find('\\') == std::string::npos;
    return directory + (slashes ? '/' : '\\') + name;
}

bool IsAbsolute(const std::string& name)
{
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return true;
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

bool IsRegularFile(const std::string& name)
{
    std::error_code error;
    return std::filesystem::is_regular_file(HostPath(name), error);
}

std::optional<std::string> ReadFile(const std::string& name)
{
    if (!IsRegularFile(name))
        return std::nullopt;
    std::ifstream in(HostPath(name), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ReadInput(const std::string& name)
{
    std::optional<std::string> text = ReadFile(name);
    if (!text)
        Fail("cannot open " + Quoted(name));
    return *text;
}

// Lines of a text; a carriage return before a newline is dropped and a last line without
// its newline still counts.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

void WriteOutput(const std::string& name, const std::string& text)
{
    // Every host says the same of a directory in the way.
    std::error_code ignored;
    if (std::filesystem::is_directory(HostPath(name), ignored))
        Fail("cannot write " + Quoted(name) + ": Is a directory");
    std::ofstream out(HostPath(name), std::ios::binary | std::ios::trunc);
    if (!out)
        Fail("cannot write " + Quoted(name) + ": " + std::strerror(errno));
    out << text;
    out.close();
    if (!out)
        Fail("cannot write " + Quoted(name));
}

void WriteStandardOutput(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------------------
// Calls: log, delay, forced failure, response files

// The Windows command-line convention: quotes when the argument is empty or holds a blank,
// a tab or a special character; an inner quote is written \" and a run of backslashes
// before a quote (or before the closing quote) is doubled.
std::string QuoteArgument(const std::string& argument)
{
    static const std::string Special = " \t\"!#$%&'()*<>?@[]^`{|}";
    bool quote = argument.empty() || argument.find_first_of(Special) != std::string::npos;
    std::string out;
    if (quote)
        out += '"';
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            out += c;
            continue;
        }
        if (c == '"') {
            out.append(backslashes, '\\');
            out += "\\\"";
        } else {
            out += c;
        }
        backslashes = 0;
    }
    if (quote) {
        out.append(backslashes, '\\');
        out += '"';
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// The host: appending whole lines, running a program, copying standard input

#ifdef _WIN32

std::string SystemError(DWORD code)
{
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        --length;
    return length > 0 ? std::string(text, length) : "error " + std::to_string(code);
}

// Appends text to a file with one write, so that tools running side by side never
// interleave their lines.
void AppendWhole(const std::string& name, const std::string& text)
{
    HANDLE file = CreateFileA(HostPath(name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Runs a program found along PATH, its words quoted by the command-line convention, and
// stores its exit status; false with `error` set when it cannot be started.
bool StartAndWait(const std::vector<std::string>& argv, int& status, std::string& error)
{
    std::string line;
    for (const std::string& word : argv)
        line += (line.empty() ? "" : " ") + QuoteArgument(word);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &information)) {
        error = SystemError(GetLastError());
        return false;
    }
    CloseHandle(information.hThread);
    WaitForSingleObject(information.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(information.hProcess, &code);
    CloseHandle(information.hProcess);
    status = static_cast<int>(code);
    return true;
}

// Copies standard input to standard output byte for byte; false with `error` set.
bool CopyInputToOutput(std::string& error)
{
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    char buffer[65536];
    for (;;) {
        const int got = _read(0, buffer, sizeof buffer);
        if (got < 0) {
            error = "cannot read standard input: " + std::string(std::strerror(errno));
            return false;
        }
        if (got == 0)
            return true;
        for (int done = 0; done < got;) {
            const int put = _write(1, buffer + done, static_cast<unsigned>(got - done));
            if (put <= 0) {
                error = "cannot write standard output: " + std::string(std::strerror(errno));
                return false;
            }
            done += put;
        }
    }
}

#else

void AppendWhole(const std::string& name, const std::string& text)
{
    int fd = open(HostPath(name).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    ssize_t written = write(fd, text.data(), text.size());
    (void)written;
    close(fd);
}

// Runs a program found along PATH and stores its exit status (128 + the signal when it
// was killed); false with `error` set when it cannot be started.
bool StartAndWait(const std::vector<std::string>& argv, int& status, std::string& error)
{
    std::vector<std::string> words = argv;
    words[0] = HostPath(words[0]);
    std::vector<char*> pointers;
    for (std::string& word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    pid_t child = 0;
    if (int failure = posix_spawnp(&child, pointers[0], nullptr, nullptr, pointers.data(), environ); failure != 0) {
        error = std::strerror(failure);
        return false;
    }
    int raw = 0;
    while (waitpid(child, &raw, 0) < 0) {
        if (errno != EINTR) {
            error = std::strerror(errno);
            return false;
        }
    }
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : 1;
    return true;
}

bool CopyInputToOutput(std::string& error)
{
    char buffer[65536];
    for (;;) {
        ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = "cannot read standard input: " + std::string(std::strerror(errno));
            return false;
        }
        if (got == 0)
            return true;
        ssize_t done = 0;
        while (done < got) {
            ssize_t put = write(STDOUT_FILENO, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                error = "cannot write standard output: " + std::string(std::strerror(errno));
                return false;
            }
            done += put;
        }
    }
}

#endif

void LogCall(const std::string& tool, const std::vector<std::string>& arguments)
{
    const char* log = std::getenv("TRVX_TOOL_LOG");
    if (!log || !*log)
        return;
    std::string line = tool;
    for (const std::string& argument : arguments)
        line += " " + QuoteArgument(argument);
    line += "\n";
    // One write on a file opened for appending, so that tools running side by side never
    // interleave their lines.
    AppendWhole(log, line);
}

void DelayIfAsked()
{
    const char* delay = std::getenv("TRVX_TOOL_DELAY_MS");
    if (!delay || !*delay)
        return;
    long milliseconds = std::strtol(delay, nullptr, 10);
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool FailureForced()
{
    const char* names = std::getenv("TRVX_TOOL_FAIL");
    if (!names)
        return false;
    std::string list = Lower(names);
    std::replace(list.begin(), list.end(), ',', ' ');
    std::istringstream words(list);
    std::string word;
    while (words >> word) {
        if (word == ToolName)
            return true;
    }
    return false;
}

// Fails on purpose when TRVX_TOOL_FAIL names this tool, leaving a partial output behind
// (when the tool has one) for the driver to clean up.
void CheckForcedFailure(const std::string& output, const std::string& kind, int status = 1)
{
    if (!FailureForced())
        return;
    if (!output.empty()) {
        std::ofstream partial(HostPath(output), std::ios::binary | std::ios::trunc);
        partial << "trvx " << kind << "\ntool: " << ToolName << "\npartial\n";
    }
    Fail("forced failure", status);
}

// Each argument "@file" is replaced by the lines of the file, one argument per line.
std::vector<std::string> ExpandResponseFiles(const std::vector<std::string>& arguments)
{
    std::vector<std::string> expanded;
    for (const std::string& argument : arguments) {
        if (argument.size() < 2 || argument[0] != '@') {
            expanded.push_back(argument);
            continue;
        }
        std::string name = argument.substr(1);
        std::optional<std::string> text = ReadFile(name);
        if (!text)
            Fail("cannot open response file " + Quoted(name));
        for (std::string& line : SplitLines(*text))
            expanded.push_back(std::move(line));
    }
    return expanded;
}

// Runs a program and returns its exit status (128 + the signal when it was killed).
int RunProgram(const std::vector<std::string>& argv)
{
    std::string error;
    int status = 1;
    if (!StartAndWait(argv, status, error))
        Fail("cannot run " + Quoted(argv[0]) + ": " + error);
    return status;
}

// ---------------------------------------------------------------------------------------
// Stand-in files

bool IsStandIn(const std::string& text)
{
    return StartsWith(text, "trvx ");
}

std::string StandInKind(const std::string& text)
{
    std::vector<std::string> lines = SplitLines(text.substr(0, text.find('\n')));
    return lines.empty() ? std::string() : lines[0].substr(5);
}

// What an output records about the files it was made from.
struct Record {
    std::string kind;
    std::vector<std::string> sources;
    std::vector<std::string> inputs;
    std::vector<std::string> includes;
    std::vector<std::string> options;
    bool cplusplus = false;

    // Takes in one input: its own "source:" and "language:" lines when it is a stand-in
    // file, otherwise the input itself as the source.
    void AddInput(const std::string& name, const std::string& text, bool recordInput = true)
    {
        if (recordInput)
            inputs.push_back(name);
        if (!IsStandIn(text)) {
            sources.push_back(name);
            return;
        }
        for (const std::string& line : SplitLines(text)) {
            if (StartsWith(line, "source: "))
                sources.push_back(line.substr(8));
            else if (line == "language: c++")
                cplusplus = true;
        }
    }

    std::string Text() const
    {
        std::string text = "trvx " + kind + "\ntool: " + ToolName + "\n";
        for (const std::string& source : sources)
            text += "source: " + source + "\n";
        for (const std::string& input : inputs)
            text += "input: " + input + "\n";
        if (cplusplus)
            text += "language: c++\n";
        for (const std::string& include : includes)
            text += "include: " + include + "\n";
        for (const std::string& option : options)
            text += "option: " + option + "\n";
        return text;
    }
};

// A tool's arguments split into options and operands. Options named in `withValue` take
// the next argument as their value; anything else beginning with '-' is a flag. With
// `libraryItems`, the link items "-lX" count as operands, in their place.
struct CommandLine {
    std::vector<std::pair<std::string, std::string>> options;  // (option, value or "")
    std::vector<std::string> operands;
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, const std::set<std::string>& withValue,
                             bool libraryItems = false)
{
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.empty() || word[0] != '-' || (libraryItems && StartsWith(word, "-l") && word.size() > 2)) {
            line.operands.push_back(word);
        } else if (withValue.count(word)) {
            if (i + 1 >= arguments.size())
                Fail("missing value for option " + Quoted(word));
            line.options.emplace_back(word, arguments[++i]);
        } else {
            line.options.emplace_back(word, std::string());
        }
    }
    return line;
}

// The value of the last occurrence of an option ("" when absent).
std::string OptionValue(const CommandLine& line, const std::string& option)
{
    std::string value;
    for (const auto& [name, given] : line.options) {
        if (name == option)
            value = given;
    }
    return value;
}

bool HasOption(const CommandLine& line, const std::string& option)
{
    return std::any_of(line.options.begin(), line.options.end(),
                       [&](const auto& entry) { return entry.first == option; });
}

// Every option except those listed, as "option" or "option value".
std::vector<std::string> RecordedOptions(const CommandLine& line, const std::set<std::string>& except)
{
    std::vector<std::string> recorded;
    for (const auto& [name, value] : line.options) {
        if (except.count(name))
            continue;
        recorded.push_back(value.empty() ? name : name + " " + value);
    }
    return recorded;
}

// The directories of "-L dir" and "-Ldir", in order.
std::vector<std::string> LibraryDirectories(const CommandLine& line)
{
    std::vector<std::string> directories;
    for (const auto& [name, value] : line.options) {
        if (name == "-L")
            directories.push_back(value);
        else if (StartsWith(name, "-L") && name.size() > 2)
            directories.push_back(name.substr(2));
    }
    return directories;
}

// A link input: a library "libX.dlb" named without a directory is looked for as given,
// then in each library directory; "-lX" stands for libX.dlb in the library directories.
// Returns the name under which the input was found, or nothing.
std::optional<std::string> FindLinkInput(const std::string& word, const std::vector<std::string>& directories)
{
    if (StartsWith(word, "-l")) {
        std::string library = "lib" + word.substr(2) + ".dlb";
        for (const std::string& directory : directories) {
            std::string candidate = JoinName(directory, library);
            if (IsRegularFile(candidate))
                return candidate;
        }
        return std::nullopt;
    }
    if (IsRegularFile(word))
        return word;
    if (EndsWithNoCase(word, ".dlb") && DirectoryPart(word).empty()) {
        for (const std::string& directory : directories) {
            std::string candidate = JoinName(directory, word);
            if (IsRegularFile(candidate))
                return candidate;
        }
    }
    return std::nullopt;
}

// A line that begins with "#error" (after blanks).
bool IsErrorDirective(const std::string& line)
{
    std::size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line.compare(first, 6, "#error") == 0;
}

// The first such line, 1-based; 0 when there is none.
std::size_t ErrorDirectiveLine(const std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsErrorDirective(lines[i]))
            return i + 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------
// compiler

// Options of the compiler written as "--name value".
const std::set<std::string> CompilerValueOptions = {
    "--gen_c_file_name", "--gen_asm_file_name", "--gen_obj_file_name", "--ii_file", "--template_info_file",
    "--opa_file", "--ipa_file", "--error_file", "--pch_dir", "--instantiation_dir", "--depend_target",
    "--list", "--xref", "--preinclude", "--include_directory", "--define_macro", "--undefine_macro",
    "--TLI", "--prof_read_file", "--error_limit", "--diag_suppress", "--diag_remark", "--diag_warning",
    "--diag_error", "--driver_name", "--edit_format", "--val-global", "--assert", "--gp_limit",
    "--instantiate", "--pending_instantiations", "--default_linkage", "--db", "--module_init",
    "--error_output", "--definition_list_file", "--create_pch", "--use_pch", "--pch_mem",
    "--microsoft_version", "--double", "--pack_alignment", "--kai_optimize", "--inline_list",
    "--inline_auto_space_time", "--inline_keyword_space_time", "--ur", "--ur2", "--pass_list",
};

// Single-letter compiler options whose value is joined to them ("-Iinc", "-DX=1"); the
// value may also come as the next word.
const std::string CompilerJoinedLetters = "DUIetdX";

struct CompilerRequest {
    std::string source;
    std::string output;
    std::string outputKind;  // c, asm or object; empty when writing to standard output
    std::string errorFile;
    std::string dependTarget;
    std::vector<std::string> includeDirectories;
    std::vector<std::string> preincludes;
    std::vector<std::string> options;  // recorded in the output
    bool versionQuery = false;
    bool preprocess = false;
    bool lineCommands = true;
    bool dependencies = false;
    bool traceIncludes = false;
    bool compileToo = false;  // --no_preproc_only
    bool noCodeGen = false;
    bool cplusplus = false;
};

CompilerRequest ParseCompilerArguments(const std::vector<std::string>& arguments)
{
    CompilerRequest request;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string word = arguments[i];
        if (word.empty() || word[0] != '-') {
            request.source = word;
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (StartsWith(word, "--")) {
            std::size_t equals = word.find('=');
            if (equals != std::string::npos && CompilerValueOptions.count(word.substr(0, equals))) {
                value = word.substr(equals + 1);
                word.erase(equals);
                hasValue = true;
            } else if (CompilerValueOptions.count(word)) {
                if (i + 1 >= arguments.size())
                    Fail("missing value for option " + Quoted(word));
                value = arguments[++i];
                hasValue = true;
            }
        } else if (word.size() >= 2 && CompilerJoinedLetters.find(word[1]) != std::string::npos) {
            if (word.size() > 2) {
                value = word.substr(2);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            word.erase(2);
            hasValue = true;
        }

        if (hasValue) {
            if (word == "--gen_c_file_name" || word == "--gen_asm_file_name" || word == "--gen_obj_file_name") {
                request.output = value;
                request.outputKind = word == "--gen_c_file_name" ? "c" : word == "--gen_asm_file_name" ? "asm" : "object";
            } else if (word == "--error_file") {
                request.errorFile = value;
            } else if (word == "--depend_target") {
                request.dependTarget = value;
            } else if (word == "--preinclude") {
                request.preincludes.push_back(value);
            } else if (word == "-I" || word == "--include_directory") {
                if (value != "-") {
                    request.includeDirectories.push_back(value);
                    request.options.push_back("-I" + value);
                }
            } else if (word == "-D" || word == "--define_macro") {
                request.options.push_back("-D" + value);
            } else if (word == "-U" || word == "--undefine_macro") {
                request.options.push_back("-U" + value);
            } else if (word == "--TLI") {
                // The code generator's options travel as one word, separated by commas.
                std::istringstream items(value);
                std::string item;
                while (std::getline(items, item, ','))
                    if (!item.empty())
                        request.options.push_back(item);
            } else if (word == "--kai_optimize") {
                request.options.push_back(word + " " + value);
            }
            continue;
        }

        if (word == "--compiler_version") {
            request.versionQuery = true;
        } else if (word == "--version") {
            std::fprintf(stderr, "%s\n", CompilerVersion);
        } else if (word == "--preprocess" || word == "-E") {
            request.preprocess = true;
        } else if (word == "--no_line_commands" || word == "-P") {
            request.preprocess = true;
            request.lineCommands = false;
        } else if (word == "--dependencies" || word == "-M") {
            request.dependencies = true;
        } else if (word == "--trace_includes" || word == "-H") {
            request.traceIncludes = true;
        } else if (word == "--no_preproc_only") {
            request.compileToo = true;
        } else if (word == "--no_code_gen") {
            request.noCodeGen = true;
        } else if (word == "--c++" || word == "-p" || word == "--cfront_2.1" || word == "-b" || word == "--cfront_3.0") {
            request.cplusplus = true;
            request.options.push_back(word);
        } else if (word == "--c" || word == "-m" || word == "--old_c" || word == "-K") {
            request.cplusplus = false;
        } else if (StartsWith(word, "-O") || word == "--debug_generation") {
            request.options.push_back(word);
        }
    }
    return request;
}

// Reports an error at a place of a source: on standard error and, when asked, in the error
// file as the record "E <file> <line>".
[[noreturn]] void CompileError(const CompilerRequest& request, const std::string& file, std::size_t line,
                               const std::string& message)
{
    std::fprintf(stderr, "%s:%zu: error: %s\n", file.c_str(), line, message.c_str());
    if (!request.errorFile.empty()) {
        std::ofstream errors(HostPath(request.errorFile), std::ios::binary | std::ios::trunc);
        errors << "E " << QuoteArgument(file) << " " << line << "\n";
    }
    Exit(1);
}

// Reads a source and the headers it includes: the preprocessed text, the headers in the
// order first included, and the #error check. Conditionals are not evaluated, so every
// header is taken as guarded against a second inclusion: it is read the first time only.
class Preprocessor {
public:
    explicit Preprocessor(const CompilerRequest& request) : request_(request) {}

    void Run()
    {
        for (const std::string& header : request_.preincludes) {
            std::optional<std::string> found;
            if (IsRegularFile(header))
                found = header;
            else
                found = Search(header, "");
            if (!found) {
                std::fprintf(stderr, "%s: cannot find preinclude file %s\n", ToolName.c_str(),
                             Quoted(header).c_str());
                Exit(1);
            }
            Include(*found);
        }
        std::optional<std::string> text = ReadFile(request_.source);
        if (!text)
            Fail("cannot open source file " + Quoted(request_.source));
        Process(request_.source, *text);
    }

    const std::string& Text() const { return text_; }
    const std::vector<std::string>& Headers() const { return headers_; }

private:
    // The name inside #include "x" or #include <x>, when the line is such a directive.
    static std::optional<std::string> IncludedName(const std::string& line)
    {
        std::size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line[at] != '#')
            return std::nullopt;
        at = line.find_first_not_of(" \t", at + 1);
        if (at == std::string::npos || line.compare(at, 7, "include") != 0)
            return std::nullopt;
        at = line.find_first_not_of(" \t", at + 7);
        if (at == std::string::npos || (line[at] != '"' && line[at] != '<'))
            return std::nullopt;
        char close = line[at] == '"' ? '"' : '>';
        std::size_t end = line.find(close, at + 1);
        if (end == std::string::npos || end == at + 1)
            return std::nullopt;
        return line.substr(at + 1, end - at - 1);
    }

    // Looks for a header beside the including file, then beside the source, then in each
    // include directory.
    std::optional<std::string> Search(const std::string& name, const std::string& includingFile) const
    {
        if (IsAbsolute(name))
            return IsRegularFile(name) ? std::optional<std::string>(name) : std::nullopt;
        std::vector<std::string> candidates;
        if (!includingFile.empty())
            candidates.push_back(JoinName(DirectoryPart(includingFile), name));
        candidates.push_back(JoinName(DirectoryPart(request_.source), name));
        for (const std::string& directory : request_.includeDirectories)
            candidates.push_back(JoinName(directory, name));
        for (const std::string& candidate : candidates) {
            if (IsRegularFile(candidate))
                return candidate;
        }
        return std::nullopt;
    }

    void Include(const std::string& header)
    {
        if (std::find(headers_.begin(), headers_.end(), header) != headers_.end())
            return;
        headers_.push_back(header);
        if (request_.traceIncludes)
            std::fprintf(stderr, "%s\n", header.c_str());
        std::optional<std::string> text = ReadFile(header);
        if (!text)
            Fail("cannot open " + Quoted(header));
        Process(header, *text);
    }

    void Marker(std::size_t line, const std::string& file)
    {
        if (request_.lineCommands)
            text_ += "# " + std::to_string(line) + " \"" + file + "\"\n";
    }

    void Process(const std::string& file, const std::string& text)
    {
        std::vector<std::string> lines = SplitLines(text);
        Marker(1, file);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (IsErrorDirective(lines[i]))
                CompileError(request_, file, i + 1, "#error directive");
            std::optional<std::string> name = IncludedName(lines[i]);
            if (!name) {
                text_ += lines[i] + "\n";
                continue;
            }
            std::optional<std::string> header = Search(*name, file);
            if (!header)
                CompileError(request_, file, i + 1, "cannot open include file \"" + *name + "\"");
            if (std::find(headers_.begin(), headers_.end(), *header) != headers_.end())
                continue;
            Include(*header);
            Marker(i + 2, file);
        }
    }

    const CompilerRequest& request_;
    std::string text_;
    std::vector<std::string> headers_;
};

int RunCompiler(const std::vector<std::string>& arguments)
{
    CompilerRequest request = ParseCompilerArguments(arguments);
    CheckForcedFailure(request.output, request.outputKind.empty() ? "asm" : request.outputKind);
    if (request.versionQuery) {
        WriteStandardOutput(std::string(CompilerVersion) + "\n");
        return 0;
    }
    if (request.source.empty())
        Fail("no source file");

    Preprocessor preprocessor(request);
    preprocessor.Run();

    bool preprocessOnly = (request.preprocess || request.dependencies) && !request.compileToo;
    if (request.dependencies) {
        std::string target = request.dependTarget.empty() ? BaseWithSuffix(request.source, ".doj") : request.dependTarget;
        std::string rule = target + ": " + request.source;
        for (const std::string& header : preprocessor.Headers())
            rule += " " + header;
        WriteStandardOutput(rule + "\n");
    }
    if (request.preprocess)
        WriteStandardOutput(preprocessor.Text());
    if (preprocessOnly || request.noCodeGen)
        return 0;

    Record record;
    record.kind = request.outputKind.empty() ? "asm" : request.outputKind;
    record.AddInput(request.source, ReadInput(request.source), false);
    record.cplusplus = record.cplusplus || request.cplusplus;
    record.includes = preprocessor.Headers();
    record.options = request.options;
    if (request.output.empty())
        WriteStandardOutput(record.Text());
    else
        WriteOutput(request.output, record.Text());
    return 0;
}

// ---------------------------------------------------------------------------------------
// Tools with "-o output input..."

// Assembler, assembler preprocessor, memory initializer, dynamic link library builder and
// profiler: "-o output", then the inputs; the other options are recorded.
int RunTranslator(const std::vector<std::string>& arguments, const std::string& kind,
                  const std::set<std::string>& withValue, bool checkErrorDirective, bool linkInputs)
{
    std::set<std::string> valued = withValue;
    valued.insert("-o");
    CommandLine line = ParseCommandLine(arguments, valued, linkInputs);
    std::string output = OptionValue(line, "-o");
    CheckForcedFailure(output, kind);
    if (output.empty())
        Fail("no output file named with -o");
    if (line.operands.empty())
        Fail("no input file");
    // The assembler and the assembler preprocessor take one input: the last one named.
    std::vector<std::string> inputs = line.operands;
    if (!linkInputs)
        inputs.erase(inputs.begin(), inputs.end() - 1);

    Record record;
    record.kind = kind;
    std::vector<std::string> directories = LibraryDirectories(line);
    for (const std::string& input : inputs) {
        std::string name = input;
        if (linkInputs) {
            std::optional<std::string> found = FindLinkInput(input, directories);
            if (!found)
                Fail("cannot open " + Quoted(input));
            name = *found;
        }
        std::string text = ReadInput(name);
        if (checkErrorDirective && !IsStandIn(text)) {
            if (std::size_t at = ErrorDirectiveLine(SplitLines(text))) {
                std::fprintf(stderr, "%s:%zu: error: #error directive\n", input.c_str(), at);
                Exit(1);
            }
        }
        record.AddInput(input, text);
    }
    record.options = RecordedOptions(line, {"-o"});
    WriteOutput(output, record.Text());
    return 0;
}

int RunAssembler(const std::vector<std::string>& arguments)
{
    return RunTranslator(arguments, "object", {"-i", "-proc"}, true, false);
}

int RunAsmPreprocessor(const std::vector<std::string>& arguments)
{
    return RunTranslator(arguments, "asm", {"-i", "-proc"}, false, false);
}

int RunMemoryInitializer(const std::vector<std::string>& arguments)
{
    return RunTranslator(arguments, "executable", {}, false, false);
}

int RunDllBuilder(const std::vector<std::string>& arguments)
{
    return RunTranslator(arguments, "dll", {"-L", "-T", "-proc"}, false, true);
}

int RunProfiler(const std::vector<std::string>& arguments)
{
    return RunTranslator(arguments, "profile", {}, false, true);
}

// System C compiler: "-c", "-Fo<object>" (or "-Fo object"), the input.
int RunCCompiler(const std::vector<std::string>& arguments)
{
    std::string object;
    std::string input;
    std::vector<std::string> options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (StartsWith(word, "-Fo")) {
            object = word.size() > 3 ? word.substr(3) : (i + 1 < arguments.size() ? arguments[++i] : "");
        } else if (!word.empty() && word[0] == '-') {
            if (word != "-c")
                options.push_back(word);
        } else {
            input = word;
        }
    }
    CheckForcedFailure(object, "object");
    if (object.empty())
        Fail("no object file named with -Fo");
    if (input.empty())
        Fail("no input file");
    Record record;
    record.kind = "object";
    record.AddInput(input, ReadInput(input));
    record.options = options;
    WriteOutput(object, record.Text());
    return 0;
}

// Object postprocessor: rewrites the object given in place.
int RunObjectPostprocessor(const std::vector<std::string>& arguments)
{
    CommandLine line = ParseCommandLine(arguments, {});
    std::string object = line.operands.empty() ? std::string() : line.operands.back();
    CheckForcedFailure(object, "object");
    if (object.empty())
        Fail("no object file");
    std::string text = ReadInput(object);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    WriteOutput(object, text + "postprocessed\n");
    return 0;
}

// ---------------------------------------------------------------------------------------
// prelinker

// Runs a program given as one word: its path and its options joined with blanks, not
// quoted. The path is the shortest leading run of words that names a file, so a path
// with blanks still works.
int RunJoinedCommand(const std::string& command, const std::vector<std::string>& extra)
{
    std::vector<std::string> words;
    std::istringstream split(command);
    std::string word;
    while (split >> word)
        words.push_back(word);
    if (words.empty())
        return 0;
    std::size_t pathWords = 1;
    std::string path = words[0];
    for (std::size_t n = 1; n <= words.size(); ++n) {
        std::string candidate = words[0];
        for (std::size_t k = 1; k < n; ++k)
            candidate += " " + words[k];
        if (IsRegularFile(candidate)) {
            path = candidate;
            pathWords = n;
            break;
        }
    }
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), words.begin() + static_cast<std::ptrdiff_t>(pathWords), words.end());
    argv.insert(argv.end(), extra.begin(), extra.end());
    return RunProgram(argv);
}

// Takes the link inputs, runs the symbol lister ("-c") and the IPA solver ("-Y") on them,
// writes the munch source ("-M") and answers 1 when the link needs the C++ support.
// Its failures have status 2, since 1 is an answer.
int RunPrelinker(const std::vector<std::string>& arguments)
{
    CommandLine line = ParseCommandLine(arguments, {"-c", "-Y", "-M"});
    std::string munch = OptionValue(line, "-M");
    CheckForcedFailure(munch, "c", 2);
    std::vector<std::string> directories = LibraryDirectories(line);
    bool cplusplus = false;
    for (const std::string& input : line.operands) {
        std::optional<std::string> found = FindLinkInput(input, directories);
        std::optional<std::string> text = found ? ReadFile(*found) : std::nullopt;
        if (!text)
            Fail("cannot open " + Quoted(input), 2);
        Record record;
        record.AddInput(input, *text);
        cplusplus = cplusplus || record.cplusplus;
    }
    for (const char* tool : {"-c", "-Y"}) {
        std::string command = OptionValue(line, tool);
        if (command.empty())
            continue;
        if (RunJoinedCommand(command, line.operands) != 0)
            Fail(Quoted(command) + " failed", 2);
    }
    if (!munch.empty()) {
        std::string text = "/* munch */\n";
        for (const std::string& input : line.operands)
            text += "/* " + input + " */\n";
        WriteOutput(munch, text);
    }
    return cplusplus ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// linker

int RunLinker(const std::vector<std::string>& arguments)
{
    CommandLine line = ParseCommandLine(arguments, {"-o", "-T", "-Map", "-L", "-proc"}, true);
    std::string output = OptionValue(line, "-o");
    CheckForcedFailure(output, "executable");
    std::vector<std::string> directories = LibraryDirectories(line);
    const std::vector<std::string>& linked = line.operands;

    Record record;
    record.kind = "executable";
    for (const std::string& input : linked) {
        std::optional<std::string> found = FindLinkInput(input, directories);
        if (!found)
            Fail("cannot open " + Quoted(input));
        record.AddInput(input, ReadInput(*found));
    }
    record.options = RecordedOptions(line, {"-o"});

    std::string map = OptionValue(line, "-Map");
    if (!map.empty()) {
        std::string text = "trvx map\ntool: " + ToolName + "\n";
        if (!output.empty())
            text += "output: " + output + "\n";
        for (const std::string& input : linked)
            text += "input: " + input + "\n";
        WriteOutput(map, text);
    }
    if (HasOption(line, "-M") || HasOption(line, "-MM")) {
        std::string target = !output.empty() ? output : linked.empty() ? "a.dxe" : BaseWithSuffix(linked[0], ".dxe");
        std::string rule = target + ":";
        for (const std::string& input : linked)
            rule += " " + input;
        WriteStandardOutput(rule + "\n");
    }
    if (!output.empty())
        WriteOutput(output, record.Text());
    return 0;
}

// ---------------------------------------------------------------------------------------
// library builder

struct Member {
    std::string name;
    std::vector<std::string> sources;
    bool cplusplus = false;
};

// The library builder: the first operand is the library, the others are objects added to
// it. A member of the same name is replaced in place, new ones go to the end.
int RunLibrarian(const std::vector<std::string>& arguments)
{
    CommandLine line = ParseCommandLine(arguments, {});
    std::string library = line.operands.empty() ? std::string() : line.operands[0];
    CheckForcedFailure(library, "library");
    if (library.empty())
        Fail("no library named");

    std::vector<Member> members;
    std::vector<std::string> options;
    if (std::optional<std::string> existing = ReadFile(library)) {
        if (!IsStandIn(*existing) || StandInKind(*existing) != "library")
            Fail(Quoted(library) + " is not a library");
        for (const std::string& text : SplitLines(*existing)) {
            if (StartsWith(text, "member: "))
                members.push_back(Member{text.substr(8), {}, false});
            else if (StartsWith(text, "option: "))
                options.push_back(text.substr(8));
            else if (!members.empty() && StartsWith(text, "source: "))
                members.back().sources.push_back(text.substr(8));
            else if (!members.empty() && text == "language: c++")
                members.back().cplusplus = true;
        }
    }
    for (const std::string& option : RecordedOptions(line, {}))
        if (std::find(options.begin(), options.end(), option) == options.end())
            options.push_back(option);

    for (std::size_t i = 1; i < line.operands.size(); ++i) {
        const std::string& object = line.operands[i];
        Record record;
        record.AddInput(object, ReadInput(object));
        Member member{FilePart(object), record.sources, record.cplusplus};
        auto same = std::find_if(members.begin(), members.end(), [&](const Member& m) { return m.name == member.name; });
        if (same != members.end())
            *same = member;
        else
            members.push_back(member);
    }

    std::string text = "trvx library\ntool: " + ToolName + "\n";
    for (const std::string& option : options)
        text += "option: " + option + "\n";
    for (const Member& member : members) {
        text += "member: " + member.name + "\n";
        for (const std::string& source : member.sources)
            text += "source: " + source + "\n";
        if (member.cplusplus)
            text += "language: c++\n";
    }
    WriteOutput(library, text);
    return 0;
}

// ---------------------------------------------------------------------------------------
// demangler, debugger, the tools that only record their call

int RunDemangler(const std::vector<std::string>&)
{
    std::string error;
    if (!CopyInputToOutput(error))
        Fail(error);
    return 0;
}

// The debugger: its own options come first; the first argument that does not begin with
// '-' is the program, the rest are the program's arguments. Returns the program's status.
int RunDebugger(const std::vector<std::string>& arguments)
{
    CheckForcedFailure("", "");
    auto program = std::find_if(arguments.begin(), arguments.end(),
                                [](const std::string& word) { return word.empty() || word[0] != '-'; });
    if (program == arguments.end())
        Fail("no program to run");
    return RunProgram(std::vector<std::string>(program, arguments.end()));
}

int RunRecorder(const std::vector<std::string>&)
{
    CheckForcedFailure("", "");
    return 0;
}

// ---------------------------------------------------------------------------------------

using ToolFunction = int (*)(const std::vector<std::string>&);

struct ToolRow {
    const char* name;
    ToolFunction run;
    bool responseFiles;
};

const ToolRow ToolTable[] = {
    {"compiler", RunCompiler, true},
    {"easmtrvx", RunAssembler, true},
    {"gco", RunAsmPreprocessor, true},
    {"ccompiler", RunCCompiler, true},
    {"objpp", RunObjectPostprocessor, true},
    {"prelinker", RunPrelinker, true},
    {"nm", RunRecorder, true},
    {"ipa", RunRecorder, true},
    {"pgo", RunProfiler, true},
    {"linker", RunLinker, true},
    {"librarian", RunLibrarian, true},
    {"link", RunDllBuilder, true},
    {"mem63k", RunMemoryInitializer, true},
    {"demangler", RunDemangler, true},
    {"driver", RunRecorder, true},
    // The debugger hands its arguments on untouched, response files included.
    {"debugger", RunDebugger, false},
};

// The tool named by the file-name part of argv[0], ignoring case and a ".exe" suffix.
std::string ToolFromProgramName(const char* argv0)
{
    std::string name = Lower(FilePart(argv0 ? argv0 : ""));
    if (EndsWithNoCase(name, ".exe"))
        name.erase(name.size() - 4);
    return name;
}

} // namespace

int main(int argc, char** argv)
{
    std::string tool = ToolFromProgramName(argc > 0 ? argv[0] : nullptr);
    const ToolRow* row = nullptr;
    for (const ToolRow& candidate : ToolTable) {
        if (tool == candidate.name)
            row = &candidate;
    }
    if (!row) {
        std::fprintf(stderr, "trvx-standin: %s is not the name of a tool; install this program as one of:",
                     Quoted(tool).c_str());
        for (const ToolRow& candidate : ToolTable)
            std::fprintf(stderr, " %s", candidate.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    ToolName = tool;
    if (tool == "prelinker")
        FailureStatus = 2;
    std::vector<std::string> received(argv + 1, argv + argc);
    try {
        LogCall(tool, received);
        DelayIfAsked();
        return row->run(row->responseFiles ? ExpandResponseFiles(received) : received);
    } catch (const ToolExit& exit) {
        return exit.status;
    }
}
