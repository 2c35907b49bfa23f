#include "file_match.h"

#include <cctype>
#include <vector>

#include "cctrvx/globals.h"
#include "dstring.h"
#include "args.h"
#include "file_names.h"
#include "file_temp.h"
#include "host/host.h"

namespace {

constexpr std::size_t NoMatch = std::string_view::npos;

bool HasWildcard(std::string_view component)
{
    return component.find_first_of("[*?") != std::string_view::npos;
}

// Matches the one-character element of the pattern at `p` (anything but "*") against
// `c`. Returns the position after the element, or NoMatch. A set that is empty or not
// closed matches nothing. Ranges compare character codes as unsigned values.
std::size_t MatchElement(std::string_view pattern, std::size_t p, char c)
{
    if (pattern[p] == '?')
        return p + 1;
    if (pattern[p] != '[')
        return pattern[p] == c ? p + 1 : NoMatch;

    std::size_t i = p + 1;
    bool negated = false;
    if (i < pattern.size() && pattern[i] == '!') {
        negated = true;
        ++i;
    }
    if (i < pattern.size() && pattern[i] == ']')
        return NoMatch;
    const auto code = static_cast<unsigned char>(c);
    bool member = false;
    for (;;) {
        if (i >= pattern.size())
            return NoMatch;
        if (pattern[i] == ']')
            break;
        const auto low = static_cast<unsigned char>(pattern[i]);
        if (i + 1 < pattern.size() && pattern[i + 1] == '-') {
            // The character after the "-" is the upper end, even a "]".
            if (i + 2 >= pattern.size())
                return NoMatch;
            const auto high = static_cast<unsigned char>(pattern[i + 2]);
            if (low <= code && code <= high)
                member = true;
            i += 3;
        } else {
            if (low == code)
                member = true;
            ++i;
        }
    }
    return member == negated ? NoMatch : i + 1;
}

// Kinds as bits of a mask.
constexpr unsigned Bit(int kind)
{
    return 1u << kind;
}

constexpr unsigned SourceKinds = Bit(FILE_C) | Bit(FILE_CXX);
constexpr unsigned CompiledKinds = SourceKinds | Bit(FILE_INTERMEDIATE) | Bit(FILE_PREPROCESSED);
constexpr unsigned AssembledKinds = CompiledKinds | Bit(FILE_ASSEMBLER);

// The input kinds each output kind is made from, by output kind.
constexpr unsigned RequiredKinds[] = {
    CompiledKinds,                                                       // OUTPUT_NONE
    SourceKinds,                                                         // OUTPUT_FILE_LIST
    SourceKinds,                                                         // OUTPUT_C
    SourceKinds | Bit(FILE_ASSEMBLER),                                   // OUTPUT_PREPROCESSED
    CompiledKinds,                                                       // OUTPUT_ASSEMBLER
    AssembledKinds,                                                      // OUTPUT_OBJECT
    AssembledKinds | Bit(FILE_OBJECT),                                   // OUTPUT_LIBRARY
    AssembledKinds | Bit(FILE_OBJECT) | Bit(FILE_LIBRARY) | Bit(FILE_DLL), // OUTPUT_DLL
    AssembledKinds | Bit(FILE_OBJECT) | Bit(FILE_LIBRARY),               // OUTPUT_RELOCATABLE
    AssembledKinds | Bit(FILE_OBJECT) | Bit(FILE_LIBRARY) | Bit(FILE_DLL), // OUTPUT_EXECUTABLE
};
static_assert(sizeof RequiredKinds / sizeof RequiredKinds[0] == OUTPUT_EXECUTABLE + 1);

// How early a kind enters the tool chain: 1 earliest, 8 latest, 0 for kinds without a
// place in it.
int SourceRank(int kind)
{
    switch (kind) {
    case FILE_UNRECOGNIZED:
        return 1;
    case FILE_CXX:
        return 2;
    case FILE_C:
        return 3;
    case FILE_INTERMEDIATE:
    case FILE_PREPROCESSED:
        return 4;
    case FILE_ASSEMBLER:
        return 5;
    case FILE_OBJECT:
        return 6;
    case FILE_LIBRARY:
    case FILE_DLL:
        return 7;
    case FILE_NONE:
    case FILE_EXECUTABLE:
        return 8;
    default:
        return 0;
    }
}

} // namespace

int FileExpand(std::string_view pattern, List& list)
{
    std::string copy(pattern);
    FilterPath(copy);
    std::string path;
    FileGlob(path, 0, std::string_view(copy), list);
    if (!list.empty())
        ArgSort(list, CompareIgnoringCase);
    return static_cast<int>(list.count);
}

void FileGlob(std::string& path, std::size_t position, std::optional<std::string_view> pattern, List& list)
{
    path.resize(position);
    if (!pattern) {
        ArgAddTail(list, path);
        return;
    }
    std::string_view rest = *pattern;

    if (position == 0) {
        if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
            path.append(rest.substr(0, 2));
            rest.remove_prefix(2);
        }
        if (!rest.empty() && rest[0] == '\\')
            path += '\\';
    } else {
        path += '\\';
    }
    // The directory searched at this level: the path so far, the current directory when
    // it is still empty.
    const std::string directory = path;

    if (!rest.empty() && rest[0] == '\\')
        rest.remove_prefix(1);
    const std::size_t split = rest.find('\\');
    const std::string_view component = rest.substr(0, split);
    std::optional<std::string_view> remainder;
    if (split != std::string_view::npos)
        remainder = rest.substr(split + 1);

    if (!HasWildcard(component)) {
        // Taken as it is, without looking whether it exists.
        path.append(component);
        FileGlob(path, path.size(), remainder, list);
        return;
    }

    const std::optional<std::vector<std::string>> entries = HostListDirectory(directory);
    if (!entries)
        return;
    const std::size_t start = path.size();
    const bool dotNames = component.front() == '.';
    for (const std::string& entry : *entries) {
        if (!dotNames && (entry == "." || entry == ".."))
            continue;
        if (!FileMatch(entry, component))
            continue;
        path.resize(start);
        path.append(entry);
        FileGlob(path, path.size(), remainder, list);
    }
}

int FileMatch(std::string_view name, std::string_view pattern)
{
    // Elements other than "*" match exactly one character, so on a mismatch it is enough
    // to let the last "*" take one more character and go on from there: earlier stars
    // never need to be revisited. This keeps the work within name length times pattern
    // length, however many stars there are.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = NoMatch; // the element after the last "*"
    std::size_t starName = 0;          // where the text taken by that "*" ends
    for (;;) {
        if (p < pattern.size() && pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*')
                ++p;
            if (p == pattern.size())
                return 1;
            starPattern = p;
            starName = n;
            continue;
        }
        if (p == pattern.size()) {
            if (n == name.size())
                return 1;
        } else if (n < name.size()) {
            const std::size_t next = MatchElement(pattern, p, name[n]);
            if (next != NoMatch) {
                p = next;
                ++n;
                continue;
            }
        }
        if (starPattern == NoMatch || starName >= name.size())
            return 0;
        n = ++starName;
        p = starPattern;
    }
}

int FileRequired(std::string_view file, int outputKind)
{
    const bool linkItem = !file.empty() && (file.front() == '-' || file.front() == '+');
    const int kind = linkItem ? FILE_LIBRARY : FileKindOf(file);
    if (kind == FILE_UNRECOGNIZED)
        return 1;
    if (kind == FILE_NONE || kind == FILE_EXECUTABLE)
        return 0;
    if (outputKind < OUTPUT_NONE || outputKind > OUTPUT_EXECUTABLE)
        return 0;
    return (RequiredKinds[outputKind] & Bit(kind)) != 0 ? 1 : 0;
}

int HigherSource(int a, int b)
{
    const int rankA = SourceRank(a);
    if (rankA == 0 || rankA == 8)
        return 0;
    // A kind without a rank never counts as lower.
    return SourceRank(b) > rankA ? 1 : 0;
}
