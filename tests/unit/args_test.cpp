// Argument lists and the command-line quoting round trip.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <strings.h>
#include <vector>

#include "args.h"

namespace {

std::vector<std::string> Names(const List& list)
{
    std::vector<std::string> names;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        names.push_back(arg->name);
    return names;
}

struct ArgList : List {
    ~ArgList() { ArgFreeList(*this); }
};

std::string Quote(const std::string& word)
{
    return ArgQuote(word, ArgEscapeSpec, ArgQuoteSpec);
}

TEST(ArgList, OnceVariants)
{
    ArgList list;
    ArgAddTail(list, "a", "1");
    ArgAddTail(list, "b");
    Arg* kept = ArgAddTailOnce(list, "a", "2");
    EXPECT_EQ(*kept->value, "1"); // the existing entry, value unchanged
    EXPECT_EQ(list.count, 2u);
    Arg* moved = ArgAddHeadOnce(list, "b", "3");
    EXPECT_EQ(moved, ArgFirst(list));
    EXPECT_EQ(*moved->value, "3");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a"}));
}

TEST(ArgList, LocateByNameAndPrefix)
{
    ArgList list;
    ArgAddTail(list, "-I");
    Arg* define = ArgAddTail(list, "-DX=1");
    ArgAddTail(list, "-DY");
    EXPECT_EQ(ArgLocateNextOpt(list, ""), nullptr);
    EXPECT_EQ(ArgLocateNextOpt(list, "-D"), define);
    EXPECT_EQ(ArgLocateNextOpt(define, "-D")->name, "-DY");
    EXPECT_EQ(ArgLocateNext(list, "-DY")->name, "-DY");
    EXPECT_EQ(ArgLocateNext(list, "-D"), nullptr);
}

TEST(ArgList, LengthAndSplitting)
{
    ArgList list;
    EXPECT_EQ(ArgListLength(list), 0u);
    ArgAddTail(list, "a");
    ArgAddTail(list, "bc");
    EXPECT_EQ(ArgListLength(list), 4u);

    ArgList words;
    for (const char* w : {"abc", "de", "f"})
        ArgAddTail(words, w);
    ArgList chunk;
    Arg* rest = ArgSplitLength(ArgFirst(words), 5, chunk);
    EXPECT_EQ(Names(chunk), (std::vector<std::string>{"abc"}));
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(rest->name, "de");
    ArgFreeList(chunk);
    EXPECT_EQ(ArgSplitLength(rest, 5, chunk), nullptr);
    EXPECT_EQ(Names(chunk), (std::vector<std::string>{"de", "f"}));

    ArgList long1;
    ArgAddTail(long1, "abcdefgh");
    ArgAddTail(long1, "x");
    ArgList chunk2;
    EXPECT_EQ(ArgSplitLength(ArgFirst(long1), 3, chunk2)->name, "x");
    EXPECT_EQ(Names(chunk2), (std::vector<std::string>{"abcdefgh"}));
    EXPECT_EQ(ArgSplitLength(nullptr, 3, chunk2), nullptr);

    ArgList byCount;
    EXPECT_EQ(ArgSplit(ArgFirst(words), 2, byCount)->name, "f");
    EXPECT_EQ(Names(byCount), (std::vector<std::string>{"abc", "de"}));
}

TEST(ArgList, SortIsCaseInsensitiveAndKeepsEqualEntriesBeforeThePivot)
{
    ArgList list;
    ArgAddTail(list, "b");
    ArgAddTail(list, "A");
    ArgAddTail(list, "a");
    ArgSort(list, strcasecmp);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "A", "b"}));

    ArgList values;
    ArgAddTail(values, "x", "2");
    ArgAddTail(values, "x", "1");
    ArgAddTail(values, "x");
    ArgSort(values, strcasecmp);
    std::vector<std::string> order;
    for (Arg* arg = ArgFirst(values); arg; arg = ArgNext(arg))
        order.push_back(arg->value.value_or("-"));
    EXPECT_EQ(order, (std::vector<std::string>{"-", "1", "2"}));
}

TEST(ArgList, DuplicateAndFree)
{
    ArgList list;
    ArgAddTail(list, "a", "1");
    ArgAddTail(list, "b");
    ArgList copy;
    ArgDupList(list, copy);
    EXPECT_EQ(Names(copy), Names(list));
    EXPECT_EQ(*ArgFirst(copy)->value, "1");
    EXPECT_NE(ArgFirst(copy), ArgFirst(list));
    ArgFreeList(copy);
    EXPECT_EQ(copy.count, 0u);
}

TEST(Quoting, SpecifiedExamples)
{
    EXPECT_EQ(Quote(""), "\"\"");
    EXPECT_EQ(Quote("a b"), "\"a b\"");
    EXPECT_EQ(Quote("a\"b"), "\"a\\\"b\"");
    EXPECT_EQ(Quote("a\\\"b"), "\"a\\\\\\\"b\"");
    EXPECT_EQ(Quote("x y\\"), "\"x y\\\\\"");
    EXPECT_EQ(Quote("C:\\dir\\f"), "C:\\dir\\f");
    EXPECT_EQ(Quote("C:\\dir name\\f"), "\"C:\\dir name\\f\"");
    EXPECT_EQ(Quote("a,b;c=d+e~f"), "a,b;c=d+e~f");
    // White space of any kind forces quotes, so a tab never splits a word.
    EXPECT_EQ(Quote("a\tb"), "\"a\tb\"");
}

TEST(Quoting, ListToStringAndArray)
{
    ArgList list;
    ArgAddTail(list, "A", "1");
    ArgAddTail(list, "B");
    EXPECT_EQ(ArgList2String(' ', nullptr, nullptr, list), "A=1 B");
    ArgAddTail(list, "c d");
    EXPECT_EQ(ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, list), "A B \"c d\"");
    EXPECT_EQ(ArgList2Array(ArgEscapeSpec, ArgQuoteSpec, list), (std::vector<std::string>{"A", "B", "\"c d\""}));
    EXPECT_EQ(ArgList2Array(nullptr, nullptr, list), (std::vector<std::string>{"A", "B", "c d"}));
}

TEST(Quoting, ListsToStringWriteNoLeadingSeparator)
{
    ArgList empty, a, b;
    ArgAddTail(a, "x", "1");
    ArgAddTail(a, "y");
    ArgAddTail(b, "z");
    EXPECT_EQ(ArgLists2String(' ', nullptr, nullptr, {&empty, &a, &empty, &b}), "x y z");
    EXPECT_EQ(ArgLists2String(' ', nullptr, nullptr, {&empty, &empty}), "");
    EXPECT_EQ(ArgLists2Array(nullptr, nullptr, {&a, &b}), (std::vector<std::string>{"x", "y", "z"}));
}

// Quoting each word, joining with blanks and splitting the line again must give back
// exactly the words: this is what makes a tool receive what the driver meant.
std::vector<std::string> RoundTrip(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty())
            line += ' ';
        line += Quote(word);
    }
    return ArgSplitCommandLine(line);
}

TEST(Quoting, RoundTripOfAwkwardWords)
{
    const std::vector<std::string> words = {
        "",           "plain",       "two words",    "tab\there",    "new\nline",     "\"",
        "\"\"",       "a\"b",        "\\",           "\\\\",         "trail\\",       "trail\\\\",
        "x y\\",      "x y\\\\",     "\\\"",         "\\\\\"",       "a\\\"b",        "C:\\dir\\f",
        "C:\\dir name\\", "-DX=\"1 2\"", "%PATH%",   "$HOME",        "a|b",           "semi;colon",
        "   ",        "'single'",    "caf\xc3\xa9",  "\xff\x80",     "end\"",         "\"start",
        "mid \" quote", "\\\\server\\share", "-I\"a b\"\\", "\r\v\f",
    };
    EXPECT_GE(words.size(), 20u);
    EXPECT_EQ(RoundTrip(words), words);
    for (const std::string& word : words)
        EXPECT_EQ(RoundTrip({word}), std::vector<std::string>{word}) << "word: [" << word << "]";
}

TEST(Quoting, RoundTripOfRandomWords)
{
    std::mt19937 random(12345);
    const std::string alphabet = "ab \\\"\t%$|&<>^!'";
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> words(1 + random() % 4);
        for (std::string& word : words) {
            const std::size_t length = random() % 7;
            for (std::size_t i = 0; i < length; ++i)
                word += alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(RoundTrip(words), words);
    }
}

TEST(Quoting, SplittingIgnoresRunsOfBlanks)
{
    EXPECT_EQ(ArgSplitCommandLine("  a   b\t c  "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ArgSplitCommandLine(""), std::vector<std::string>{});
    EXPECT_EQ(ArgSplitCommandLine("a\"\"b"), std::vector<std::string>{"ab"});
}

} // namespace
