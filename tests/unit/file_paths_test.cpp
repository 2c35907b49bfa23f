// Joining, normalising and simplifying paths; temporary names.
#include <gtest/gtest.h>

#include "cctrvx/globals.h"
#include "file_temp.h"
#include "host/host.h"

namespace {

TEST(Paths, FilterBuildAndCompress)
{
    const std::pair<std::string, std::string> filtered[] = {
        {"//d/src//x/", "d:\\src\\x"}, {"\\\\server\\share\\", "\\\\server\\share"},
        {"\\\\\\server", "\\\\server"}, {"c:\\", "c:\\"}, {"\\", "\\"}, {"a\\\\b\\", "a\\b"},
        {"a/b/c", "a\\b\\c"}, {"//c", "c:\\"}, {"", ""},
    };
    for (auto [path, expected] : filtered)
        EXPECT_EQ(FilterPath(path), expected) << path;

    EXPECT_EQ(BuildPath({"c:", "a.c"}), "c:a.c");
    EXPECT_EQ(BuildPath({"", "x"}), "x");
    EXPECT_EQ(BuildPath({"dir", "sub", "f.c"}), "dir\\sub\\f.c");
    EXPECT_EQ(BuildPath({"dir\\", "f.c"}), "dir\\f.c");
    EXPECT_EQ(BuildPath({"/opt/trvx", "Tarvex", "etc"}), "\\opt\\trvx\\Tarvex\\etc");

    const std::pair<const char*, const char*> compressed[] = {
        {"c:\\a\\.\\b\\..\\d", "c:\\a\\d"}, {"\\..\\x", "\\x"},     {"a\\..\\b", ".\\b"},
        {"..\\x", "..\\x"},                   {"a\\b", ".\\a\\b"},  {"..\\..\\x", "..\\..\\x"},
        {".\\a\\..\\..\\b", "..\\b"},          {"\\a\\\\b\\", "\\a\\b"},
    };
    for (const auto& [path, expected] : compressed)
        EXPECT_EQ(CompressPath(path), expected) << path;
}

TEST(TempNames, PrefixProcessIdAndBase36Counter)
{
    TempPrefix = "qcc";
    const std::string first = FileTemp(nullptr);
    char pid[8];
    std::snprintf(pid, sizeof pid, "%04lx", HostProcessId() & 0xffff);
    ASSERT_EQ(first.size(), 10u);
    EXPECT_EQ(first.substr(0, 7), std::string("qcc") + pid);
    // The counter runs on in base 36: three digits, most significant first.
    auto counter = [](const std::string& name) {
        const std::string digits = "0123456789abcdefghijklmnopqrstuvwxyz";
        std::string tail = name.substr(7, 3);
        return static_cast<int>(digits.find(tail[0]) * 1296 + digits.find(tail[1]) * 36 + digits.find(tail[2]));
    };
    const int start = counter(first);
    const std::string second = FileTemp("s");
    EXPECT_EQ(counter(second), (start + 1) % 46656);
    EXPECT_EQ(second.substr(10), ".s");
    for (int i = 0; i < 36; ++i)
        FileTemp(nullptr);
    EXPECT_EQ(counter(FileTemp(nullptr)), (start + 38) % 46656);
}

} // namespace
