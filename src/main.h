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
// Prunes and orders the source list once the output kind is known.
void ProcessFiles();
// Turns the preprocessor and directory lists into main driver options.
void ProcessLists();
// With no source but files that do not exist yet, the first of them starts the link.
void VirtualLinkStart();
// Resolves "-l" words to library files (-xlibs).
void ResolveLibraries();
// Adds every source file to the archive named with -archive.
void ArchiveSources();
// Every remaining "-l" word becomes the library file name "lib<name>.dlb".
void RewriteLibraries();

// Locates a component's executable (or the definition file); a component that cannot
// be found ends the run.
std::string LocateComponent(int component);
// The implementation-model words and the definition file at the front of the main
// driver's command, and the component paths and options in its option list.
void ProcessComponents();

// The version and identification output of -v and -full-version.
void Version();
// The built-in test programs of -test and of a command line of headers alone.
void TestPrograms();
// The default output name of an executable and the link map suffix.
void OutputNaming();
// A run without source files: the compiler's version, or the error.
[[noreturn]] void NoSourceFiles();
// The checks of the output file given with -o, and the passing of long option and file
// lists through option files. Returns true when standard output is redirected to the
// output file.
bool OutputFileChecks(std::string& redirection);
void OptionListFiles();

// Files every C and C++ source of a directory; returns their number.
int ProcessDirectory(const std::string& directory);

// Hands the assembled argument list (slot 38) to the main driver in this process, or
// only shows it; returns the exit status of the run. With a redirection file, standard
// output goes to that file while the main driver runs.
int HandOff(const std::string& redirection);
