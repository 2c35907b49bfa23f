// The option-file reader and writer: quoting, comments, variables, the deferred part,
// line numbers, wrapping, and the description-file reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_optfile.h"
#include "file_temp.h"
#include "host/host.h"

namespace {

namespace fs = std::filesystem;

using Words = std::vector<std::string>;

class OptionFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("cctrvx-optfile-" + std::to_string(HostProcessId()));
        fs::create_directories(dir_);
        ArgFreeList(EnvironList);
        SetProgName("cctrvx");
        ErrorNum = 0;
        ErrorMax = 0;
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        ArgFreeList(EnvironList);
        ErrorMax = 10;
        ErrorNum = 0;
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return HostName((dir_ / name).string());
    }
    Words Read(const std::string& text, List* deferred = nullptr)
    {
        return FileRead(Write("opts", text), deferred);
    }
    fs::path dir_;
};

std::vector<std::string> Names(const List& list)
{
    std::vector<std::string> names;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        names.push_back(arg->name);
    return names;
}

TEST_F(OptionFileTest, QuotesVariablesAndComments)
{
    setenv("TOOLS", "c:\\t", 1);
    EXPECT_EQ(Read("-DA=\"x y\" -I%TOOLS%\\inc # note\n"), (Words{"-DA=x y", "-Ic:\\t\\inc"}));
    Arg* tools = ArgLocateNext(EnvironList, "TOOLS");
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(*tools->value, "c:\\t");
    unsetenv("TOOLS");
}

TEST_F(OptionFileTest, BackslashesBeforeQuotes)
{
    EXPECT_EQ(Read("a\\\\\"b c\""), Words{"a\\b c"});
    EXPECT_EQ(Read("a\\\"b"), Words{"a\"b"});
    EXPECT_EQ(Read("a\\\\\\\"b"), Words{"a\\\"b"});
    EXPECT_EQ(Read("C:\\dir\\ trail\\"), (Words{"C:\\dir\\", "trail\\"}));
    // No line continuation: the backslash stays and the newline ends the word.
    EXPECT_EQ(Read("a\\\nb"), (Words{"a\\", "b"}));
}

TEST_F(OptionFileTest, EmptyQuotesCommentsAndSingleQuotes)
{
    EXPECT_EQ(Read("\"\""), Words{""});
    EXPECT_EQ(Read("#x\na#x"), Words{"a#x"});
    EXPECT_EQ(Read("\"#x\""), Words{"#x"});
    EXPECT_EQ(Read("'a b'"), (Words{"'a", "b'"}));
    EXPECT_EQ(Read("  \t\r\n  "), Words{});
}

TEST_F(OptionFileTest, PercentAndDollarReferences)
{
    setenv("HOME_T", "h", 1);
    unsetenv("UNDEFINED_T");
    EXPECT_EQ(Read("%%"), Words{"%%"});
    EXPECT_EQ(Read("a%UNDEFINED_T%b"), Words{"ab"});
    Arg* undefined = ArgLocateNext(EnvironList, "UNDEFINED_T");
    ASSERT_NE(undefined, nullptr);
    EXPECT_FALSE(undefined->value);
    EXPECT_EQ(Read("$HOME_T/x"), Words{"h/x"});
    EXPECT_EQ(Read("%HOME_T-x"), Words{"%HOME_T-x"});
    EXPECT_EQ(Read("$ $-"), (Words{"$", "$-"}));
    EXPECT_EQ(Read("\"$HOME_T x\""), Words{"h x"});
    unsetenv("HOME_T");
}

TEST_F(OptionFileTest, VariableValuesSplitOutsideQuotesOnly)
{
    setenv("SPLIT_T", "a b  c", 1);
    EXPECT_EQ(Read("x$SPLIT_T.y"), (Words{"xa", "b", "c.y"}));
    EXPECT_EQ(Read("\"x$SPLIT_T.y\""), Words{"xa b  c.y"});
    setenv("SPLIT_T", " lead", 1);
    EXPECT_EQ(Read("x$SPLIT_T"), (Words{"x", "lead"}));
    unsetenv("SPLIT_T");
}

TEST_F(OptionFileTest, TheBarSwitchesToTheDeferredList)
{
    List deferred;
    EXPECT_EQ(Read("-a | -b -c | -d\n\"|\" -e|-f", &deferred), (Words{"-a", "-d", "|", "-e"}));
    EXPECT_EQ(Names(deferred), (Words{"-b", "-c", "-f"}));
    ArgFreeList(deferred);
    // Without a list the deferred words are dropped.
    EXPECT_EQ(Read("a | b"), Words{"a"});
}

TEST_F(OptionFileTest, UnterminatedQuotesNameTheLine)
{
    const std::string name = Write("bad", "one\n\"two\nthree \"four");
    testing::internal::CaptureStderr();
    Words words = FileRead(name, nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(words, (Words{"one", "two", "three", "four"}));
    EXPECT_EQ(err, "cctrvx: Error: `" + name + "': Unterminated double quote at line 2\n" + "cctrvx: Error: `" + name +
                       "': Unterminated double quote at line 3\n");
    EXPECT_EQ(ErrorNum, 2u);
}

TEST_F(OptionFileTest, FilesThatCannotBeReadGiveAnErrorAndNoWords)
{
    testing::internal::CaptureStderr();
    Words missing = FileRead(HostName((dir_ / "missing").string()), nullptr);
    Words directory = FileRead(HostName(dir_.string()), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(missing.empty());
    EXPECT_TRUE(directory.empty());
    EXPECT_NE(err.find("missing: No such file or directory"), std::string::npos);
    EXPECT_NE(err.find("Is a directory"), std::string::npos);
}

TEST_F(OptionFileTest, BinaryFilesAndLongLinesAreReadWithoutHarm)
{
    std::string binary;
    std::mt19937 random(7);
    for (int i = 0; i < 100000; ++i)
        binary += static_cast<char>(random() % 256);
    testing::internal::CaptureStderr();
    Words words = Read(binary);
    testing::internal::GetCapturedStderr();
    for (const std::string& word : words)
        EXPECT_EQ(word.find('\0'), std::string::npos);

    std::string longLine(1 << 20, 'x');
    EXPECT_EQ(Read(longLine + " y"), (Words{longLine, "y"}));
}

TEST_F(OptionFileTest, StringsHaveNoCommentsVariablesOrLines)
{
    setenv("HOME_T", "h", 1);
    List deferred;
    EXPECT_EQ(FileReadString("#a $HOME_T %HOME_T% \"x\ny\" p\nq | r", &deferred),
              (Words{"#a", "$HOME_T", "%HOME_T%", "x\ny", "p", "q"}));
    EXPECT_EQ(Names(deferred), Words{"r"});
    ArgFreeList(deferred);
    unsetenv("HOME_T");
}

TEST_F(OptionFileTest, EnvironmentVariablesAreRecorded)
{
    setenv("OPTS_T", "-a \"b c\" | -d", 1);
    List deferred;
    EXPECT_EQ(FileReadVar("OPTS_T", &deferred), (Words{"-a", "b c"}));
    EXPECT_EQ(Names(deferred), Words{"-d"});
    ArgFreeList(deferred);
    setenv("OPTS_T", "", 1);
    EXPECT_EQ(FileReadVar("OPTS_T", nullptr), Words{});
    unsetenv("OPTS_T");
    Arg* record = ArgLocateNext(EnvironList, "OPTS_T");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record->value, "-a \"b c\" | -d"); // the first record wins
}

TEST_F(OptionFileTest, WrittenFilesReadBackAsTheSameWords)
{
    setenv("Y", "expanded", 1);
    setenv("PATH_T", "expanded", 1);
    const Words words = {
        "",          "plain",        "two words",   "tab\there",    "x$Y.c",        "%PATH_T%",
        "50%",       "%%",           "a%%b",        "$",            "$$Y",          "\"",
        "a\"b",      "\\",           "trail\\",     "x y\\",        "\\\"",         "C:\\dir name\\f",
        "#comment",  "a|b",          "|",           "semi;colon",   "caf\xc3\xa9",  "-DX=\"1 2\"",
        "%Y",        "$Y%",          "'q'",         std::string(100, 'w'),
    };
    List list;
    for (const std::string& word : words)
        ArgAddTail(list, word);
    const std::string name = HostName((dir_ / "written.opt").string());
    ASSERT_EQ(FileWrite(name, list, "main driver", "cctrvx", "6.2.0"), 1);
    ArgFreeList(list);
    std::ifstream in(dir_ / "written.opt");
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("# main driver options file generated by cctrvx 6.2.0 on ", 0), 0u);
    EXPECT_EQ(FileRead(name, nullptr), words);
    unsetenv("Y");
    unsetenv("PATH_T");
}

TEST_F(OptionFileTest, WrittenLinesBreakBeforeColumn72)
{
    List list;
    for (int i = 0; i < 40; ++i)
        ArgAddTail(list, "word" + std::to_string(i));
    const std::string name = HostName((dir_ / "wrapped.opt").string());
    ASSERT_EQ(FileWrite(name, list, "main driver", "cctrvx", "6.2.0"), 1);
    std::ifstream in(dir_ / "wrapped.opt");
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue; // the header
        EXPECT_LT(line.size(), 72u) << line;
        ++lines;
    }
    EXPECT_GE(lines, 4);
    ArgFreeList(list);
}

std::string Wrapped(const std::string& text, int column, bool continuation)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    FileWrap(stream, text, column, continuation);
    std::fclose(stream);
    std::string result(buffer, size);
    std::free(buffer);
    return result;
}

TEST(FileWrap, BreaksBeforeTheWordThatReachesColumn72)
{
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += (i ? " " : "") + std::string("abcdefgh");
    // From column 8 with markers: 7 words fit (8 + 7*9 - 1 = 70, the next would reach 81).
    EXPECT_EQ(Wrapped(text, 8, true), "abcdefgh abcdefgh abcdefgh abcdefgh abcdefgh abcdefgh abcdefgh \\\n"
                                      "abcdefgh abcdefgh abcdefgh abcdefgh abcdefgh\n");
    EXPECT_EQ(Wrapped("\"a b\" c", 0, false), "\"a b\" c\n");
    EXPECT_EQ(Wrapped("\"open", 0, false), "\"open\"\n");
    EXPECT_EQ(Wrapped(std::string(100, 'x') + " y", 0, false), std::string(100, 'x') + "\ny\n");
    EXPECT_EQ(Wrapped("", 0, false), "");
}

TEST_F(OptionFileTest, DescriptionFiles)
{
    List entries;
    const std::string name = Write("arch.sde", "PREDEFINES: -DX : -DY\n# comment\nA: b\\:c \\\n d\nE\n:x\n");
    EXPECT_EQ(FileReadSDE(name, entries), 4);
    std::vector<std::pair<std::string, std::string>> got;
    for (Arg* arg = ArgFirst(entries); arg; arg = ArgNext(arg))
        got.emplace_back(arg->name, arg->value.value_or(""));
    // A line that starts with a colon has an empty key.
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                       {"PREDEFINES", "-DX"}, {"PREDEFINES", "-DY"}, {"A", "b:cd"}, {"", "x"}}));
    ArgFreeList(entries);
}

} // namespace

namespace {

// Found by fuzzing: a string that ends inside a quoted part is read without a report
// (strings have no file name to report).
TEST(OptionStrings, AnUnterminatedQuoteEndsTheLastWord)
{
    EXPECT_EQ(FileReadString("\"", nullptr), std::vector<std::string>{""});
    EXPECT_EQ(FileReadString("a \"b c", nullptr), (std::vector<std::string>{"a", "b c"}));
}

} // namespace
