// Joining, normalising and simplifying paths; temporary names.
#include <gtest/gtest.h>

#include "cctrvx/globals.h"
#include "file_temp.h"
#include "host/host.h"

namespace {

std::string Filter(std::string path)
{
    return FilterPath(path);
}

TEST(Paths, FilterNormalisesSeparators)
{
    EXPECT_EQ(Filter("//d/src//x/"), "d:\\src\\x");
    EXPECT_EQ(Filter("\\\\server\\share\\"), "\\\\server\\share");
    EXPECT_EQ(Filter("\\\\\\server"), "\\\\server");
    EXPECT_EQ(Filter("c:\\"), "c:\\");
    EXPECT_EQ(Filter("\\"), "\\");
    EXPECT_EQ(Filter("a\\\\b\\"), "a\\b");
    EXPECT_EQ(Filter("a/b/c"), "a\\b\\c");
    EXPECT_EQ(Filter("//c"), "c:\\");
    EXPECT_EQ(Filter(""), "");
}

TEST(Paths, BuildJoinsWithBackslashes)
{
    EXPECT_EQ(BuildPath({"c:", "a.c"}), "c:a.c");
    EXPECT_EQ(BuildPath({"", "x"}), "x");
    EXPECT_EQ(BuildPath({"dir", "sub", "f.c"}), "dir\\sub\\f.c");
    EXPECT_EQ(BuildPath({"dir\\", "f.c"}), "dir\\f.c");
    EXPECT_EQ(BuildPath({"/opt/trvx", "Tarvex", "etc"}), "\\opt\\trvx\\Tarvex\\etc");
}

TEST(Paths, CompressSimplifiesDotComponents)
{
    EXPECT_EQ(CompressPath("c:\\a\\.\\b\\..\\d"), "c:\\a\\d");
    EXPECT_EQ(CompressPath("\\..\\x"), "\\x");
    EXPECT_EQ(CompressPath("a\\..\\b"), ".\\b");
    EXPECT_EQ(CompressPath("..\\x"), "..\\x");
    EXPECT_EQ(CompressPath("a\\b"), ".\\a\\b");
    EXPECT_EQ(CompressPath("..\\..\\x"), "..\\..\\x");
    EXPECT_EQ(CompressPath(".\\a\\..\\..\\b"), "..\\b");
    EXPECT_EQ(CompressPath("\\a\\\\b\\"), "\\a\\b");
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
