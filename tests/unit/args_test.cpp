// Argument lists and the command-line quoting round trip.
#include "test_support.h"

#include <strings.h>

namespace {

std::string Quote(const std::string& word)
{
    return ArgQuote(word, ArgEscapeSpec, ArgQuoteSpec);
}

TEST(ArgList, OnceVariantsLocatingAndCopying)
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
    EXPECT_EQ(NamesOf(list), (Words{"b", "a"}));

    ArgList copy;
    ArgDupList(list, copy);
    EXPECT_EQ(NamesOf(copy), NamesOf(list));
    EXPECT_EQ(*ArgFirst(copy)->value, "3");
    EXPECT_NE(ArgFirst(copy), ArgFirst(list));
    ArgFreeList(copy);
    EXPECT_EQ(copy.count, 0u);

    ArgList options{"-I", "-DX=1", "-DY"};
    Arg* define = ArgNext(ArgFirst(options));
    EXPECT_EQ(ArgLocateNextOpt(options, ""), nullptr);
    EXPECT_EQ(ArgLocateNextOpt(options, "-D"), define);
    EXPECT_EQ(ArgLocateNextOpt(define, "-D")->name, "-DY");
    EXPECT_EQ(ArgLocateNext(options, "-DY")->name, "-DY");
    EXPECT_EQ(ArgLocateNext(options, "-D"), nullptr);
}

TEST(ArgList, LengthAndSplitting)
{
    ArgList empty, words{"abc", "de", "f"}, chunk, longer{"abcdefgh", "x"};
    EXPECT_EQ(ArgListLength(empty), 0u);
    EXPECT_EQ(ArgListLength(ArgList{"a", "bc"}), 4u);

    // With "de" the joined length would be 6.
    Arg* rest = ArgSplitLength(ArgFirst(words), 5, chunk);
    EXPECT_EQ(NamesOf(chunk), Words{"abc"});
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(rest->name, "de");
    ArgFreeList(chunk);
    EXPECT_EQ(ArgSplitLength(rest, 5, chunk), nullptr);
    EXPECT_EQ(NamesOf(chunk), (Words{"de", "f"}));
    ArgFreeList(chunk);
    EXPECT_EQ(ArgSplitLength(ArgFirst(words), 6, chunk)->name, "f");
    EXPECT_EQ(NamesOf(chunk), (Words{"abc", "de"}));
    ArgFreeList(chunk);
    // A single entry longer than the room still makes a chunk.
    EXPECT_EQ(ArgSplitLength(ArgFirst(longer), 3, chunk)->name, "x");
    EXPECT_EQ(NamesOf(chunk), Words{"abcdefgh"});
    EXPECT_EQ(ArgSplitLength(nullptr, 3, chunk), nullptr);

    ArgList byCount;
    EXPECT_EQ(ArgSplit(ArgFirst(words), 2, byCount)->name, "f");
    EXPECT_EQ(NamesOf(byCount), (Words{"abc", "de"}));
}

TEST(ArgList, SortIsCaseInsensitiveAndKeepsEqualEntriesBeforeThePivot)
{
    ArgList list{"b", "A", "a"}, values;
    ArgSort(list, strcasecmp);
    EXPECT_EQ(NamesOf(list), (Words{"a", "A", "b"}));

    ArgAddTail(values, "x", "2");
    ArgAddTail(values, "x", "1");
    ArgAddTail(values, "x");
    ArgSort(values, strcasecmp);
    Words order;
    for (Arg* arg = ArgFirst(values); arg; arg = ArgNext(arg))
        order.push_back(arg->value.value_or("-"));
    EXPECT_EQ(order, (Words{"-", "1", "2"}));
}

TEST(Quoting, QuotesAndEscapesOnlyWhatNeedsThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "\"\""}, {"a b", "\"a b\""}, {"a\"b", "\"a\\\"b\""}, {"a\\\"b", "\"a\\\\\\\"b\""},
        {"x y\\", "\"x y\\\\\""}, {"C:\\dir\\f", "C:\\dir\\f"}, {"C:\\dir name\\f", "\"C:\\dir name\\f\""},
        {"a,b;c=d+e~f", "a,b;c=d+e~f"},
        // White space of any kind forces quotes, so a tab never splits a word.
        {"a\tb", "\"a\tb\""},
    };
    for (const auto& [word, quoted] : cases)
        EXPECT_EQ(Quote(word), quoted) << word;
}

TEST(Quoting, ListsToStringsAndArraysWriteNoLeadingSeparator)
{
    ArgList list, empty, a, b{"z"};
    ArgAddTail(list, "A", "1");
    ArgAddTail(list, "B");
    EXPECT_EQ(ArgList2String(' ', nullptr, nullptr, list), "A=1 B");
    ArgAddTail(list, "c d");
    EXPECT_EQ(ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, list), "A B \"c d\"");
    EXPECT_EQ(ArgList2Array(ArgEscapeSpec, ArgQuoteSpec, list), (Words{"A", "B", "\"c d\""}));
    EXPECT_EQ(ArgList2Array(nullptr, nullptr, list), (Words{"A", "B", "c d"}));

    ArgAddTail(a, "x", "1");
    ArgAddTail(a, "y");
    EXPECT_EQ(ArgLists2String(' ', nullptr, nullptr, {&empty, &a, &empty, &b}), "x y z");
    EXPECT_EQ(ArgLists2String(' ', nullptr, nullptr, {&empty, &empty}), "");
    EXPECT_EQ(ArgLists2Array(nullptr, nullptr, {&a, &b}), (Words{"x", "y", "z"}));
}

// Quoting each word, joining with blanks and splitting the line again must give back
// exactly the words: this is what makes a tool receive what the driver meant.
Words RoundTrip(const Words& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + Quote(word);
    return ArgSplitCommandLine(line);
}

TEST(Quoting, RoundTripOfAwkwardWords)
{
    const Words words = {
        "",           "plain",       "two words",    "tab\there",    "new\nline",     "\"",
        "\"\"",       "a\"b",        "\\",           "\\\\",         "trail\\",       "trail\\\\",
        "x y\\",      "x y\\\\",     "\\\"",         "\\\\\"",       "a\\\"b",        "C:\\dir\\f",
        "C:\\dir name\\", "-DX=\"1 2\"", "%PATH%",   "$HOME",        "a|b",           "semi;colon",
        "   ",        "'single'",    "caf\xc3\xa9",  "\xff\x80",     "end\"",         "\"start",
        "mid \" quote", "\\\\server\\share", "-I\"a b\"\\", "\r\v\f",
    };
    EXPECT_EQ(RoundTrip(words), words);
    for (const std::string& word : words)
        EXPECT_EQ(RoundTrip({word}), Words{word}) << "word: [" << word << "]";
}

TEST(Quoting, RoundTripOfRandomWords)
{
    std::mt19937 random(12345);
    const std::string alphabet = "ab \\\"\t%$|&<>^!'";
    for (int round = 0; round < 2000; ++round) {
        Words words(1 + random() % 4);
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
    EXPECT_EQ(ArgSplitCommandLine("  a   b\t c  "), (Words{"a", "b", "c"}));
    EXPECT_EQ(ArgSplitCommandLine(""), Words{});
    EXPECT_EQ(ArgSplitCommandLine("a\"\"b"), Words{"ab"});
}

} // namespace
