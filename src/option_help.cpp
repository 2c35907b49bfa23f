#include "option_help.h"

#include <cstdio>
#include <string_view>

#include "error.h"
#include "host/host.h"
#include "option_table.h"

namespace {

// Width of the syntax column; descriptions start in the column after it.
constexpr int HELP_INDENT = 8;

// Reports a file that could not be opened or closed, with the C library's text.
void ReportFileError(const std::string& path)
{
    Error(LEVEL_CLIB, path);
}

} // namespace

void Help()
{
    std::printf("Usage: %s [options] [files]\n\n", ProgName);
    std::printf("Options may be interspersed with files on the command line.\n\n");

    bool pending = false; // a short syntax waits for its first description line
    for (const HelpEntry* entry = HelpTable; entry->syntax; ++entry) {
        if (entry->syntax[0] && !entry->text[0]) {
            if (std::string_view(entry->syntax).size() < HELP_INDENT) {
                std::printf("%*s", -HELP_INDENT, entry->syntax);
                pending = true;
            } else {
                std::printf("%s\n", entry->syntax);
            }
        } else if (entry->text[0]) {
            if (pending) {
                std::printf("%s\n", entry->text);
                pending = false;
            } else {
                std::printf("%*s%s\n", -HELP_INDENT, "", entry->text);
            }
        }
    }
}

void ManualPage(const std::string& path)
{
    FILE* file = HostOpenFile(path, "r");
    if (!file) {
        ReportFileError(path);
        return;
    }

    // A window of two characters: an overstrike is a character, a backspace and the
    // character that replaces it, of which only the last is printed.
    int older = EOF;
    int newer = EOF;
    for (int c; (c = std::getc(file)) != EOF;) {
        if (newer == EOF) {
            newer = c;
        } else if (older == EOF) {
            older = newer;
            newer = c;
        } else if (newer != '\b') {
            std::putchar(older);
            older = newer;
            newer = c;
        } else {
            older = c;
            newer = EOF;
        }
    }
    if (older != EOF)
        std::putchar(older);
    if (newer != EOF)
        std::putchar(newer);

    if (std::fclose(file) != 0)
        ReportFileError(path);
}
