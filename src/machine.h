// Target configuration: predefined macros and assertions, default processor and
// directories, the implied option sets, and the value checks of option arguments.
#pragma once

#include <string>
#include <string_view>

#include "list.h"

// Register reservation tables, parallel, ended by a null entry.
extern const char* const RegisterTable[];
extern const char* const RegMacroTable[];
extern const char* const RegLinkerTable[];

// The number of leading characters that form an identifier (0 when none).
int CheckIdentifier(std::string_view text);
// Parses a whole number (32-bit) at the start of the text; returns the characters used.
int CheckInteger(std::string_view text, long& value);
// Parses a floating-point number at the start of the text; returns the characters used.
int CheckFloat(std::string_view text, double& value);
// The index of a reservable register, or -1.
int CheckRegister(std::string_view name);
// Adds the macro and the linker option that reserving a register implies.
void DefResRegMacro(int index);

// Nonzero in strict mode (-pedantic-errors/-strict or -pedantic/-strictwarn given).
int IsStandardCon();
// Appends up to four forms of a macro name (plain, _name, __name, __name__) with value 1.
void AddMacroSet(List& list, std::string_view name, int plain, int single, int doubled, int full);
// Predefined assertions and macros, keyword macros, the default processor, assembler
// macros and include directories, default include and library directories.
void DefaultLists();
// The architecture description file for the linker.
void DefaultFiles();

// The implied language, optimisation and platform options.
void LanguageOptions();
void OptimizeOptions();
void PlatformOptions();
