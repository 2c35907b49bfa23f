// Wildcard matching, wildcard expansion over a real directory tree, the input filter by
// output kind and the ranking of input kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "file_match.h"
#include "file_names.h"
#include "host/host.h"

namespace {

namespace fs = std::filesystem;

struct ArgList : List {
    ~ArgList() { ArgFreeList(*this); }
};

std::vector<std::string> Names(const List& list)
{
    std::vector<std::string> names;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        names.push_back(arg->name);
    return names;
}

using Strings = std::vector<std::string>;

// Matching ----------------------------------------------------------------------------

TEST(FileMatch, WildcardsAndExactCharacters)
{
    EXPECT_EQ(FileMatch("a.c", "*.c"), 1);
    EXPECT_EQ(FileMatch("a.C", "*.c"), 0);
    EXPECT_EQ(FileMatch("abc", "a?c"), 1);
    EXPECT_EQ(FileMatch("ab", "a?c"), 0);
    EXPECT_EQ(FileMatch("abc", "a**c"), 1);
    EXPECT_EQ(FileMatch("ac", "a*c"), 1);
    EXPECT_EQ(FileMatch("", ""), 1);
    EXPECT_EQ(FileMatch("a", ""), 0);
    EXPECT_EQ(FileMatch("", "*"), 1);
    EXPECT_EQ(FileMatch("", "?"), 0);
    EXPECT_EQ(FileMatch("", "*a"), 0);
    EXPECT_EQ(FileMatch(".c", "*.c"), 1);
    EXPECT_EQ(FileMatch("a.cc", "*.c"), 0);
    EXPECT_EQ(FileMatch("abc", "abc*"), 1);
    EXPECT_EQ(FileMatch("abcd", "abc"), 0);
    EXPECT_EQ(FileMatch("abc", "abcd"), 0);
}

TEST(FileMatch, StarsBacktrack)
{
    EXPECT_EQ(FileMatch("aaab", "*ab"), 1);
    EXPECT_EQ(FileMatch("abcabd", "*abd"), 1);
    EXPECT_EQ(FileMatch("mississippi", "m*iss*ppi"), 1);
    EXPECT_EQ(FileMatch("mississippi", "m*iss*x"), 0);
    EXPECT_EQ(FileMatch("axxbyyc", "a*b*c"), 1);
    EXPECT_EQ(FileMatch("axbxc", "a*b"), 0);
    EXPECT_EQ(FileMatch("ab", "*?*?*"), 1);
    EXPECT_EQ(FileMatch("a", "*?*?*"), 0);
    EXPECT_EQ(FileMatch("x.tar.gz", "*.*.gz"), 1);
    EXPECT_EQ(FileMatch("x1y", "*[0-9]*"), 1);
    EXPECT_EQ(FileMatch("xy", "*[0-9]*"), 0);
}

TEST(FileMatch, SetsRangesAndNegation)
{
    EXPECT_EQ(FileMatch("b", "[a-c]"), 1);
    EXPECT_EQ(FileMatch("b", "[!a-c]"), 0);
    EXPECT_EQ(FileMatch("d", "[!a-c]"), 1);
    EXPECT_EQ(FileMatch("c", "[a-c]"), 1);
    EXPECT_EQ(FileMatch("a", "[a-c]"), 1);
    EXPECT_EQ(FileMatch("B", "[a-c]"), 0);
    EXPECT_EQ(FileMatch("b", "[abc]"), 1);
    EXPECT_EQ(FileMatch("d", "[abc]"), 0);
    EXPECT_EQ(FileMatch("x5.c", "x[0-9].c"), 1);
    EXPECT_EQ(FileMatch("x55.c", "x[0-9].c"), 0);
    EXPECT_EQ(FileMatch("q", "[a-cx-zq]"), 1);
    EXPECT_EQ(FileMatch("y", "[a-cx-zq]"), 1);
    EXPECT_EQ(FileMatch("m", "[a-cx-zq]"), 0);
    EXPECT_EQ(FileMatch("b", "[c-a]"), 0);     // a reversed range holds nothing
    EXPECT_EQ(FileMatch("b", "[!c-a]"), 1);
    EXPECT_EQ(FileMatch("[", "[[]"), 1);       // "[" inside a set is an ordinary character
    EXPECT_EQ(FileMatch("-", "[-a]"), 1);
    EXPECT_EQ(FileMatch("!", "[a!]"), 1);      // "!" negates only right after "["
    EXPECT_EQ(FileMatch("", "[a-c]"), 0);      // a set needs a character
    EXPECT_EQ(FileMatch("ab", "[a-c]"), 0);
    // Codes compare as unsigned, so bytes above 127 fall inside a high range.
    EXPECT_EQ(FileMatch("\xe9", "[a-\xff]"), 1);
    EXPECT_EQ(FileMatch("\xe9", "[\x80-\xef]"), 1);
    EXPECT_EQ(FileMatch("Z", "[\x80-\xef]"), 0);
}

TEST(FileMatch, MalformedSetsNeverMatch)
{
    for (const char* name : {"", "]", "x", "]x", "a"}) {
        EXPECT_EQ(FileMatch(name, "[]x]"), 0) << name;
        EXPECT_EQ(FileMatch(name, "[!]x]"), 0) << name;
        EXPECT_EQ(FileMatch(name, "*[]x]*"), 0) << name;
    }
    EXPECT_EQ(FileMatch("x", "[ab"), 0);
    EXPECT_EQ(FileMatch("a", "[ab"), 0);
    EXPECT_EQ(FileMatch("a", "["), 0);
    EXPECT_EQ(FileMatch("a", "[!"), 0);
    EXPECT_EQ(FileMatch("a", "[a-"), 0);
    EXPECT_EQ(FileMatch("aaaaaaaa", "*[a"), 0);
    // The character after "-" is always the upper end of the range, even a "]": then
    // the set goes on and here is never closed.
    EXPECT_EQ(FileMatch("a", "[a-]"), 0);
    EXPECT_EQ(FileMatch("]", "[A-]]"), 1);
    EXPECT_EQ(FileMatch("Q", "[A-]]"), 1);
    EXPECT_EQ(FileMatch("^", "[A-]]"), 0);
}

// Copies the text into a buffer of exactly its size, with no terminator, so that a read
// past the end is a fault that the address sanitizer reports.
struct ExactBuffer {
    explicit ExactBuffer(std::string_view text) : size(text.size()), bytes(std::make_unique<char[]>(text.size()))
    {
        std::copy(text.begin(), text.end(), bytes.get());
    }
    std::string_view view() const { return {bytes.get(), size}; }
    std::size_t size;
    std::unique_ptr<char[]> bytes;
};

TEST(FileMatch, StaysWithinBothStrings)
{
    // Views that end before the characters that follow them in memory.
    const std::string text = "[a-c]abc";
    EXPECT_EQ(FileMatch("b", std::string_view(text).substr(0, 3)), 0); // "[a-"
    EXPECT_EQ(FileMatch("b", std::string_view(text).substr(0, 5)), 1);
    EXPECT_EQ(FileMatch(std::string_view(text).substr(5, 2), "ab"), 1);
    EXPECT_EQ(FileMatch(std::string_view(text).substr(5, 2), "abc"), 0);
    EXPECT_EQ(FileMatch(std::string_view(text).substr(5, 2), "ab?"), 0);

    for (const char* pattern : {"[", "[!", "[a-", "[a", "*[", "*?", "a*", "?", "[]", "*[a-"}) {
        const ExactBuffer p(pattern);
        for (const char* name : {"", "a", "ab", "]"}) {
            const ExactBuffer n(name);
            const int result = FileMatch(n.view(), p.view());
            EXPECT_TRUE(result == 0 || result == 1);
        }
    }
}

// The matching rules as written, recursion and all: exponential, but fine for the short
// strings compared against it.
bool ReferenceMatch(std::string_view name, std::string_view pattern)
{
    if (pattern.empty())
        return name.empty();
    switch (pattern[0]) {
    case '?':
        return !name.empty() && ReferenceMatch(name.substr(1), pattern.substr(1));
    case '*':
        if (pattern.size() == 1)
            return true;
        for (std::size_t i = 0; i <= name.size(); ++i) {
            if (ReferenceMatch(name.substr(i), pattern.substr(1)))
                return true;
        }
        return false;
    case '[': {
        std::size_t i = 1;
        bool negated = false;
        if (i < pattern.size() && pattern[i] == '!') {
            negated = true;
            ++i;
        }
        if (i < pattern.size() && pattern[i] == ']')
            return false;
        if (name.empty())
            return false;
        const auto c = static_cast<unsigned char>(name[0]);
        bool member = false;
        while (true) {
            if (i >= pattern.size())
                return false;
            if (pattern[i] == ']')
                break;
            const auto low = static_cast<unsigned char>(pattern[i]);
            if (i + 1 < pattern.size() && pattern[i + 1] == '-') {
                if (i + 2 >= pattern.size())
                    return false;
                member = member || (low <= c && c <= static_cast<unsigned char>(pattern[i + 2]));
                i += 3;
            } else {
                member = member || low == c;
                ++i;
            }
        }
        return member != negated && ReferenceMatch(name.substr(1), pattern.substr(i + 1));
    }
    default:
        return !name.empty() && name[0] == pattern[0] && ReferenceMatch(name.substr(1), pattern.substr(1));
    }
}

TEST(FileMatch, AgreesWithTheRecursiveRulesOnRandomPairs)
{
    std::mt19937 random(20240611);
    const std::string nameChars = "ab-]!";
    const std::string patternChars = "ab?*[]!-";
    auto make = [&](const std::string& chars, std::size_t maximum) {
        std::string text(random() % (maximum + 1), ' ');
        for (char& c : text)
            c = chars[random() % chars.size()];
        return text;
    };
    int matches = 0;
    for (int i = 0; i < 50000; ++i) {
        const std::string name = make(nameChars, 8);
        const std::string pattern = make(patternChars, 8);
        const int expected = ReferenceMatch(name, pattern) ? 1 : 0;
        matches += expected;
        ASSERT_EQ(FileMatch(name, pattern), expected) << "name `" << name << "' pattern `" << pattern << "'";
    }
    // Both outcomes were exercised.
    EXPECT_GT(matches, 100);
}

TEST(FileMatch, ManyStarsStayFast)
{
    const std::string name(20000, 'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FileMatch(name, "*a*a*a*a*a*a*a*a*b"), 0);
    EXPECT_EQ(FileMatch(name, "*a*a*a*a*a*a*a*a*a"), 1);
    EXPECT_EQ(FileMatch(name + "b", "*a*a*a*a*a*a*a*a*b"), 1);
    EXPECT_EQ(FileMatch(name, "*?*?*?*?*?*?*?*?*[!a]"), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Exponential backtracking would not end at all; a bounded walk takes milliseconds.
    EXPECT_LT(elapsed, std::chrono::seconds(10));
}

// Expansion over a directory tree ------------------------------------------------------

class FileExpandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        savedCwd_ = fs::current_path();
        root_ = fs::temp_directory_path() /
                ("cctrvx_match_" + std::to_string(HostProcessId()) + "_" + std::to_string(counter++));
        fs::remove_all(root_);
        fs::create_directories(root_);
        rootName_ = HostName(root_.string());
        ASSERT_EQ(rootName_.find_first_of("[*?"), std::string::npos) << "unusable temporary directory";

        for (const char* file : {"src/a.c", "src/B.c", "src/A2.c", "src/c.C", "src/d.h", "src/.hidden.c",
                                 "src/sub1/x.c", "src/sub2/y.c", "src/sub2/Z.C", "src/sub2/notes.txt",
                                 "C:/lib/a.doj", "C:/lib/B.doj", "C:/lib/c.txt", "empty/readme.txt"})
            Touch(file);
    }

    void TearDown() override
    {
        fs::current_path(savedCwd_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    void Touch(const std::string& file) const
    {
        const fs::path path = root_ / file;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x\n";
    }

    // Runs with the test directory as the current directory.
    void EnterRoot() const { fs::current_path(root_); }

    std::string Under(const std::string& name) const { return rootName_ + "\\" + name; }

    fs::path savedCwd_;
    fs::path root_;
    std::string rootName_;
};

TEST_F(FileExpandTest, MatchesOfOneDirectorySortedIgnoringCase)
{
    ArgList list;
    EXPECT_EQ(FileExpand(Under("src\\*.c"), list), 4);
    // The listing order is by byte value (".hidden.c", "A2.c", "B.c", "a.c"); the result
    // is sorted ignoring case. "c.C" does not match: case is significant in matching.
    EXPECT_EQ(Names(list), (Strings{Under("src\\.hidden.c"), Under("src\\a.c"), Under("src\\A2.c"),
                                    Under("src\\B.c")}));
}

TEST_F(FileExpandTest, RelativePatternKeepsItsForm)
{
    EnterRoot();
    ArgList list;
    EXPECT_EQ(FileExpand("src/[aB]*.c", list), 2);
    EXPECT_EQ(Names(list), (Strings{"src\\a.c", "src\\B.c"}));
}

TEST_F(FileExpandTest, NoMatchAddsNothingAndSortsWhatIsThere)
{
    EnterRoot();
    ArgList list;
    ArgAddTail(list, "zeta");
    ArgAddTail(list, "Alpha");
    EXPECT_EQ(FileExpand("*.c", list), 2);
    EXPECT_EQ(Names(list), (Strings{"Alpha", "zeta"}));
    EXPECT_EQ(FileExpand("empty\\*.c", list), 2);
    EXPECT_EQ(FileExpand("nosuch\\*.c", list), 2);
    EXPECT_EQ(FileExpand("src\\a.c\\*", list), 2); // a file is not a directory
}

TEST_F(FileExpandTest, NestedWildcardComponents)
{
    EnterRoot();
    ArgList list;
    EXPECT_EQ(FileExpand("src\\*\\*.c", list), 2);
    EXPECT_EQ(Names(list), (Strings{"src\\sub1\\x.c", "src\\sub2\\y.c"}));

    ArgList deeper;
    EXPECT_EQ(FileExpand(Under("*\\sub?\\*.[cC]"), deeper), 3);
    EXPECT_EQ(Names(deeper), (Strings{Under("src\\sub1\\x.c"), Under("src\\sub2\\y.c"), Under("src\\sub2\\Z.C")}));
}

TEST_F(FileExpandTest, StarNeverGivesTheDotEntries)
{
    EnterRoot();
    ArgList list;
    FileExpand("src\\*", list);
    EXPECT_EQ(Names(list), (Strings{"src\\.hidden.c", "src\\a.c", "src\\A2.c", "src\\B.c", "src\\c.C",
                                    "src\\d.h", "src\\sub1", "src\\sub2"}));

    ArgList top;
    FileExpand("*", top);
    EXPECT_EQ(Names(top), (Strings{"C:", "empty", "src"}));

    ArgList any;
    FileExpand("src\\?*", any);
    for (const std::string& name : Names(any)) {
        EXPECT_NE(name, "src\\.");
        EXPECT_NE(name, "src\\..");
    }
}

TEST_F(FileExpandTest, DotComponentListsTheDotEntries)
{
    EnterRoot();
    ArgList list;
    EXPECT_EQ(FileExpand("src\\.*", list), 3);
    EXPECT_EQ(Names(list), (Strings{"src\\.", "src\\..", "src\\.hidden.c"}));
}

TEST_F(FileExpandTest, DriveAndLeadingBackslashAreKept)
{
    // On this host "C:" is a directory of the current one, which is enough to see the
    // drive carried through.
    EnterRoot();
    ArgList list;
    EXPECT_EQ(FileExpand("C:\\lib\\*.doj", list), 2);
    EXPECT_EQ(Names(list), (Strings{"C:\\lib\\a.doj", "C:\\lib\\B.doj"}));

    ArgList absolute;
    EXPECT_EQ(FileExpand(Under("C:\\lib\\*.doj"), absolute), 2);
    for (const std::string& name : Names(absolute))
        EXPECT_EQ(name.rfind("\\", 0), 0u) << name;
}

TEST_F(FileExpandTest, PatternWithoutWildcardsYieldsItself)
{
    EnterRoot();
    ArgList list;
    EXPECT_EQ(FileExpand("nosuch\\file.c", list), 1);
    EXPECT_EQ(FileExpand("src/a.c", list), 2);
    EXPECT_EQ(Names(list), (Strings{"nosuch\\file.c", "src\\a.c"}));

    // Components after a wildcard are not looked for either.
    ArgList after;
    EXPECT_EQ(FileExpand("src\\a*\\x.c", after), 1);
    EXPECT_EQ(Names(after), (Strings{"src\\a.c\\x.c"}));
}

TEST_F(FileExpandTest, PathsLongerThanTheOldLimit)
{
    std::string relative = "long";
    for (char c : std::string("pqrstu"))
        relative += "/" + std::string(60, c);
    Touch(relative + "/deep.c");
    Touch(relative + "/deep.h");

    ArgList list;
    EXPECT_EQ(FileExpand(Under("long\\*\\*\\*\\*\\*\\*\\*.c"), list), 1);
    ASSERT_EQ(list.count, 1u);
    const std::string found = ArgFirst(list)->name;
    EXPECT_GT(found.size(), 260u);
    EXPECT_EQ(found, HostName((root_ / relative / "deep.c").string()));

    ArgList literal;
    const std::string name = HostName((root_ / relative / "none.c").string());
    EXPECT_EQ(FileExpand(name, literal), 1);
    EXPECT_EQ(Names(literal), (Strings{name}));
}

TEST_F(FileExpandTest, GlobWorksDepthFirstInListingOrder)
{
    EnterRoot();
    ArgList list;
    std::string path = "srcXYZ";
    FileGlob(path, 3, std::string_view("*.c"), list);
    EXPECT_EQ(Names(list), (Strings{"src\\.hidden.c", "src\\A2.c", "src\\B.c", "src\\a.c"}));

    ArgList done;
    path = "leftover";
    FileGlob(path, 0, std::nullopt, done);
    EXPECT_EQ(Names(done), (Strings{""}));
}

// The input filter -----------------------------------------------------------------------

TEST(FileRequired, EdgeCases)
{
    EXPECT_EQ(FileRequired("x.doj", OUTPUT_OBJECT), 0);
    EXPECT_EQ(FileRequired("x.doj", OUTPUT_EXECUTABLE), 1);
    EXPECT_EQ(FileRequired("-lc", OUTPUT_LIBRARY), 0);
    EXPECT_EQ(FileRequired("a.s", OUTPUT_PREPROCESSED), 1);
    EXPECT_EQ(FileRequired("a.s", OUTPUT_ASSEMBLER), 0);
    for (int kind = -1; kind <= OUTPUT_EXECUTABLE + 1; ++kind) {
        EXPECT_EQ(FileRequired("x.foo", kind), 1) << kind;
        EXPECT_EQ(FileRequired("prog", kind), 0) << kind;
    }
}

TEST(FileRequired, EveryOutputKindTakesItsInputs)
{
    // Columns: C, C++, intermediate, preprocessed, assembler, object, library, "-l" and
    // "+" link items, C and C++ headers, option file, profile data, executable, no
    // suffix, unrecognised.
    const char* files[] = {"a.c",   "a.cpp", "a.ic",  "a.i",   "a.s",   "a.doj", "l.dlb", "-lc",
                           "+item", "a.h",   "a.hpp", "o.opt", "p.pgo", "a.dxe", "prog",  "x.foo"};
    const struct {
        int output;
        const char* required;
    } rows[] = {
        {OUTPUT_NONE, "1111000000000001"},        {OUTPUT_FILE_LIST, "1100000000000001"},
        {OUTPUT_C, "1100000000000001"},           {OUTPUT_PREPROCESSED, "1100100000000001"},
        {OUTPUT_ASSEMBLER, "1111000000000001"},   {OUTPUT_OBJECT, "1111100000000001"},
        {OUTPUT_LIBRARY, "1111110000000001"},     {OUTPUT_DLL, "1111111110000001"},
        {OUTPUT_RELOCATABLE, "1111111110000001"}, {OUTPUT_EXECUTABLE, "1111111110000001"},
        {-1, "0000000000000001"},                 {42, "0000000000000001"},
    };
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < std::size(files); ++i)
            EXPECT_EQ(FileRequired(files[i], row.output), row.required[i] - '0')
                << files[i] << " for output kind " << row.output;
    }
}

// Ranking ----------------------------------------------------------------------------------

TEST(HigherSource, EdgeCases)
{
    EXPECT_EQ(HigherSource(FILE_CXX, FILE_C), 1);
    EXPECT_EQ(HigherSource(FILE_C, FILE_CXX), 0);
    EXPECT_EQ(HigherSource(FILE_OBJECT, FILE_NONE), 1);
    EXPECT_EQ(HigherSource(FILE_LIBRARY, FILE_DLL), 0);
    EXPECT_EQ(HigherSource(FILE_UNRECOGNIZED, FILE_CXX), 1);
}

TEST(HigherSource, UnrankedAndLastKindsNeverWin)
{
    const int all[] = {FILE_NONE,      FILE_OPTIONS, FILE_C,       FILE_C_HEADER, FILE_INTERMEDIATE,
                       FILE_PREPROCESSED, FILE_CXX,  FILE_CXX_HEADER, FILE_ASSEMBLER, FILE_OBJECT,
                       FILE_LIBRARY,   FILE_DLL,     FILE_EXECUTABLE, FILE_PROFILE, FILE_UNRECOGNIZED};
    for (int b : all) {
        for (int a : {FILE_OPTIONS, FILE_C_HEADER, FILE_CXX_HEADER, FILE_PROFILE, FILE_NONE, FILE_EXECUTABLE})
            EXPECT_EQ(HigherSource(a, b), 0) << a << " over " << b;
        // A kind without a rank never counts as lower.
        for (int c : {FILE_OPTIONS, FILE_C_HEADER, FILE_CXX_HEADER, FILE_PROFILE})
            EXPECT_EQ(HigherSource(b, c), 0) << b << " over " << c;
        EXPECT_EQ(HigherSource(b, b), 0) << b;
    }
    EXPECT_EQ(HigherSource(FILE_INTERMEDIATE, FILE_PREPROCESSED), 0);
    EXPECT_EQ(HigherSource(FILE_PREPROCESSED, FILE_ASSEMBLER), 1);
    EXPECT_EQ(HigherSource(FILE_ASSEMBLER, FILE_OBJECT), 1);
    EXPECT_EQ(HigherSource(FILE_DLL, FILE_EXECUTABLE), 1);
    EXPECT_EQ(HigherSource(FILE_UNRECOGNIZED, FILE_UNRECOGNIZED), 0);
}

TEST(HigherSource, KeepsTheEarliestInputKind)
{
    auto highest = [](std::initializer_list<int> kinds) {
        int high = FILE_NONE;
        for (int kind : kinds) {
            if (HigherSource(kind, high))
                high = kind;
        }
        return high;
    };
    EXPECT_EQ(highest({FILE_OBJECT, FILE_C_HEADER, FILE_ASSEMBLER, FILE_C, FILE_LIBRARY, FILE_CXX, FILE_C}),
              FILE_CXX);
    EXPECT_EQ(highest({FILE_LIBRARY, FILE_DLL, FILE_EXECUTABLE}), FILE_LIBRARY);
    EXPECT_EQ(highest({FILE_EXECUTABLE, FILE_C_HEADER, FILE_PROFILE}), FILE_NONE);
    EXPECT_EQ(highest({FILE_ASSEMBLER, FILE_PREPROCESSED, FILE_INTERMEDIATE}), FILE_PREPROCESSED);
}

} // namespace
