// File-system queries and operations: existence, type and time tests, writability of an
// output, same-file tests, duplicate inputs, removal and creation, directory changes,
// copying and moving, the help viewer and the editor, and the environment listing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "list.h"

// The status of a name; when the query fails for a name that begins with two
// backslashes it is tried again with a backslash appended (a network share root).
struct HostFileStatus;
bool win_stat(std::string_view path, HostFileStatus& status);

int FileExists(std::string_view path);
int FileDirectory(std::string_view path);
// Modification time in seconds; 0 when the file does not exist.
long long FileTime(std::string_view path);
// One character for the type of a file: "-" regular, "d" directory, "c" character
// device, "p" pipe, "?" anything else.
char FileType(const HostFileStatus& status);
// Nine characters "rwxrwxrwx" with "-" where a permission is missing.
std::string FilePermissions(unsigned permissions);
// Nonzero when a file of that name may be created or overwritten; reports why not.
int FileWritable(std::string_view path);
// Classification of a program file: 1 an executable to start directly, 0 none, -1 a
// script (the interpreter goes to `interpreter`, its arguments to `arguments`), -2 a
// link file (its target goes to `interpreter`).
int FileExecutable(std::string_view path, std::string* interpreter = nullptr, List* arguments = nullptr);
// Nonzero when both names are the same file of the host.
int FileSame(std::string_view first, std::string_view second);
// The full path of a name: the starting directory joined to a relative name,
// simplified; nothing when it cannot be made.
std::optional<std::string> FileFullPath(std::string_view path);
// Removes later duplicates of the input files, with warnings naming them by `word`.
void FileDuplicates(List& files, const char* word);
// Removes a file, or a directory with everything in it; nothing when it does not exist.
void FileRemove(std::string_view path);
// The same, but a file that cannot be removed is reported and the removal goes on (for
// the exit handler, which must not end the program again).
void FileRemoveQuietly(std::string_view path);
// Removes a directory tree depth first (a non-directory through FileRemove).
void DirRemove(std::string_view path);
// Creates a directory unless it already is one.
void MakeDirectory(std::string_view path);
// Changes the working directory (null: the starting directory).
void ChangeDirectory(const char* path);
// Shows a help file in the help viewer.
void FileHelp(std::string_view helpFile);
// Starts the user's editor at a line of a file, by the edit format ("%f", "%n", "%%").
void FileEdit(std::string_view format, std::string_view file, std::string_view line);
void FileCopy(std::string_view source, std::string_view destination);
void FileMove(std::string_view source, std::string_view destination);
// Does nothing on this host: the archiver adds members.
void AddArchiveFile(std::string_view archive, std::string_view file);
// Prints the consulted environment (EnvironList), sorted, between two rules.
void ListEnvironment();
