// Temporary files, the deletion list, the environment record, path handling and the
// searches along directory lists.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "args.h"
#include "list.h"

// The private temporary directory once it has been made.
extern std::optional<std::string> TempDir;
// Files to delete at exit, newest first. Change it only through DelFileAdd and
// DelFileRemove, which keep it consistent for the interrupt path.
extern List DelFileList;
// The environment variables and registry values consulted, as (name, value); no value
// when unset.
extern List EnvironList;

// The next temporary file name (no directory): TempPrefix, four hexadecimal digits of
// the process id, three base-36 digits of a counter, and "." and the suffix when given.
std::string FileTemp(const char* suffix);
// In a job started by this driver: the deletion list and the private temporary
// directory stay with the driver, and temporary names are drawn anew for this process.
void FileTempNewProcess();
// A temporary name in the temporary directory that names no existing file yet, drawn
// until one is free.
std::string FreeTempFile(const char* suffix);
// Makes the private temporary directory inside LOC_TEMP and makes it LOC_TEMP.
void FileTempDir();
// Makes sure `path` names no existing file, drawing new temporary names with the same
// suffix while it does, and puts it on the deletion list (not in a dry run).
void CheckTempFile(std::string& path);
// Deletes every file of the deletion list (with the companion files of objects) and the
// private temporary directory. Registered to run at exit.
void DeleteTempFiles();
// Puts a name at the head of the deletion list / takes its first occurrence off.
void DelFileAdd(std::string_view name);
void DelFileRemove(std::string_view name);

// Records an environment variable or registry value; the first record of a name wins.
void EnvironRecord(std::string_view name, OptValue value);

// The pieces joined with backslashes (none after a colon or an empty text), then
// normalised with FilterPath.
std::string BuildPath(std::initializer_list<std::string_view> pieces);
// Normalises separators in place and returns the path.
std::string& FilterPath(std::string& path);
// The path with "." and ".." components simplified; a relative path starts with ".".
std::string CompressPath(std::string_view path);
// The normalised value of PATH (records it; warns when it is unset).
std::string GetPathVar();
// The first candidate along a ";"-separated list that is an executable file.
std::optional<std::string> FindPathVar(std::string_view program, std::string_view pathList);
// The first existing candidate of a name along a list of directories; never for
// absolute names, nor for ".\" and "..\" names unless `allowRelative`.
std::optional<std::string> FindFile(const List& directories, std::string_view name, bool allowRelative);
// The first existing library file "lib<name>.dlb" along a list of directories.
std::optional<std::string> FindLibrary(const List& directories, std::string_view library, bool allowDynamic);
