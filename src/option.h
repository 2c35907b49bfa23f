// User options: lookup, translation and the handlers of the user interface driver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "option_table.h"

// Loads the option dictionary (OptionSymbolTable, already created) from the option table.
void LoadOptionTable();

// The canonical name and argument of a word, by the lookup rule: a word that begins
// with one of the option prefixes is that option with the rest of the word (or the next
// word) as its argument; "+x" is -999 with "-x"; "++x" is -flags-compiler with "--x".
struct CanonicalWord {
    std::string name;                     // the name looked up
    std::optional<std::string> argument;  // none when the name takes no argument
    bool consumedNext = false;            // the argument is the next word
};
CanonicalWord Canonicalize(std::string& word, const std::string* next);

// The row of an option name, or null when the name is not an option.
const OptionData* LookUpOption(const std::string& name);

// Handles one user option. `count` is the number of words left in the current source,
// this one included; `next` points at the following word, or is null when there is none.
// Returns the number of words left after the option and its argument (0 makes the
// caller stop reading the source). The word may be changed in place.
int ProcessOption(int count, std::string& word, std::string* next);

// Withdraws an earlier option (`name`, with identifier `id`) that the option being
// processed (`current`) overrides: its queued translation is removed and it counts as
// not given. 1 when there was such an option.
int ConflictOption(std::uint32_t id, const char* name, const char* current);

// Expands every queued translation into the destination lists and empties the queue.
void ProcessOptions();

// The destination list of a translation tag letter.
int TagList(char tag);
