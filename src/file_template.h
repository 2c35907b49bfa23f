// Template instantiation files beside each object: the instantiation request file
// (".ii") and the template information file (".ti"), which record how the object was
// compiled and which instantiations it needs; and the compiler's error file, which
// names the places to open in the editor. Companion file names come from
// InstantiationFile (file_names.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "list.h"

// Reads an instantiation request file: line 1 the command, line 2 the directory, line 3
// the source (an empty line gives nothing), then one entry a line, appended to `list`
// with no value. Each out parameter may be null. Returns 1 when the file could be
// opened, else 0 with every out value cleared.
int ReadInstantRequestFile(std::string_view fileName, std::optional<std::string>* command,
                           std::optional<std::string>* directory, std::optional<std::string>* source, List& list);
// Writes an instantiation request file; a null field is written as an empty line.
// Returns 1 when written, 0 (after a level 2 error) when the file cannot be created.
int WriteInstantRequestFile(std::string_view fileName, const std::string* command, const std::string* directory,
                            const std::string* source, const List& list);

// Reads a template information file ("key:value" lines). The "ifn:" and "flg:" lines
// are appended to `list` as (value, "ifn"/"flg") entries in file order; of the other
// keys the last line wins. Results as ReadInstantRequestFile.
int ReadTemplateInfoFile(std::string_view fileName, std::optional<std::string>* command,
                         std::optional<std::string>* directory, std::optional<std::string>* source,
                         std::optional<std::string>* instDirectory, List& list);
// Writes a template information file: the known fields in the order cmd, dir, fnm, idn,
// then each entry as its value, ":" and its name. Results as WriteInstantRequestFile.
int WriteTemplateInfoFile(std::string_view fileName, const std::string* command, const std::string* directory,
                          const std::string* source, const std::string* instDirectory, const List& list);

// Merges the entries of an existing companion file (in the format UseInstFiles
// selects) into `list` and writes the file anew with the given fields. Without an
// existing file nothing is written unless IPAMode is set. 1 on success, 0 when the
// write failed.
int UpdateInstantiationFile(std::string_view fileName, const std::string* command, const std::string* directory,
                            const std::string* source, const std::string* instDirectory, List& list);

// Turns the instantiation entries of a list into the paths of the files that their
// instantiation compile makes in `directory` (suffix by Generate, or "doj" when
// `forceObjects`); every other entry goes. Only template information entries (with
// UseInstFiles 2) are kept; otherwise the list ends up empty.
void ProcessTemplateInfoList(std::string_view directory, List& list, bool forceObjects);

// Reads the compiler's error file (an option file of kind, file, line triples) and
// appends (file, line) for each record to edit. Returns the number of entries in
// `result`; 0 when the file does not exist or is a directory.
int ReadErrorFile(std::string_view fileName, List& result);
