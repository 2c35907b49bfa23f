// The user interface driver: start-up, configuration sources, input files, components,
// version, option lists and test modes.
#pragma once

#include <string>
#include <vector>

// Creates and releases the global tables of the user interface driver.
void InitTables();
void FreeTables();

// Processes words as options and file names. Used for the command line, the deferred
// options and the words of option files.
void ReadArgs(std::vector<std::string>& words);

// Classifies one input word and files it into the right list.
void ProcessFile(const std::string& name);

// Hands the assembled argument list (slot 38) to the main driver in this process, or
// only shows it; returns the exit status of the run.
int HandOff();
