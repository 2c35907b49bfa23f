// User options: lookup, translation and the handlers of the user interface driver.
#pragma once

#include <cstdint>
#include <string>

// Handles one user option. `count` is the number of words left in the current source,
// this one included; `next` points at the following word, or is null when there is none.
// Returns the number of words left after the option and its argument (0 makes the
// caller stop reading the source). The word may be changed in place.
int ProcessOption(int count, std::string& word, std::string* next);
