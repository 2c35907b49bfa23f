// Temporary names, the deletion list and the environment record.
#include "file_temp.h"

#include <cstdio>

#include "cctrvx/globals.h"
#include "host/host.h"

std::optional<std::string> TempDir;
List DelFileList;
List EnvironList;

namespace {

unsigned long TempProcessId = 0;
bool TempProcessIdRead = false;
unsigned TempCounter = 0;

} // namespace

std::string FileTemp(const char* suffix)
{
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    if (!TempProcessIdRead) {
        TempProcessId = HostProcessId();
        TempProcessIdRead = true;
    }
    const unsigned counter = TempCounter;
    TempCounter = (TempCounter + 1) % 46656;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lx%c%c%c", TempProcessId & 0xffff, digits[counter / 1296 % 36],
                  digits[counter / 36 % 36], digits[counter % 36]);
    std::string name = TempPrefix + buffer;
    if (suffix) {
        name += '.';
        name += suffix;
    }
    return name;
}

void DelFileAdd(std::string_view name)
{
    HostSignalBlock block;
    ArgAddHead(DelFileList, name);
}

void DelFileRemove(std::string_view name)
{
    HostSignalBlock block;
    if (Arg* arg = ArgLocateNext(DelFileList, name))
        ArgRemove(DelFileList, arg);
}

void EnvironRecord(std::string_view name, OptValue value)
{
    ArgAddTailOnce(EnvironList, name, value);
}

void DeleteTempFiles()
{
    static bool AlreadyDeleting = false;
    if (AlreadyDeleting)
        return;
    AlreadyDeleting = true;
    HostSignalBlock block;
    while (Arg* arg = ArgFirst(DelFileList)) {
        HostRemoveFile(arg->name);
        ArgRemove(DelFileList, arg);
    }
    AlreadyDeleting = false;
}
