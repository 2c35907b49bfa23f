// Helpers shared by the black-box tests: main driver command lines written the way
// "cctrvx -dryrun" prints them, the commands printed on standard error, the calls recorded
// by the stand-in tools, the lines of the files they write, and temporary names.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace e2e::build {

using Strings = std::vector<std::string>;
using Env = std::map<std::string, std::string>;

// A host path written the way the driver prints it: backslash separators.
inline std::string Windows(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline std::string Image() { return Windows(InstallImage()); }

// A main driver command line: the words that name the components and the implementation
// model, then the words of the case.
inline Strings MainLine(const Strings& words)
{
    const std::string image = Image();
    Strings line = {
        "--main", "--CIM2s", "--CCIM1", "--option_file", image + "\\Tarvex\\etc\\cctrvx_driver.def",
        "--COMPP_fe", image + "\\Tarvex\\etc\\compiler.exe", "--COMPP_fe_asm", image + "\\easmtrvx.exe",
        "--COMPP_pl", image + "\\Tarvex\\etc\\prelinker.exe", "--COMPP_pl_ipa", image + "\\Tarvex\\etc\\ipa.exe",
        "--COMPP_ln", image + "\\linker.exe", "--COMPP_ln_ar", image + "\\librarian.exe",
        "--COMPP_ln_exe2", image + "\\mem63k.exe",
    };
    line.insert(line.end(), words.begin(), words.end());
    return line;
}

// Splits a command line as the children's command-line parser does: blanks separate words
// outside double quotes; 2n backslashes before a quote give n backslashes and the quote
// opens or closes, 2n+1 give n backslashes and a literal quote; other backslashes are
// plain characters.
inline Strings SplitCommandLine(const std::string& line)
{
    Strings words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t' || c == '\n')) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            std::size_t run = 0;
            for (; i < line.size() && line[i] == '\\'; ++i)
                ++run;
            const bool quote = i < line.size() && line[i] == '"';
            word.append(quote ? run / 2 : run, '\\');
            if (quote && run % 2 == 1) {
                word += '"';
                ++i;
            }
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        else
            word += c;
        ++i;
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// The commands shown on standard error: continuation lines (" \") joined, each command a
// line that starts with a tab. A quoted newline belongs to its word, so a command ends at
// the first newline outside quotes.
inline Strings PrintedCommands(std::string text)
{
    for (std::size_t at; (at = text.find(" \\\n")) != std::string::npos;)
        text.replace(at, 3, " ");
    Strings commands;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        bool quoted = false;
        for (std::size_t backslashes = 0; end < text.size() && (quoted || text[end] != '\n'); ++end) {
            if (text[end] == '"' && backslashes % 2 == 0)
                quoted = !quoted;
            backslashes = text[end] == '\\' ? backslashes + 1 : 0;
        }
        if (text[i] == '\t')
            commands.push_back(text.substr(i + 1, end - i - 1));
        i = end + 1;
    }
    return commands;
}

// The words of the main driver's command among those shown ({} when there is none).
inline Strings MainCommand(const std::string& err)
{
    for (const std::string& command : PrintedCommands(err)) {
        Strings words = SplitCommandLine(command);
        if (words.size() > 1 && words[1] == "--main")
            return words;
    }
    return {};
}

// Runs a printed command again as a user would type it: the program by its printed path.
inline Result RunWords(const Sandbox& box, Strings words, const Env& extra = {})
{
    words[0] = HostPathOf(words[0]);
    Process process(words, box.Environment(extra), box.dir());
    return process.Wait();
}

// One call recorded in TRVX_TOOL_LOG: the tool, then its arguments.
inline std::vector<Strings> ToolCalls(const std::string& log)
{
    std::vector<Strings> calls;
    for (const std::string& line : Lines(log))
        calls.push_back(SplitCommandLine(line));
    return calls;
}

// The tools called, in order.
inline Strings ToolNames(const std::vector<Strings>& calls)
{
    Strings names;
    for (const Strings& call : calls)
        names.push_back(call.empty() ? std::string() : call[0]);
    return names;
}

// The word after an option of a call ("" when absent).
inline std::string After(const Strings& call, const std::string& option)
{
    auto at = std::find(call.begin(), call.end(), option);
    return at == call.end() || at + 1 == call.end() ? std::string() : *(at + 1);
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The lines of a stand-in file that begin with a key ("source: ", "input: ", ...), with
// the key removed.
inline Strings Field(const std::string& text, const std::string& key)
{
    Strings values;
    for (const std::string& line : Lines(text)) {
        if (line.compare(0, key.size(), key) == 0)
            values.push_back(line.substr(key.size()));
    }
    return values;
}

// Temporary names: "qzr" (the main driver's) or, when `anyDriver`, "qcc" (the user
// interface driver's), four hexadecimal digits of the process id and three counter digits
// of base 36; true when one begins at a place of a text.
inline bool TemporaryStemAt(const std::string& text, std::size_t at, bool anyDriver = false)
{
    if (text.size() < at + 10 || (text.compare(at, 3, "qzr") != 0 && !(anyDriver && text.compare(at, 3, "qcc") == 0)))
        return false;
    for (std::size_t i = at + 3; i < at + 10; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= (i < at + 7 ? 'f' : 'z'))))
            return false;
    }
    return true;
}

// A temporary name of the main driver in the sandbox's TMP: TMP, a backslash, the name,
// a dot and a suffix.
inline bool IsTemporaryIn(const Sandbox& box, const std::string& name, const std::string& suffix)
{
    const std::string directory = Windows(box.tmp().string()) + "\\";
    return name.compare(0, directory.size(), directory) == 0 && TemporaryStemAt(name, directory.size()) &&
           name.substr(directory.size() + 10) == suffix;
}

// A text with every temporary name of either driver replaced by "<tmp>": the name's
// directory part goes with it (everything back to a blank, a quote or a line end),
// possibly the private directory of the user interface driver.
inline std::string WithoutTemporaryNames(const std::string& text)
{
    static const std::string Delimiters = " \"`'\n";
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (!TemporaryStemAt(text, at, true)) {
            out += text[at++];
            continue;
        }
        const std::size_t kept = out.find_last_of(Delimiters);
        out.erase(kept == std::string::npos ? 0 : kept + 1);
        out += "<tmp>";
        at += 10;
    }
    return out;
}

inline Strings WithoutTemporaryNames(Strings words)
{
    for (std::string& word : words)
        word = WithoutTemporaryNames(word);
    return words;
}

// What a run left: the sandbox's files except the home directory (where the tool log
// goes) and the temporary directory itself, so that anything left in it shows as "tmp/...".
inline Strings WorkFiles(const Sandbox& box)
{
    Strings files;
    for (const std::string& file : box.Files()) {
        if (file != "tmp" && file.substr(0, file.find('/')) != "home")
            files.push_back(file);
    }
    return files;
}

// The environment of a run that records its tool calls in home/tools.log.
inline Env Logged(const Sandbox& box, Env extra = {})
{
    extra["TRVX_TOOL_LOG"] = (box.home() / "tools.log").string();
    return extra;
}

inline std::string ToolLog(const Sandbox& box) { return box.Read("home/tools.log"); }

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A copy of the recording program under a tool's name, somewhere in the sandbox.
inline fs::path InstallRecorder(const Sandbox& box, const std::string& relative)
{
    const fs::path target = box.dir() / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(Recorder(), target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
    return target;
}

// Waits up to twenty seconds for a condition; true once it holds.
template <typename Condition>
bool WaitFor(Condition condition)
{
    for (int round = 0; round < 2000; ++round) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

} // namespace e2e::build
