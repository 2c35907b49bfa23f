// Wildcard matching, wildcard expansion over a real directory tree, the input filter by
// output kind and the ranking of input kinds.
#include "test_support.h"

#include <chrono>
#include <memory>
#include <random>

#include "cctrvx/globals.h"
#include "file_match.h"
#include "file_names.h"

namespace {

// Matching ----------------------------------------------------------------------------

TEST(FileMatch, WildcardsSetsAndExactCharacters)
{
    const struct {
        const char* name;
        const char* pattern;
        int match;
    } cases[] = {
        {"a.c", "*.c", 1},      {"a.C", "*.c", 0},      {"abc", "a?c", 1},       {"ab", "a?c", 0},
        {"abc", "a**c", 1},     {"ac", "a*c", 1},       {"", "", 1},             {"a", "", 0},
        {"", "*", 1},           {"", "?", 0},           {"", "*a", 0},           {".c", "*.c", 1},
        {"a.cc", "*.c", 0},     {"abc", "abc*", 1},     {"abcd", "abc", 0},      {"abc", "abcd", 0},
        // Stars backtrack.
        {"aaab", "*ab", 1},     {"abcabd", "*abd", 1},  {"mississippi", "m*iss*ppi", 1},
        {"mississippi", "m*iss*x", 0}, {"axxbyyc", "a*b*c", 1}, {"axbxc", "a*b", 0}, {"ab", "*?*?*", 1},
        {"a", "*?*?*", 0},      {"x.tar.gz", "*.*.gz", 1}, {"x1y", "*[0-9]*", 1}, {"xy", "*[0-9]*", 0},
        // Sets, ranges and negation.
        {"b", "[a-c]", 1},      {"b", "[!a-c]", 0},     {"d", "[!a-c]", 1},      {"c", "[a-c]", 1},
        {"a", "[a-c]", 1},      {"B", "[a-c]", 0},      {"b", "[abc]", 1},       {"d", "[abc]", 0},
        {"x5.c", "x[0-9].c", 1}, {"x55.c", "x[0-9].c", 0}, {"q", "[a-cx-zq]", 1}, {"y", "[a-cx-zq]", 1},
        {"m", "[a-cx-zq]", 0},
        {"b", "[c-a]", 0},      {"b", "[!c-a]", 1},     // a reversed range holds nothing
        {"[", "[[]", 1},        {"-", "[-a]", 1},       // "[" inside a set is an ordinary character
        {"!", "[a!]", 1},       // "!" negates only right after "["
        {"", "[a-c]", 0},       {"ab", "[a-c]", 0},     // a set needs exactly one character
        // Codes compare as unsigned, so bytes above 127 fall inside a high range.
        {"\xe9", "[a-\xff]", 1}, {"\xe9", "[\x80-\xef]", 1}, {"Z", "[\x80-\xef]", 0},
        // Sets that are empty or never closed match nothing.
        {"x", "[ab", 0},        {"a", "[ab", 0},        {"a", "[", 0},           {"a", "[!", 0},
        {"a", "[a-", 0},        {"aaaaaaaa", "*[a", 0},
        // The character after "-" is always the upper end of the range, even a "]": then
        // the set goes on and here is never closed.
        {"a", "[a-]", 0},       {"]", "[A-]]", 1},      {"Q", "[A-]]", 1},       {"^", "[A-]]", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileMatch(c.name, c.pattern), c.match) << "name `" << c.name << "' pattern `" << c.pattern << "'";
    for (const char* name : {"", "]", "x", "]x", "a"}) {
        for (const char* pattern : {"[]x]", "[!]x]", "*[]x]*"})
            EXPECT_EQ(FileMatch(name, pattern), 0) << name << " " << pattern;
    }
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

class FileExpandTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        savedCwd_ = std::filesystem::current_path();
        ASSERT_EQ(Name("").find_first_of("[*?"), std::string::npos) << "unusable temporary directory";
        for (const char* file : {"src/a.c", "src/B.c", "src/A2.c", "src/c.C", "src/d.h", "src/.hidden.c",
                                 "src/sub1/x.c", "src/sub2/y.c", "src/sub2/Z.C", "src/sub2/notes.txt",
                                 "C:/lib/a.doj", "C:/lib/B.doj", "C:/lib/c.txt", "empty/readme.txt"})
            MakeFile(file, "x\n");
        // The test directory is the current directory.
        std::filesystem::current_path(dir_);
    }

    void TearDown() override
    {
        std::filesystem::current_path(savedCwd_);
        TempDirTest::TearDown();
    }

    // The names a pattern expands to in a fresh list, with the count returned.
    static Words Expand(const std::string& pattern, int count)
    {
        ArgList list;
        EXPECT_EQ(FileExpand(pattern, list), count) << pattern;
        return NamesOf(list);
    }

    std::filesystem::path savedCwd_;
};

TEST_F(FileExpandTest, MatchesSortedIgnoringCaseInTheFormOfThePattern)
{
    // The listing order is by byte value (".hidden.c", "A2.c", "B.c", "a.c"); the result
    // is sorted ignoring case. "c.C" does not match: case is significant in matching.
    EXPECT_EQ(Expand(Name("src\\*.c"), 4),
              (Words{Name("src\\.hidden.c"), Name("src\\a.c"), Name("src\\A2.c"), Name("src\\B.c")}));
    EXPECT_EQ(Expand("src/[aB]*.c", 2), (Words{"src\\a.c", "src\\B.c"}));
    EXPECT_EQ(Expand("src\\*\\*.c", 2), (Words{"src\\sub1\\x.c", "src\\sub2\\y.c"}));
    EXPECT_EQ(Expand(Name("*\\sub?\\*.[cC]"), 3),
              (Words{Name("src\\sub1\\x.c"), Name("src\\sub2\\y.c"), Name("src\\sub2\\Z.C")}));
}

TEST_F(FileExpandTest, NoMatchAddsNothingAndSortsWhatIsThere)
{
    ArgList list{"zeta", "Alpha"};
    for (const char* pattern : {"*.c", "empty\\*.c", "nosuch\\*.c", "src\\a.c\\*"}) // a file is not a directory
        EXPECT_EQ(FileExpand(pattern, list), 2) << pattern;
    EXPECT_EQ(NamesOf(list), (Words{"Alpha", "zeta"}));
}

TEST_F(FileExpandTest, OnlyADotComponentListsTheDotEntries)
{
    EXPECT_EQ(Expand("src\\*", 8), (Words{"src\\.hidden.c", "src\\a.c", "src\\A2.c", "src\\B.c", "src\\c.C",
                                          "src\\d.h", "src\\sub1", "src\\sub2"}));
    EXPECT_EQ(Expand("*", 3), (Words{"C:", "empty", "src"}));
    for (const std::string& name : Expand("src\\?*", 8))
        EXPECT_TRUE(name != "src\\." && name != "src\\..") << name;
    EXPECT_EQ(Expand("src\\.*", 3), (Words{"src\\.", "src\\..", "src\\.hidden.c"}));
}

TEST_F(FileExpandTest, DriveAndLeadingBackslashAreKept)
{
    // On this host "C:" is a directory of the current one, which is enough to see the
    // drive carried through.
    EXPECT_EQ(Expand("C:\\lib\\*.doj", 2), (Words{"C:\\lib\\a.doj", "C:\\lib\\B.doj"}));
    for (const std::string& name : Expand(Name("C:\\lib\\*.doj"), 2))
        EXPECT_EQ(name.rfind("\\", 0), 0u) << name;
}

TEST_F(FileExpandTest, ComponentsWithoutWildcardsAreTakenAsTheyAre)
{
    ArgList list;
    EXPECT_EQ(FileExpand("nosuch\\file.c", list), 1);
    EXPECT_EQ(FileExpand("src/a.c", list), 2);
    EXPECT_EQ(NamesOf(list), (Words{"nosuch\\file.c", "src\\a.c"}));
    // Components after a wildcard are not looked for either.
    EXPECT_EQ(Expand("src\\a*\\x.c", 1), (Words{"src\\a.c\\x.c"}));
}

TEST_F(FileExpandTest, PathsLongerThanTheOldLimit)
{
    std::string relative = "long";
    for (char c : std::string("pqrstu"))
        relative += "/" + std::string(60, c);
    MakeFile(relative + "/deep.c");
    MakeFile(relative + "/deep.h");
    const Words found = Expand(Name("long\\*\\*\\*\\*\\*\\*\\*.c"), 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_GT(found[0].size(), 260u);
    EXPECT_EQ(found[0], Name(relative + "/deep.c"));
    EXPECT_EQ(Expand(Name(relative + "/none.c"), 1), (Words{Name(relative + "/none.c")}));
}

TEST_F(FileExpandTest, GlobWorksDepthFirstInListingOrder)
{
    ArgList list, done;
    std::string path = "srcXYZ";
    FileGlob(path, 3, std::string_view("*.c"), list);
    EXPECT_EQ(NamesOf(list), (Words{"src\\.hidden.c", "src\\A2.c", "src\\B.c", "src\\a.c"}));
    path = "leftover";
    FileGlob(path, 0, std::nullopt, done);
    EXPECT_EQ(NamesOf(done), (Words{""}));
}

// The input filter -----------------------------------------------------------------------

TEST(FileRequired, EveryOutputKindTakesItsInputs)
{
    // Columns: C, C++, intermediate, preprocessed, assembler, object, library, "-l" and
    // "+" link items, C and C++ headers, option file, profile data, executable, no
    // suffix, unrecognised. Unknown output kinds take only unrecognised files.
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
        {-1, "0000000000000001"},                 {OUTPUT_EXECUTABLE + 1, "0000000000000001"},
        {42, "0000000000000001"},
    };
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < std::size(files); ++i)
            EXPECT_EQ(FileRequired(files[i], row.output), row.required[i] - '0')
                << files[i] << " for output kind " << row.output;
    }
}

// Ranking ----------------------------------------------------------------------------------

TEST(HigherSource, AnEarlierKindInTheToolChainWins)
{
    // How early each kind enters the tool chain; 0: no place in it. The last place (8)
    // never wins, and a kind without a place never counts as lower.
    const std::pair<int, int> ranks[] = {
        {FILE_UNRECOGNIZED, 1}, {FILE_CXX, 2},       {FILE_C, 3},      {FILE_INTERMEDIATE, 4},
        {FILE_PREPROCESSED, 4}, {FILE_ASSEMBLER, 5}, {FILE_OBJECT, 6}, {FILE_LIBRARY, 7},
        {FILE_DLL, 7},          {FILE_NONE, 8},      {FILE_EXECUTABLE, 8}, {FILE_OPTIONS, 0},
        {FILE_C_HEADER, 0},     {FILE_CXX_HEADER, 0}, {FILE_PROFILE, 0},
    };
    for (const auto& [a, rankA] : ranks) {
        for (const auto& [b, rankB] : ranks)
            EXPECT_EQ(HigherSource(a, b), rankA != 0 && rankA != 8 && rankB > rankA ? 1 : 0) << a << " over " << b;
    }
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
