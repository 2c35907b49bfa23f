// File kinds by suffix, suffix rules with version components, output naming and paths.
#include <gtest/gtest.h>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_names.h"
#include "file_temp.h"

namespace {

std::string Text(const DString& s)
{
    return std::string(s.view());
}

DString Make(const char* text)
{
    DString s;
    AddChars(s, text);
    return s;
}

TEST(FileSuffix, FindsTheSuffixBeforeVersionComponents)
{
    EXPECT_EQ(FileSuffix("prog.c"), "c");
    EXPECT_EQ(FileSuffix("prog.c.2"), "c.2");
    EXPECT_EQ(FileSuffix("prog.12"), "");
    EXPECT_EQ(FileSuffix("prog"), "");
    EXPECT_EQ(FileSuffix("dir.x\\prog"), "");
    EXPECT_EQ(FileSuffix("c:prog"), "");
    EXPECT_EQ(FileSuffix(".c"), "c");
    EXPECT_EQ(FileSuffix("a.1b"), "1b");
    EXPECT_EQ(FileSuffix("a.c.1.22"), "c.1.22");
    EXPECT_EQ(FileSuffix("a."), "");
}

TEST(FileSuffix, KindsIgnoreCase)
{
    EXPECT_EQ(FileKindOf("x.C"), FILE_C);
    EXPECT_EQ(FileKindOf("x.DSP"), FILE_ASSEMBLER);
    EXPECT_EQ(FileKindOf("x.dsp"), FILE_ASSEMBLER);
    EXPECT_EQ(FileKindOf("x.cpp.3"), FILE_CXX);
    EXPECT_EQ(FileKindOf("x.txt"), FILE_UNRECOGNIZED);
    EXPECT_EQ(FileKindOf("x"), FILE_NONE);
    EXPECT_EQ(FileKindOf("x.7"), FILE_NONE);
    EXPECT_EQ(FileKindOf("x.c++"), FILE_CXX);
    EXPECT_EQ(FileKindOf("x.H++"), FILE_CXX_HEADER);
    EXPECT_EQ(FileKindOf("lib.dlb"), FILE_LIBRARY);
    EXPECT_EQ(FileKindOf("a.DXE"), FILE_EXECUTABLE);
    EXPECT_EQ(FileKindOf("p.pgo"), FILE_PROFILE);
    EXPECT_EQ(FileKindOf("o.opt"), FILE_OPTIONS);
}

TEST(FileSuffix, StandardSuffixes)
{
    EXPECT_STREQ(StandardSuffix(FILE_C), "c");
    EXPECT_STREQ(StandardSuffix(FILE_CXX), "cpp");
    EXPECT_STREQ(StandardSuffix(FILE_ASSEMBLER), "s");
    EXPECT_STREQ(StandardSuffix(FILE_OBJECT), "doj");
    EXPECT_STREQ(StandardSuffix(FILE_EXECUTABLE), "dxe");
    EXPECT_STREQ(StandardSuffix(FILE_DLL), "");
    EXPECT_STREQ(StandardSuffix(FILE_UNRECOGNIZED), "");
}

TEST(FilePieces, NameBaseAndPath)
{
    EXPECT_EQ(FileName("c:prog.c"), "prog.c");
    EXPECT_EQ(FileName("a/b.c"), "a/b.c");
    EXPECT_EQ(FileName("dir\\sub\\x.c"), "x.c");
    EXPECT_EQ(FileBase("dir\\prog.c.2"), "prog");
    EXPECT_EQ(FileBase("dir\\prog"), "prog");
    EXPECT_EQ(FilePath("dir\\sub\\x.c"), "dir\\sub");
    EXPECT_EQ(FilePath("\\x.c"), "\\");
    EXPECT_EQ(FilePath("c:x.c"), "c:");
    EXPECT_EQ(FilePath("c:\\x.c"), "c:\\");
    EXPECT_EQ(FilePath("x.c"), "");
}

TEST(Suffixes, RemoveKeepsVersionComponents)
{
    DString name = Make("prog.c.2");
    std::uint32_t position = 99;
    EXPECT_EQ(RemSuffix(name, &position), 1);
    EXPECT_EQ(Text(name), "prog.2");
    EXPECT_EQ(position, 4u);
    EXPECT_EQ(AddSuffix(name, "doj", position), 1);
    EXPECT_EQ(Text(name), "prog.doj.2");

    DString none = Make("prog.12");
    EXPECT_EQ(RemSuffix(none, &position), 0);
    EXPECT_EQ(Text(none), "prog.12");
    EXPECT_EQ(position, 4u);

    // A dot in a directory is not a suffix of the file.
    DString dotted = Make("dir.x\\prog");
    EXPECT_EQ(RemSuffix(dotted, &position), 0);
    EXPECT_EQ(Text(dotted), "dir.x\\prog");
}

TEST(Suffixes, AddAppendsBeforeVersionComponents)
{
    DString name = Make("prog.2");
    EXPECT_EQ(AddSuffix(name, "doj", 0), 1);
    EXPECT_EQ(Text(name), "prog.doj.2");

    DString trailingDot = Make("prog");
    EXPECT_EQ(AddSuffix(trailingDot, "doj.", 0), 1);
    EXPECT_EQ(Text(trailingDot), "prog.doj");

    DString appended = Make("a.c");
    EXPECT_EQ(AddSuffix(appended, ".doj", 0), 1);
    EXPECT_EQ(Text(appended), "a.c.doj");

    DString rejected = Make("x");
    EXPECT_EQ(AddSuffix(rejected, "", 0), 0);
    EXPECT_EQ(AddSuffix(rejected, ".", 0), 0);
    EXPECT_EQ(AddSuffix(rejected, "..x", 0), 0);
    EXPECT_EQ(Text(rejected), "x");
}

class OutputSuffixTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NoWarnings = 0;
        SetProgName("cctrvx");
    }
    std::string Check(const char* name, int kind, std::string& warnings, int* result = nullptr)
    {
        DString s = Make(name);
        testing::internal::CaptureStderr();
        int r = OutputSuffix(s, kind);
        warnings = testing::internal::GetCapturedStderr();
        if (result)
            *result = r;
        return Text(s);
    }
};

TEST_F(OutputSuffixTest, RepairsWithWarnings)
{
    std::string warnings;
    EXPECT_EQ(Check("out.doj", OUTPUT_OBJECT, warnings), "out.doj");
    EXPECT_EQ(warnings, "");
    EXPECT_EQ(Check("out", OUTPUT_OBJECT, warnings), "out.doj");
    EXPECT_EQ(warnings, "cctrvx: Warning: Adding new suffix `.doj' to object output file `out'\n");
    EXPECT_EQ(Check("prog.foo", OUTPUT_EXECUTABLE, warnings), "prog.dxe");
    EXPECT_EQ(warnings, "cctrvx: Warning: Ignoring bad suffix `.foo' for executable output file `prog.foo'\n"
                        "cctrvx: Warning: Adding new suffix `.dxe' to executable output file `prog'\n");
    EXPECT_EQ(Check("lib.dll", OUTPUT_DLL, warnings), "lib");
    EXPECT_EQ(warnings, "cctrvx: Warning: Ignoring bad suffix `.dll' for dynamic link library output file `lib.dll'\n");
    EXPECT_EQ(Check("prog.2", OUTPUT_EXECUTABLE, warnings), "prog.dxe.2");
}

TEST_F(OutputSuffixTest, FileListsLoseEveryKnownSuffix)
{
    std::string warnings;
    EXPECT_EQ(Check("list.c.doj", OUTPUT_FILE_LIST, warnings), "list");
    EXPECT_EQ(warnings, "cctrvx: Warning: Ignoring bad suffix `.doj' for file list `list.c.doj'\n"
                        "cctrvx: Warning: Ignoring bad suffix `.c' for file list `list.c'\n");
    EXPECT_EQ(Check("list.txt", OUTPUT_FILE_LIST, warnings), "list.txt");
    EXPECT_EQ(warnings, "");
    EXPECT_EQ(Check("list", OUTPUT_FILE_LIST, warnings), "list");
}

TEST_F(OutputSuffixTest, NoOutputIsCleared)
{
    std::string warnings;
    int result = -1;
    EXPECT_EQ(Check("x.doj", OUTPUT_NONE, warnings, &result), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(warnings, "cctrvx: Warning: Ignoring output file `x.doj' - not required\n");
}

TEST(FileTarget, NamesNextToTheUserOrInTheTemporaryDirectory)
{
    StrSet(FileLocs[LOC_OUTPUT_DIR], "");
    StrSet(FileLocs[LOC_TEMP], "\\tmp\\priv");
    EXPECT_EQ(FileTarget("src\\a.c", "doj", 1), "a.doj");
    EXPECT_EQ(FileTarget("src\\a.c.3", "s", 1), "a.s.3");
    EXPECT_EQ(FileTarget("src\\a.c", nullptr, 1), "a");
    EXPECT_EQ(FileTarget("src\\a.c", "doj", 2), "\\tmp\\priv\\a.doj");
    TempPrefix = "qcc";
    std::string temporary = FileTarget("src\\a.c", "s", 0);
    EXPECT_EQ(temporary.rfind("\\tmp\\priv\\qcc", 0), 0u);
    EXPECT_EQ(temporary.substr(temporary.size() - 2), ".s");
    StrSet(FileLocs[LOC_OUTPUT_DIR], "out");
    EXPECT_EQ(FileTarget("src\\a.c", "doj", 1), "out\\a.doj");
    StrSet(FileLocs[LOC_OUTPUT_DIR], "");
}

TEST(FileNames, InstantiationFilesReplaceTheSuffix)
{
    EXPECT_EQ(InstantiationFile("obj\\a.doj", ".ii"), "obj\\a.ii");
    EXPECT_EQ(InstantiationFile("a.doj", ".ti"), "a.ti");
}

TEST(FileNames, NumberOfDigits)
{
    EXPECT_EQ(NumberOfDigits(0), 1);
    EXPECT_EQ(NumberOfDigits(7), 2);
    EXPECT_EQ(NumberOfDigits(123), 4);
    EXPECT_EQ(NumberOfDigits(-5), 3);
}

} // namespace
