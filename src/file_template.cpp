#include "file_template.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_names.h"
#include "file_optfile.h"
#include "file_system.h"
#include "file_temp.h"
#include "host/host.h"

namespace {

// The lines of a companion file, or nothing when it cannot be opened. A directory
// counts as a file that cannot be opened. Each line loses its newline and a carriage
// return before it (files written on a host with CR LF line ends read the same), and
// ends at a NUL character, since the names it gives are C strings everywhere else. The
// last line may lack its newline. A read error is reported like a failed close.
std::optional<std::vector<std::string>> ReadLines(std::string_view fileName)
{
    if (FileDirectory(fileName))
        return std::nullopt;
    const std::optional<std::string> contents = FileContents(fileName, false);
    if (!contents)
        return std::nullopt;
    const std::string& text = *contents;

    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos)
            line = line.substr(0, nul);
        lines.emplace_back(line);
        start = next;
    }
    return lines;
}

void Clear(std::optional<std::string>* out)
{
    if (out)
        out->reset();
}

// Stores a field read from a file; an empty text gives nothing.
void Store(std::optional<std::string>* out, std::string_view text)
{
    if (!out)
        return;
    if (text.empty())
        out->reset();
    else
        out->emplace(text);
}

// Opens a companion file for writing; reports a failure (level 2).
FILE* Create(const std::string& name)
{
    FILE* file = HostOpenFile(name, "w");
    if (!file)
        Error(LEVEL_CLIB, name);
    return file;
}

// Closes a written file; a failure is reported but does not change the result.
void Close(FILE* file, const std::string& name)
{
    if (std::fclose(file) != 0)
        Error(LEVEL_CLIB, name);
}

void WriteField(FILE* file, const char* format, const std::string* value)
{
    if (value)
        std::fprintf(file, format, value->c_str());
}

constexpr std::string_view KeyCommand = "cmd:";
constexpr std::string_view KeyDirectory = "dir:";
constexpr std::string_view KeySource = "fnm:";
constexpr std::string_view KeyInstDirectory = "idn:";
constexpr std::string_view KeyInstantiation = "ifn:";
constexpr std::string_view KeyFlag = "flg:";
// Every key is three letters and a colon.
constexpr std::size_t KeySize = 4;

} // namespace

int ReadInstantRequestFile(std::string_view fileName, std::optional<std::string>* command,
                           std::optional<std::string>* directory, std::optional<std::string>* source, List& list)
{
    Clear(command);
    Clear(directory);
    Clear(source);
    std::optional<std::vector<std::string>> lines = ReadLines(fileName);
    if (!lines)
        return 0;
    // Positions are fixed: the first three lines are the fields even when empty.
    for (std::size_t i = 0; i < lines->size(); ++i) {
        const std::string& line = (*lines)[i];
        switch (i) {
        case 0:
            Store(command, line);
            break;
        case 1:
            Store(directory, line);
            break;
        case 2:
            Store(source, line);
            break;
        default:
            if (!line.empty())
                ArgAddTail(list, line);
            break;
        }
    }
    return 1;
}

int WriteInstantRequestFile(std::string_view fileName, const std::string* command, const std::string* directory,
                            const std::string* source, const List& list)
{
    const std::string name(fileName);
    FILE* file = Create(name);
    if (!file)
        return 0;
    for (const std::string* field : {command, directory, source})
        std::fprintf(file, "%s\n", field ? field->c_str() : "");
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        std::fprintf(file, "%s\n", arg->name.c_str());
    Close(file, name);
    return 1;
}

int ReadTemplateInfoFile(std::string_view fileName, std::optional<std::string>* command,
                         std::optional<std::string>* directory, std::optional<std::string>* source,
                         std::optional<std::string>* instDirectory, List& list)
{
    Clear(command);
    Clear(directory);
    Clear(source);
    Clear(instDirectory);
    std::optional<std::vector<std::string>> lines = ReadLines(fileName);
    if (!lines)
        return 0;
    for (const std::string& text : *lines) {
        // A key with an empty value carries nothing.
        if (text.size() <= KeySize)
            continue;
        const std::string_view line(text);
        const std::string_view key = line.substr(0, KeySize);
        const std::string_view value = line.substr(KeySize);
        if (key == KeyCommand)
            Store(command, value);
        else if (key == KeyDirectory)
            Store(directory, value);
        else if (key == KeySource)
            Store(source, value);
        else if (key == KeyInstDirectory)
            Store(instDirectory, value);
        else if (key == KeyInstantiation || key == KeyFlag)
            ArgAddTail(list, value, key.substr(0, key.size() - 1));
    }
    return 1;
}

int WriteTemplateInfoFile(std::string_view fileName, const std::string* command, const std::string* directory,
                          const std::string* source, const std::string* instDirectory, const List& list)
{
    const std::string name(fileName);
    FILE* file = Create(name);
    if (!file)
        return 0;
    WriteField(file, "cmd:%s\n", command);
    WriteField(file, "dir:%s\n", directory);
    WriteField(file, "fnm:%s\n", source);
    WriteField(file, "idn:%s\n", instDirectory);
    // Each entry keeps its key; an entry without one is written with an empty key, which
    // no reader takes up.
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        std::fprintf(file, "%s:%s\n", ArgValue(arg) ? ArgValue(arg) : "", arg->name.c_str());
    Close(file, name);
    return 1;
}

int UpdateInstantiationFile(std::string_view fileName, const std::string* command, const std::string* directory,
                            const std::string* source, const std::string* instDirectory, List& list)
{
    const bool templateInfo = UseInstFiles == 2;
    const int read = templateInfo ? ReadTemplateInfoFile(fileName, nullptr, nullptr, nullptr, nullptr, list)
                                  : ReadInstantRequestFile(fileName, nullptr, nullptr, nullptr, list);
    if (!read && IPAMode == 0)
        return 1;
    return templateInfo ? WriteTemplateInfoFile(fileName, command, directory, source, instDirectory, list)
                        : WriteInstantRequestFile(fileName, command, directory, source, list);
}

void ProcessTemplateInfoList(std::string_view directory, List& list, bool forceObjects)
{
    const char* suffix = nullptr;
    if (Generate == GENERATE_OBJECT || forceObjects)
        suffix = StandardSuffix(FILE_OBJECT);
    else if (Generate == GENERATE_ASSEMBLER)
        suffix = StandardSuffix(FILE_ASSEMBLER);
    else if (Generate == GENERATE_C)
        suffix = StandardSuffix(FILE_INTERMEDIATE);

    Arg* arg = ArgFirst(list);
    while (arg) {
        Arg* next = ArgNext(arg);
        if (UseInstFiles != 2 || !arg->value || *arg->value != "ifn") {
            ArgRemove(list, arg);
        } else {
            std::string file = arg->name;
            if (suffix) {
                file += '.';
                file += suffix;
            }
            arg->name = BuildPath({directory, file});
            arg->value.reset();
        }
        arg = next;
    }
}

int ReadErrorFile(std::string_view fileName, List& result)
{
    if (!FileExists(fileName) || FileDirectory(fileName))
        return 0;
    const std::vector<std::string> words = FileRead(fileName, nullptr);
    const std::string* lastFile = nullptr;
    const std::string* lastLine = nullptr;
    // A trailing incomplete triple is left alone.
    for (std::size_t i = 0; i + 3 <= words.size(); i += 3) {
        const std::string& kind = words[i];
        const std::string& file = words[i + 1];
        const std::string& line = words[i + 2];
        const bool repeated = lastFile && *lastFile == file && *lastLine == line;
        lastFile = &file;
        lastLine = &line;
        if (kind != "C" && kind != "E")
            continue;
        if (file.empty() || file == "-" || line == "0" || repeated)
            continue;
        ArgAddTail(result, file, line);
    }
    return static_cast<int>(result.count);
}
