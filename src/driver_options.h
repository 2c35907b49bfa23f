// The main driver's option vocabulary: component locations and options, implementation
// models, control options, link options, optimisation sets, the processor description
// file, option files and the options passed through to the compiler.
//
// Private to the main driver (driver.cpp); the user interface driver has its own table.
#pragma once

#include <string>

// Inserts every option row, under its name, into OptionSymbolTable (which the caller has
// created). The value of each symbol is the row's index + 1; no data is stored.
void LoadDriverOptions();

// Recognises one argument of the main driver's list and runs its handler. `next` is the
// following argument, or null when there is none. Returns how many arguments were
// consumed: 1, or 2 when the option took the following argument as its value. Every
// error here is fatal.
int DriverProcessOption(const std::string& argument, const std::string* next);

// A view of the table for its checks.
struct DriverOptionInfo {
    const char* name;
    int takesArgument;
    int id;
};
int DriverOptionRows();
DriverOptionInfo DriverOptionRow(int index);
