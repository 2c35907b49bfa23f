// The handlers of the user options (private to the option module).
#pragma once

#include <cstdint>
#include <string>

#include "option_table.h"

enum class HandlerResult {
    Continue,  // queue the option's translation and mark it as given
    Stop,      // the option is neither queued nor marked
    EndSource, // queue and mark, then stop reading the current source
};

// Options without an argument: conflicts, guards and flags.
HandlerResult HandleFlagOption(std::uint32_t id, const std::string& name);
// Options with an argument. The argument may be changed in place.
HandlerResult HandleArgumentOption(const OptionData& row, const std::string& name, std::string& argument);
