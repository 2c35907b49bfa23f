// Help and manual page: the quick-reference option summary and the preformatted manual
// page, both printed to standard output.
#pragma once

#include <string>

// Prints the usage line and the help table.
void Help();

// Prints the manual page file, removing the backspace overstrikes of its bold and
// underlined text. A file that cannot be opened or closed is a counted error.
void ManualPage(const std::string& path);
