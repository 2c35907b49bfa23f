// Wildcards and source matching: expanding a wildcard path into the existing files that
// match it, matching one name against a pattern, deciding whether an input takes part in
// an output kind, and ranking input kinds by how early they enter the tool chain.
//
// Patterns: "?" matches one character, "*" any run of characters (none included), "[set]"
// one character of the set and "[!set]" one not in it, where "x-y" is a range by
// character code; every other character matches itself, case significant.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "list.h"

// Appends every existing path that matches the pattern (a Windows path whose components
// may hold wildcards) to `list`, sorts the whole list by name ignoring case and returns
// its entry count. A pattern without wildcards yields itself, existing or not.
int FileExpand(std::string_view pattern, List& list);
// One level of the expansion: `path` up to `position` is the path built so far; `pattern`
// is what is left of the pattern, nothing when it is used up.
void FileGlob(std::string& path, std::size_t position, std::optional<std::string_view> pattern, List& list);
// 1 when the whole name matches the whole pattern, else 0.
int FileMatch(std::string_view name, std::string_view pattern);
// 1 when a file (a name beginning with "-" or "+" is a link item) is an input for the
// output kind, else 0. Files of unrecognised kind are always passed on.
int FileRequired(std::string_view file, int outputKind);
// 1 when kind `a` enters the tool chain strictly earlier than kind `b`, else 0.
int HigherSource(int a, int b);
