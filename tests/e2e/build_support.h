// Helpers of the build engine's black-box tests: main driver command lines written the
// way "cctrvx -dryrun" prints them, the commands printed on standard error, the calls
// recorded by the stand-in tools, and the lines of the files they write.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e::build {

using Strings = std::vector<std::string>;

// A host path written the way the driver prints it: backslash separators.
inline std::string Windows(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline std::string Image()
{
    return Windows(InstallImage());
}

// The component paths, as the user interface driver hands them to the main driver.
inline std::string CompilerPath() { return Image() + "\\Tarvex\\etc\\compiler.exe"; }
inline std::string LibrarianPath() { return Image() + "\\librarian.exe"; }

// A main driver command line: the words that name the components and the implementation
// model, then the words of the case.
inline Strings MainLine(const Strings& words)
{
    const std::string image = Image();
    Strings line = {
        "--main",
        "--CIM2s",
        "--CCIM1",
        "--option_file", image + "\\Tarvex\\etc\\cctrvx_driver.def",
        "--COMPP_fe", image + "\\Tarvex\\etc\\compiler.exe",
        "--COMPP_fe_asm", image + "\\easmtrvx.exe",
        "--COMPP_pl", image + "\\Tarvex\\etc\\prelinker.exe",
        "--COMPP_pl_ipa", image + "\\Tarvex\\etc\\ipa.exe",
        "--COMPP_ln", image + "\\linker.exe",
        "--COMPP_ln_ar", image + "\\librarian.exe",
        "--COMPP_ln_exe2", image + "\\mem63k.exe",
    };
    line.insert(line.end(), words.begin(), words.end());
    return line;
}

// Splits a command line by the Windows convention: blanks separate words outside double
// quotes; backslashes are literal unless a quote follows them, where each pair gives one
// backslash and an odd one escapes the quote.
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
            while (i < line.size() && line[i] == '\\') {
                ++run;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                word.append(run / 2, '\\');
                if (run % 2 == 1) {
                    word += '"';
                    ++i;
                }
            } else {
                word.append(run, '\\');
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

// The commands shown on standard error (a tab, the command, wrapped lines continued with
// " \"), one string each, joined again.
inline Strings PrintedCommands(const std::string& err)
{
    std::string text = err;
    for (std::size_t at; (at = text.find(" \\\n")) != std::string::npos;)
        text.replace(at, 3, " ");
    Strings commands;
    for (const std::string& line : Lines(text)) {
        if (!line.empty() && line[0] == '\t')
            commands.push_back(line.substr(1));
    }
    return commands;
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

// Temporary names of the main driver: "qzr", four hexadecimal digits of the process id and
// three counter digits; true when one begins at a place of a text.
inline bool TemporaryStemAt(const std::string& text, std::size_t at)
{
    if (text.compare(at, 3, "qzr") != 0 || text.size() < at + 10)
        return false;
    for (std::size_t i = at + 3; i < at + 10; ++i) {
        const char c = text[i];
        const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= (i < at + 7 ? 'f' : 'z'));
        if (!digit)
            return false;
    }
    return true;
}

inline bool IsTemporary(const std::string& name)
{
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (TemporaryStemAt(name, at))
            return true;
    }
    return false;
}

// A temporary name of the main driver in the sandbox's TMP: TMP, a backslash, the name,
// a dot and a suffix.
inline bool IsTemporaryIn(const Sandbox& box, const std::string& name, const std::string& suffix)
{
    const std::string directory = Windows(box.tmp().string()) + "\\";
    if (name.compare(0, directory.size(), directory) != 0 || !TemporaryStemAt(name, directory.size()))
        return false;
    const std::string rest = name.substr(directory.size() + 10);
    return rest == suffix && rest.size() > 1 && rest[0] == '.' &&
           std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// A text with every temporary name replaced by "<tmp>": the name's directory part goes
// with it (everything back to a blank, a quote or a line end), possibly the private
// directory of the user interface driver.
inline std::string WithoutTemporaryNames(const std::string& text)
{
    static const std::string Delimiters = " \"`'\n";
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (!TemporaryStemAt(text, at)) {
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

// What a run left in the working directory: the sandbox's files and directories except
// the home directory (where the tool log goes) and the temporary directory.
inline Strings WorkFiles(const Sandbox& box)
{
    Strings files;
    for (const std::string& file : box.Files()) {
        const std::string top = file.substr(0, file.find('/'));
        if (top != "home" && top != "tmp")
            files.push_back(file);
    }
    return files;
}

// The environment of a run that records its tool calls in home/tools.log.
inline std::map<std::string, std::string> Logged(const Sandbox& box, std::map<std::string, std::string> extra = {})
{
    extra["TRVX_TOOL_LOG"] = (box.home() / "tools.log").string();
    return extra;
}

inline std::string ToolLog(const Sandbox& box)
{
    return box.Read("home/tools.log");
}

} // namespace e2e::build
