// The option-file reader and writer: quoting, comments, variables, the deferred part,
// line numbers, wrapping, and the description-file reader.
#include "test_support.h"

#include <cstdio>
#include <sstream>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_optfile.h"
#include "file_temp.h"

namespace {

class OptionFileTest : public TempDirTest {
protected:
    Words Parse(const std::string& text, List* deferred = nullptr)
    {
        MakeFile("opts", text);
        return FileRead(Name("opts"), deferred);
    }
};

TEST_F(OptionFileTest, QuotesBackslashesCommentsAndVariables)
{
    const Variable tools("TOOLS", "c:\\t"), home("HOME_T", "h"), split("SPLIT_T", "a b  c"), lead("LEAD_T", " lead"),
        undefined("UNDEFINED_T", nullptr);
    const std::pair<std::string, Words> cases[] = {
        {"-DA=\"x y\" -I%TOOLS%\\inc # note\n", {"-DA=x y", "-Ic:\\t\\inc"}},
        // Backslashes before quotes.
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"a\\\"b", {"a\"b"}},
        {"a\\\\\\\"b", {"a\\\"b"}},
        {"C:\\dir\\ trail\\", {"C:\\dir\\", "trail\\"}},
        // No line continuation: the backslash stays and the newline ends the word.
        {"a\\\nb", {"a\\", "b"}},
        {"\"\"", {""}},
        {"#x\na#x", {"a#x"}},
        {"\"#x\"", {"#x"}},
        {"'a b'", {"'a", "b'"}},
        {"  \t\r\n  ", {}},
        // Percent and dollar references.
        {"%%", {"%%"}},
        {"a%UNDEFINED_T%b", {"ab"}},
        {"$HOME_T/x", {"h/x"}},
        {"%HOME_T-x", {"%HOME_T-x"}},
        {"$ $-", {"$", "$-"}},
        {"\"$HOME_T x\"", {"h x"}},
        // Variable values are split outside quotes only.
        {"x$SPLIT_T.y", {"xa", "b", "c.y"}},
        {"\"x$SPLIT_T.y\"", {"xa b  c.y"}},
        {"x$LEAD_T", {"x", "lead"}},
    };
    for (const auto& [text, words] : cases)
        EXPECT_EQ(Parse(text), words) << text;
    // Every variable is recorded, with its value or as unset.
    Arg* recorded = ArgLocateNext(EnvironList, "TOOLS");
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(*recorded->value, "c:\\t");
    recorded = ArgLocateNext(EnvironList, "UNDEFINED_T");
    ASSERT_NE(recorded, nullptr);
    EXPECT_FALSE(recorded->value);
}

TEST_F(OptionFileTest, TheBarSwitchesToTheDeferredList)
{
    ArgList deferred;
    EXPECT_EQ(Parse("-a | -b -c | -d\n\"|\" -e|-f", &deferred), (Words{"-a", "-d", "|", "-e"}));
    EXPECT_EQ(NamesOf(deferred), (Words{"-b", "-c", "-f"}));
    // Without a list the deferred words are dropped.
    EXPECT_EQ(Parse("a | b"), Words{"a"});
}

TEST_F(OptionFileTest, UnterminatedQuotesNameTheLineAndUnreadableFilesGiveNoWords)
{
    MakeFile("bad", "one\n\"two\nthree \"four");
    Words words;
    EXPECT_EQ(Stderr([&] { words = FileRead(Name("bad"), nullptr); }),
              "cctrvx: Error: `" + Name("bad") + "': Unterminated double quote at line 2\ncctrvx: Error: `" +
                  Name("bad") + "': Unterminated double quote at line 3\n");
    EXPECT_EQ(words, (Words{"one", "two", "three", "four"}));
    EXPECT_EQ(ErrorNum, 2u);

    const std::string errors = Stderr([&] {
        EXPECT_TRUE(FileRead(Name("missing"), nullptr).empty());
        EXPECT_TRUE(FileRead(HostName(dir_.string()), nullptr).empty());
    });
    EXPECT_NE(errors.find("missing: No such file or directory"), std::string::npos);
    EXPECT_NE(errors.find("Is a directory"), std::string::npos);
}

TEST_F(OptionFileTest, BinaryFilesAndLongLinesAreReadWithoutHarm)
{
    std::string binary;
    std::mt19937 random(7);
    for (int i = 0; i < 100000; ++i)
        binary += static_cast<char>(random() % 256);
    Words words;
    Stderr([&] { words = Parse(binary); });
    for (const std::string& word : words)
        EXPECT_EQ(word.find('\0'), std::string::npos);
    const std::string longLine(1 << 20, 'x');
    EXPECT_EQ(Parse(longLine + " y"), (Words{longLine, "y"}));
}

TEST_F(OptionFileTest, StringsAndEnvironmentVariablesHaveNoCommentsVariablesOrLines)
{
    const Variable home("HOME_T", "h");
    ArgList deferred, later;
    EXPECT_EQ(FileReadString("#a $HOME_T %HOME_T% \"x\ny\" p\nq | r", &deferred),
              (Words{"#a", "$HOME_T", "%HOME_T%", "x\ny", "p", "q"}));
    EXPECT_EQ(NamesOf(deferred), Words{"r"});

    {
        const Variable options("OPTS_T", "-a \"b c\" | -d");
        EXPECT_EQ(FileReadVar("OPTS_T", &later), (Words{"-a", "b c"}));
        EXPECT_EQ(NamesOf(later), Words{"-d"});
    }
    const Variable empty("OPTS_T", "");
    EXPECT_EQ(FileReadVar("OPTS_T", nullptr), Words{});
    Arg* record = ArgLocateNext(EnvironList, "OPTS_T");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record->value, "-a \"b c\" | -d"); // the first record wins
}

// Found by fuzzing: a string that ends inside a quoted part is read without a report
// (strings have no file name to report).
TEST(OptionStrings, AnUnterminatedQuoteEndsTheLastWord)
{
    EXPECT_EQ(FileReadString("\"", nullptr), std::vector<std::string>{""});
    EXPECT_EQ(FileReadString("a \"b c", nullptr), (std::vector<std::string>{"a", "b c"}));
}

TEST_F(OptionFileTest, WrittenFilesReadBackAsTheSameWordsInLinesBeforeColumn72)
{
    const Variable y("Y", "expanded"), path("PATH_T", "expanded");
    Words words = {
        "",         "plain",   "two words",  "tab\there",   "x$Y.c",       "%PATH_T%",     "50%",
        "%%",       "a%%b",    "$",          "$$Y",         "\"",          "a\"b",         "\\",
        "trail\\",  "x y\\",   "\\\"",       "C:\\dir name\\f", "#comment", "a|b",         "|",
        "semi;colon", "caf\xc3\xa9", "-DX=\"1 2\"", "%Y", "$Y%",         "'q'",          std::string(100, 'w'),
    };
    for (int i = 0; i < 40; ++i)
        words.push_back("word" + std::to_string(i));
    ArgList list;
    for (const std::string& word : words)
        ArgAddTail(list, word);
    ASSERT_EQ(FileWrite(Name("written.opt"), list, "main driver", "cctrvx", "6.2.0"), 1);
    std::istringstream in(Read("written.opt"));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line.rfind("# main driver options file generated by cctrvx 6.2.0 on ", 0), 0u);
    int lines = 0;
    while (std::getline(in, line)) {
        if (line.find(std::string(100, 'w')) == std::string::npos) {
            EXPECT_LT(line.size(), 72u) << line;
        }
        ++lines;
    }
    EXPECT_GE(lines, 8);
    EXPECT_EQ(FileRead(Name("written.opt"), nullptr), words);
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
    std::string text = "abcdefgh";
    for (int i = 1; i < 12; ++i)
        text += " abcdefgh";
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
    ArgList entries;
    MakeFile("arch.sde", "PREDEFINES: -DX : -DY\n# comment\nA: b\\:c \\\n d\nE\n:x\n");
    EXPECT_EQ(FileReadSDE(Name("arch.sde"), entries), 4);
    std::vector<std::pair<std::string, std::string>> got;
    for (Arg* arg = ArgFirst(entries); arg; arg = ArgNext(arg))
        got.emplace_back(arg->name, arg->value.value_or(""));
    // A line that starts with a colon has an empty key.
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                       {"PREDEFINES", "-DX"}, {"PREDEFINES", "-DY"}, {"A", "b:cd"}, {"", "x"}}));
}

} // namespace
