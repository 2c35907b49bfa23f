// File kinds by suffix, suffix rules with version components, output naming and paths.
#include <gtest/gtest.h>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_names.h"
#include "file_temp.h"

namespace {

DString Make(const char* text)
{
    DString s;
    AddChars(s, text);
    return s;
}

TEST(FileSuffix, SuffixesBeforeVersionComponentsAndTheirKindsIgnoringCase)
{
    const std::pair<const char*, const char*> suffixes[] = {
        {"prog.c", "c"}, {"prog.c.2", "c.2"}, {"prog.12", ""}, {"prog", ""},   {"dir.x\\prog", ""},
        {"c:prog", ""},  {".c", "c"},         {"a.1b", "1b"},  {"a.c.1.22", "c.1.22"}, {"a.", ""},
    };
    for (const auto& [name, suffix] : suffixes)
        EXPECT_EQ(FileSuffix(name), suffix) << name;
    const std::pair<const char*, int> kinds[] = {
        {"x.C", FILE_C},          {"x.DSP", FILE_ASSEMBLER},   {"x.dsp", FILE_ASSEMBLER}, {"x.cpp.3", FILE_CXX},
        {"x.txt", FILE_UNRECOGNIZED}, {"x", FILE_NONE},        {"x.7", FILE_NONE},        {"x.c++", FILE_CXX},
        {"x.H++", FILE_CXX_HEADER}, {"lib.dlb", FILE_LIBRARY}, {"a.DXE", FILE_EXECUTABLE}, {"p.pgo", FILE_PROFILE},
        {"o.opt", FILE_OPTIONS},
    };
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(FileKindOf(name), kind) << name;
    const std::pair<int, const char*> standard[] = {
        {FILE_C, "c"},           {FILE_CXX, "cpp"}, {FILE_ASSEMBLER, "s"},    {FILE_OBJECT, "doj"},
        {FILE_EXECUTABLE, "dxe"}, {FILE_DLL, ""},   {FILE_UNRECOGNIZED, ""},
    };
    for (const auto& [kind, suffix] : standard)
        EXPECT_STREQ(StandardSuffix(kind), suffix) << kind;
}

TEST(FilePieces, NameBaseAndPath)
{
    std::string (*const FileNamed)(std::string_view) = [](std::string_view p) { return std::string(FileName(p)); };
    const struct {
        std::string (*piece)(std::string_view);
        const char* name;
        const char* expected;
    } cases[] = {
        {FileNamed, "c:prog.c", "prog.c"},    {FileNamed, "a/b.c", "a/b.c"},    {FileNamed, "dir\\sub\\x.c", "x.c"},
        {FileBase, "dir\\prog.c.2", "prog"},  {FileBase, "dir\\prog", "prog"},  {FilePath, "dir\\sub\\x.c", "dir\\sub"},
        {FilePath, "\\x.c", "\\"},           {FilePath, "c:x.c", "c:"},        {FilePath, "c:\\x.c", "c:\\"},
        {FilePath, "x.c", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.piece(c.name), c.expected) << c.name;
}

TEST(Suffixes, RemoveAndAddKeepVersionComponents)
{
    DString name = Make("prog.c.2");
    std::uint32_t position = 99;
    EXPECT_EQ(RemSuffix(name, &position), 1);
    EXPECT_EQ(name.view(), "prog.2");
    EXPECT_EQ(position, 4u);
    EXPECT_EQ(AddSuffix(name, "doj", position), 1);
    EXPECT_EQ(name.view(), "prog.doj.2");
    // Nothing to remove: a version component, or a dot in a directory.
    for (const auto& [text, end] : {std::pair{"prog.12", 4u}, {"dir.x\\prog", 10u}}) {
        DString none = Make(text);
        EXPECT_EQ(RemSuffix(none, &position), 0) << text;
        EXPECT_EQ(none.view(), text);
        EXPECT_EQ(position, end) << text;
    }

    const struct {
        const char* name;
        const char* suffix;
        int result;
        const char* expected;
    } adds[] = {
        {"prog.2", "doj", 1, "prog.doj.2"}, {"prog", "doj.", 1, "prog.doj"}, {"a.c", ".doj", 1, "a.c.doj"},
        {"x", "", 0, "x"},                  {"x", ".", 0, "x"},              {"x", "..x", 0, "x"},
    };
    for (const auto& add : adds) {
        DString s = Make(add.name);
        EXPECT_EQ(AddSuffix(s, add.suffix, 0), add.result) << add.name << " " << add.suffix;
        EXPECT_EQ(s.view(), add.expected);
    }
}

TEST(OutputSuffix, RepairsWithWarnings)
{
    NoWarnings = 0;
    SetProgName("cctrvx");
    const std::string w = "cctrvx: Warning: ";
    const struct {
        const char* name;
        int kind;
        const char* expected;
        std::string warnings;
        int result;
    } cases[] = {
        {"out.doj", OUTPUT_OBJECT, "out.doj", "", 1},
        {"out", OUTPUT_OBJECT, "out.doj", w + "Adding new suffix `.doj' to object output file `out'\n", 1},
        {"prog.foo", OUTPUT_EXECUTABLE, "prog.dxe",
         w + "Ignoring bad suffix `.foo' for executable output file `prog.foo'\n" + w +
             "Adding new suffix `.dxe' to executable output file `prog'\n",
         1},
        {"lib.dll", OUTPUT_DLL, "lib",
         w + "Ignoring bad suffix `.dll' for dynamic link library output file `lib.dll'\n",
         1},
        {"prog.2", OUTPUT_EXECUTABLE, "prog.dxe.2", w + "Adding new suffix `.dxe' to executable output file `prog.2'\n",
         1},
        // File lists lose every known suffix.
        {"list.c.doj", OUTPUT_FILE_LIST, "list",
         w + "Ignoring bad suffix `.doj' for file list `list.c.doj'\n" + w +
             "Ignoring bad suffix `.c' for file list `list.c'\n",
         1},
        {"list.txt", OUTPUT_FILE_LIST, "list.txt", "", 1},
        {"list", OUTPUT_FILE_LIST, "list", "", 1},
        {"x.doj", OUTPUT_NONE, "", w + "Ignoring output file `x.doj' - not required\n", 0},
    };
    for (const auto& c : cases) {
        DString s = Make(c.name);
        testing::internal::CaptureStderr();
        EXPECT_EQ(OutputSuffix(s, c.kind), c.result) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warnings) << c.name;
        EXPECT_EQ(s.view(), c.expected);
    }
}

TEST(FileNames, TargetsInstantiationFilesAndDigits)
{
    StrSet(FileLocs[LOC_OUTPUT_DIR], "");
    StrSet(FileLocs[LOC_TEMP], "\\tmp\\priv");
    EXPECT_EQ(FileTarget("src\\a.c", "doj", 1), "a.doj");
    EXPECT_EQ(FileTarget("src\\a.c.3", "s", 1), "a.s.3");
    EXPECT_EQ(FileTarget("src\\a.c", nullptr, 1), "a");
    EXPECT_EQ(FileTarget("src\\a.c", "doj", 2), "\\tmp\\priv\\a.doj");
    TempPrefix = "qcc";
    const std::string temporary = FileTarget("src\\a.c", "s", 0);
    EXPECT_EQ(temporary.rfind("\\tmp\\priv\\qcc", 0), 0u);
    EXPECT_EQ(temporary.substr(temporary.size() - 2), ".s");
    StrSet(FileLocs[LOC_OUTPUT_DIR], "out");
    EXPECT_EQ(FileTarget("src\\a.c", "doj", 1), "out\\a.doj");
    StrSet(FileLocs[LOC_OUTPUT_DIR], "");

    EXPECT_EQ(InstantiationFile("obj\\a.doj", ".ii"), "obj\\a.ii");
    EXPECT_EQ(InstantiationFile("a.doj", ".ti"), "a.ti");
    for (const auto& [number, digits] : {std::pair{0L, 1}, {7L, 2}, {123L, 4}, {-5L, 3}})
        EXPECT_EQ(NumberOfDigits(number), digits) << number;
}

} // namespace
