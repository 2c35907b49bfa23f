// Option files: turning text into words with the quoting, comments, variables and the
// deferred part after a '|'; writing an argument list that reads back as the same
// words; wrapping long lines; the forced-include header; key-value description files.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "list.h"

// The whole contents of a file. A file that cannot be opened gives nothing, reported
// (level 2) when `reportOpenFailure` is set; a read or close failure is reported and
// what was read is returned.
std::optional<std::string> FileContents(std::string_view fileName, bool reportOpenFailure);

// Reads an option file into words; the words switched away by a '|' go to `deferred`
// (when not null). A file that cannot be opened is an error (level 2) and gives no words.
std::vector<std::string> FileRead(std::string_view fileName, List* deferred);
// The same word rules on a string, without comments, variables, line numbers or quote
// errors.
std::vector<std::string> FileReadString(std::string_view text, List* deferred);
// FileReadString of an environment variable's value (recorded in EnvironList); no words
// when it is unset or empty.
std::vector<std::string> FileReadVar(const char* variable, List* deferred);
// Reads a key-value description file into (key, token) entries; returns their number.
int FileReadSDE(std::string_view fileName, List& result);
// Writes an argument list as an option file that reads back as the same words, after a
// header line naming the kind of options, the program and its version. 1 when written.
int FileWrite(std::string_view fileName, const List& list, const char* kind, const char* program,
              const char* version);
// Writes one "#include" line per forced-include header (LIST_PREINCLUDES), emptying
// the list. 1 when written.
int FileWriteHeaders(std::string_view fileName);
// Writes a text broken into lines before column 72, between words outside quotes.
void FileWrap(FILE* stream, std::string_view text, int column, bool continuation);
