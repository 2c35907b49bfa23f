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

// Reads the configuration sources in their order: the options files in the home and
// current directories and CCTRVX_OPTIONS (none of them when CCTRVX_IGNORE_ENV is set),
// then the command line, then every deferred part.
void ReadConfigurationSources(std::vector<std::string>& commandLine);
// The install directory (an option, the registry, else VLX_DSP), put into the
// environment of the children.
void SettleInstallDirectory();
// The current directory at start-up.
void SettleCurrentDirectory();
// The temporary directory (an option, else TMP, else the host's own), the private
// directory inside it, and TMP for the children.
void SettleTemporaryDirectory();

// Classifies one input word and files it into the right list.
void ProcessFile(const std::string& name);

// Files every C and C++ source of a directory; returns their number.
int ProcessDirectory(const std::string& directory);

// Hands the assembled argument list (slot 38) to the main driver in this process, or
// only shows it; returns the exit status of the run.
int HandOff();
