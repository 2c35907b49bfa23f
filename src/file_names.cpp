#include "file_names.h"

#include <cctype>
#include <cstdint>

#include "cctrvx/globals.h"
#include "dstring.h"
#include "error.h"
#include "file_temp.h"

const FileSuffixEntry FileSuffixTable[] = {
    {"opt", FILE_OPTIONS},
    {"c", FILE_C},
    {"idl", FILE_C},
    {"h", FILE_C_HEADER},
    {"ic", FILE_INTERMEDIATE},
    {"i", FILE_PREPROCESSED},
    {"cpp", FILE_CXX},
    {"cc", FILE_CXX},
    {"cxx", FILE_CXX},
    {"c++", FILE_CXX},
    {"hpp", FILE_CXX_HEADER},
    {"hh", FILE_CXX_HEADER},
    {"hxx", FILE_CXX_HEADER},
    {"h++", FILE_CXX_HEADER},
    {"s", FILE_ASSEMBLER},
    {"asm", FILE_ASSEMBLER},
    {"dsp", FILE_ASSEMBLER},
    {"DSP", FILE_ASSEMBLER},
    {"is", FILE_ASSEMBLER},
    {"us", FILE_ASSEMBLER},
    {"doj", FILE_OBJECT},
    {"obj", FILE_OBJECT},
    {"o", FILE_OBJECT},
    {"dlb", FILE_LIBRARY},
    {"dxe", FILE_EXECUTABLE},
    {"exe", FILE_EXECUTABLE},
    {"pgo", FILE_PROFILE},
    {"", FILE_UNRECOGNIZED},
};

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == ':';
}

// True when the dot at `dot` begins a version component: one or more decimal digits,
// then another dot or the end of the name.
bool BeginsVersion(std::string_view name, std::size_t dot)
{
    std::size_t i = dot + 1;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])))
        ++i;
    return i > dot + 1 && (i == name.size() || name[i] == '.');
}

// Where the trailing run of version components of a name starts (its length when
// there is none). Only the file-name part is looked at.
std::size_t VersionStart(std::string_view name)
{
    std::size_t start = name.size();
    while (true) {
        std::size_t dot = name.find_last_of(".\\:", start == 0 ? std::string_view::npos : start - 1);
        if (start == 0 || dot == std::string_view::npos || name[dot] != '.')
            return start;
        std::string_view digits = name.substr(dot + 1, start - dot - 1);
        if (digits.empty())
            return start;
        for (char c : digits) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return start;
        }
        start = dot;
    }
}

// Where the file-name part of a name starts.
std::size_t NameStart(std::string_view name)
{
    std::size_t separator = name.find_last_of("\\:");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

} // namespace

std::string_view FileSuffix(std::string_view name)
{
    for (std::size_t i = name.size(); i-- > 0;) {
        char c = name[i];
        if (IsSeparator(c))
            break;
        if (c == '.' && !BeginsVersion(name, i))
            return name.substr(i + 1);
    }
    return name.substr(name.size());
}

int FileExtension(std::string_view suffix)
{
    if (suffix.empty())
        return FILE_NONE;
    std::string_view text = suffix.substr(0, suffix.find('.'));
    for (const FileSuffixEntry* entry = FileSuffixTable; entry->suffix[0]; ++entry) {
        if (EqualsIgnoringCase(text, entry->suffix))
            return entry->kind;
    }
    return FILE_UNRECOGNIZED;
}

const char* StandardSuffix(int kind)
{
    for (const FileSuffixEntry* entry = FileSuffixTable; entry->suffix[0]; ++entry) {
        if (entry->kind == kind)
            return entry->suffix;
    }
    return "";
}

std::string_view FileName(std::string_view path)
{
    return path.substr(NameStart(path));
}

std::string FileBase(std::string_view path)
{
    std::string_view name = FileName(path);
    std::string_view suffix = FileSuffix(name);
    if (suffix.empty())
        return std::string(name);
    return std::string(name.substr(0, name.size() - suffix.size() - 1));
}

std::string FilePath(std::string_view path)
{
    std::string directory(path.substr(0, NameStart(path)));
    FilterPath(directory);
    return directory;
}

int RemSuffix(DString& name, std::uint32_t* position)
{
    std::string_view text = name.view();
    const std::size_t versions = VersionStart(text);
    std::string tail(text.substr(versions));
    const std::size_t start = NameStart(text.substr(0, versions));
    const std::size_t dot = text.substr(0, versions).find_last_of('.');
    const bool found = dot != std::string_view::npos && dot >= start;
    RemChars(name, name.len - static_cast<std::uint32_t>(found ? dot : versions));
    if (position)
        *position = name.len;
    AddChars(name, tail);
    return found ? 1 : 0;
}

int AddSuffix(DString& name, std::string_view suffix, std::uint32_t position)
{
    if (suffix.empty() || suffix == "." || suffix.substr(0, 2) == "..")
        return 0;
    std::string_view bare = suffix[0] == '.' ? suffix.substr(1) : suffix;
    if (position > 0 && position <= name.len && (position == name.len || name.str[position] == '.')) {
        std::string kept(name.view().substr(position));
        RemChars(name, name.len - position);
        if (name.len == 0 || name.str[name.len - 1] != '.')
            AddChar(name, '.');
        AddChars(name, bare);
        AddChars(name, kept);
        return 1;
    }
    const std::size_t versions = VersionStart(name.view());
    std::string tail(name.view().substr(versions));
    RemChars(name, name.len - static_cast<std::uint32_t>(versions));
    if (name.len == 0 || name.str[name.len - 1] != '.')
        AddChar(name, '.');
    AddChars(name, bare);
    if (name.len > 0 && name.str[name.len - 1] == '.')
        RemChar(name);
    AddChars(name, tail);
    return 1;
}

const char* OutputWord(int outputKind)
{
    static const char* const words[] = {"",       "file list", "C",       "preprocessor",         "assembler",
                                        "object", "library",   "dynamic link library", "relocatable object", "executable"};
    return outputKind >= 0 && outputKind <= OUTPUT_EXECUTABLE ? words[outputKind] : "";
}

int OutputFileKind(int outputKind)
{
    static const int kinds[] = {FILE_NONE,   FILE_NONE,    FILE_INTERMEDIATE, FILE_PREPROCESSED, FILE_ASSEMBLER,
                                FILE_OBJECT, FILE_LIBRARY, FILE_DLL,          FILE_OBJECT,       FILE_EXECUTABLE};
    return outputKind >= 0 && outputKind <= OUTPUT_EXECUTABLE ? kinds[outputKind] : FILE_NONE;
}

int OutputSuffix(DString& name, int outputKind)
{
    if (outputKind == OUTPUT_NONE) {
        Error(LEVEL_WARNING, "Ignoring output file `%s' - not required", name.str);
        RemChars(name, name.len);
        return 0;
    }
    std::uint32_t position = 0;
    std::string suffix(FileSuffix(name.view()));
    int kind = FileExtension(suffix);
    if (!suffix.empty()) {
        if (outputKind == OUTPUT_FILE_LIST) {
            while (kind != FILE_NONE && kind != FILE_UNRECOGNIZED) {
                Error(LEVEL_WARNING, "Ignoring bad suffix `.%s' for file list `%s'", suffix.c_str(), name.str);
                RemSuffix(name);
                suffix = FileSuffix(name.view());
                kind = FileExtension(suffix);
            }
            return 1;
        }
        if (kind != OutputFileKind(outputKind)) {
            Error(LEVEL_WARNING, "Ignoring bad suffix `.%s' for %s output file `%s'", suffix.c_str(),
                  OutputWord(outputKind), name.str);
            RemSuffix(name, &position);
            suffix.clear();
        }
    }
    const char* standard = StandardSuffix(OutputFileKind(outputKind));
    if (suffix.empty() && outputKind != OUTPUT_FILE_LIST && standard[0]) {
        Error(LEVEL_WARNING, "Adding new suffix `.%s' to %s output file `%s'", standard, OutputWord(outputKind),
              name.str);
        AddSuffix(name, standard, position);
    }
    return 1;
}

std::string FileTarget(std::string_view source, const char* suffix, int mode)
{
    if (mode == 0)
        return BuildPath({FileLocs[LOC_TEMP].view(), FileTemp(suffix)});
    DString name;
    AddChars(name, FileName(source));
    std::uint32_t position = 0;
    RemSuffix(name, &position);
    if (suffix)
        AddSuffix(name, suffix, position);
    if (mode == 2)
        return BuildPath({FileLocs[LOC_TEMP].view(), name.view()});
    if (FileLocs[LOC_OUTPUT_DIR].len > 0)
        return BuildPath({FileLocs[LOC_OUTPUT_DIR].view(), name.view()});
    return std::string(name.view());
}

std::string InstantiationFile(std::string_view object, std::string_view suffix)
{
    DString name;
    AddChars(name, object);
    std::uint32_t position = 0;
    RemSuffix(name, &position);
    AddSuffix(name, suffix, position);
    return std::string(name.view());
}

int NumberOfDigits(long number)
{
    if (number == 0)
        return 1;
    int digits = number < 0 ? 2 : 1;
    for (unsigned long n = number < 0 ? 0UL - static_cast<unsigned long>(number) : static_cast<unsigned long>(number);
         n > 0; n /= 10)
        ++digits;
    return digits;
}
