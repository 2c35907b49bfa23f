// File names: the suffix table, file kinds, suffix rules, output naming and the pieces
// of a path. Names are Windows paths: the backslash separates directories and a drive
// colon also ends a directory part; the forward slash is not a separator here.
#pragma once

#include <string>
#include <string_view>

#include "dstring.h"

enum FileKind : int {
    FILE_NONE = 0,
    FILE_OPTIONS = 1,
    FILE_C = 2,
    FILE_C_HEADER = 3,
    FILE_INTERMEDIATE = 4,
    FILE_PREPROCESSED = 5,
    FILE_CXX = 6,
    FILE_CXX_HEADER = 7,
    FILE_ASSEMBLER = 8,
    FILE_OBJECT = 9,
    FILE_LIBRARY = 10,
    FILE_DLL = 11,
    FILE_EXECUTABLE = 12,
    FILE_PROFILE = 13,
    FILE_UNRECOGNIZED = 14,
};

struct FileSuffixEntry {
    const char* suffix;
    int kind;
};
// The suffix table, searched in order, ended by ("", FILE_UNRECOGNIZED).
extern const FileSuffixEntry FileSuffixTable[];

// The suffix of a name: a view into it from the first character after the suffix's dot
// (trailing numeric version components included), or an empty view at its end.
std::string_view FileSuffix(std::string_view name);
// The kind of a suffix as FileSuffix returns it: FILE_NONE for an empty one, else the
// kind of the table entry equal (ignoring case) to the text before its first dot,
// FILE_UNRECOGNIZED when none is.
int FileExtension(std::string_view suffix);
// The kind of a name's suffix.
inline int FileKindOf(std::string_view name) { return FileExtension(FileSuffix(name)); }
// The standard suffix of a kind (its first table entry), or "".
const char* StandardSuffix(int kind);
// The file-name part: everything after the last backslash or colon.
std::string_view FileName(std::string_view path);
// The file-name part without its suffix (version components go with the suffix).
std::string FileBase(std::string_view path);
// The directory part (with its trailing separator), normalised by FilterPath.
std::string FilePath(std::string_view path);

// Adds a suffix (with or without its dot) at `position` or before the version
// components; 1 when added, 0 when the suffix is rejected ("", ".", "..x").
int AddSuffix(DString& name, std::string_view suffix, std::uint32_t position);
// Removes the last suffix before any version components; 1 when one was removed. The
// position where a suffix may later be inserted is stored through `position`.
int RemSuffix(DString& name, std::uint32_t* position = nullptr);
// Checks and repairs a user-given output name for an output kind, with warnings;
// 0 for OUTPUT_NONE (the name is cleared), else 1.
int OutputSuffix(DString& name, int outputKind);
// The name of a file generated from `source`: mode 0 a temporary name in the temporary
// directory, mode 1 the source's name with the suffix next to the user (in the output
// directory when one is set), mode 2 the same name in the temporary directory.
std::string FileTarget(std::string_view source, const char* suffix, int mode);
// The companion file of an object: its path with the suffix replaced by `suffix`
// (".ii", ".ti", ".opa" or ".ipa").
std::string InstantiationFile(std::string_view object, std::string_view suffix);
// A size estimate for printing a number in decimal.
int NumberOfDigits(long number);

// The word of an output kind in messages ("executable", ...).
const char* OutputWord(int outputKind);
// The file kind an output name must have for an output kind (FILE_NONE when none).
int OutputFileKind(int outputKind);
