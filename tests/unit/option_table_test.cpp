// The user option table, the help table and the manual page filter.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "error.h"
#include "option_help.h"
#include "option_table.h"

namespace {

// The identifiers that other code switches on keep their values.
static_assert(OPT_at == 196);
static_assert(OPT_cxx == 97);
static_assert(OPT_ansi_cxx == 102);
static_assert(OPT_C == 25);
static_assert(OPT_c == 162);
static_assert(OPT_63835 == 119);
static_assert(OPT_Wdriver_limit == 53);
static_assert(OPT_I_ == 81);
static_assert(OPT_R_ == 261);
static_assert(OPT_h == OPT_help);
static_assert(OPT_pedantic_errors == OPT_strict);
static_assert(OPT_pedantic == OPT_strictwarn);

int RowCount()
{
    int rows = 0;
    while (OptionDataTable[rows].name)
        ++rows;
    return rows;
}

// Option table: shape --------------------------------------------------------------------

TEST(OptionTable, HasAllRowsThenTheTerminator)
{
    EXPECT_EQ(RowCount(), OPTION_DATA_ROWS);
    EXPECT_EQ(OptionDataTable[OPTION_DATA_ROWS].name, nullptr);
}

TEST(OptionTable, IdentifiersAndKindsAreInRange)
{
    for (int i = 0; i < OPTION_DATA_ROWS; ++i) {
        const OptionData& row = OptionDataTable[i];
        EXPECT_GE(row.id, 1u) << row.name;
        EXPECT_LE(row.id, 328u) << row.name;
        EXPECT_TRUE(row.kind == ARG_NONE || row.kind == ARG_VALUE || row.kind == ARG_PATH)
            << row.name;
        EXPECT_EQ(row.name[0], '-') << row.name;
    }
}

TEST(OptionTable, NamesAreUnique)
{
    std::set<std::string> seen;
    for (int i = 0; i < OPTION_DATA_ROWS; ++i)
        EXPECT_TRUE(seen.insert(OptionDataTable[i].name).second) << OptionDataTable[i].name;
}

TEST(OptionTable, OnlyTheThreeAliasPairsShareAnIdentifier)
{
    std::map<std::uint32_t, std::set<std::string>> byId;
    for (int i = 0; i < OPTION_DATA_ROWS; ++i)
        byId[OptionDataTable[i].id].insert(OptionDataTable[i].name);
    std::set<std::set<std::string>> shared;
    for (const auto& [id, names] : byId)
        if (names.size() > 1)
            shared.insert(names);
    const std::set<std::set<std::string>> aliases = {
        {"-h", "-help"},
        {"-pedantic-errors", "-strict"},
        {"-pedantic", "-strictwarn"},
    };
    EXPECT_EQ(shared, aliases);
    // Aliases agree on everything but the name.
    for (const auto& pair : aliases) {
        const OptionData* first = nullptr;
        for (int i = 0; i < OPTION_DATA_ROWS; ++i) {
            const OptionData& row = OptionDataTable[i];
            if (!pair.count(row.name))
                continue;
            if (!first) {
                first = &row;
                continue;
            }
            EXPECT_EQ(row.kind, first->kind) << row.name;
            EXPECT_STREQ(row.translation, first->translation) << row.name;
        }
    }
}

// Option table: sample rows ----------------------------------------------------------------

struct ExpectedRow {
    int index;
    const char* name;
    std::uint32_t id;
    int kind;
    const char* translation;
};

// Rows from across the table, with every translation of more than one item.
const ExpectedRow SampleRows[] = {
    {0, "-@", 196, ARG_PATH, nullptr},
    {1, "-999", 89, ARG_VALUE, nullptr},
    {5, "-veltrix", 98, ARG_NONE, "--c(d)|--veltrix_mode(d)"},
    {12, "-C", 25, ARG_NONE, "--comments(d)"},
    {13, "-c", 162, ARG_NONE, "-c(d)"},
    {14, "-ansi-c++", 102, ARG_NONE, "--c++(d)|--alternative_tokens(d)|-MD__cplusplus(l)"},
    {15, "-c++", 97, ARG_NONE,
     "--c++(d)|--alternative_tokens(d)|--veltrix_mode(d)|-MD__cplusplus(l)"},
    {27, "-EE", 241, ARG_NONE, "--preprocess(c)|--no_preproc_only(d)"},
    {31, "-TARVEX", 66, ARG_NONE, nullptr},
    {32, "-63835", 119, ARG_NONE, "-63835(a)|-KDSP-63835(i)|-DKDSP-63835(l)"},
    {33, "-63832", 120, ARG_NONE, "-63832(a)|-KDSP-63832(i)|-DKDSP-63832(l)"},
    {47, "-g", 29, ARG_NONE, "--debug_generation(c)|"},
    {48, "-debug-types", 31, ARG_NONE,
     "--debug_generation(c)|--no_remove_unneeded_entities(c)"},
    {52, "-HH", 303, ARG_NONE, "--trace_includes(c)|--no_preproc_only(d)"},
    {55, "-I", 80, ARG_PATH, nullptr},
    {56, "-I-", 81, ARG_NONE, nullptr},
    {61, "-ipa", 79, ARG_NONE, "--ipa(d)|-O(i)"},
    {63, "-jcs2l", 91, ARG_NONE, "-jcs2l+(l)"},
    {67, "-MD", 44, ARG_NONE, "--dependencies(c)|--dependency_files(d)|--no_preproc_only(d)"},
    {68, "-MM", 42, ARG_NONE, "--dependencies(c)|--no_preproc_only(d)|-MM(l)"},
    {71, "-MQ", 46, ARG_NONE, "--dependencies(d)|-M(l)"},
    {88, "-no-namespace", 165, ARG_NONE,
     "--no_namespaces(d)|--no_using_std(d)|--no_exceptions(d)|--no_rtti(d)"},
    {96, "-no-inline", 158, ARG_NONE, "+K0(d)"},
    {100, "-no-demangle", 147, ARG_NONE, "--no_decode(d)"},
    {111, "-Ov", 277, ARG_VALUE, nullptr},
    {117, "-PP", 245, ARG_NONE, "--no_line_commands(c)|--no_preproc_only(d)"},
    {127, "-path-def", 223, ARG_PATH, nullptr},
    {143, "-R-", 261, ARG_NONE, nullptr},
    {162, "-threads", 292, ARG_NONE,
     "-D_VLX_THREADS=1(c)|-MD_VLX_THREADS(l)|-D_VLX_THREADS=1(a)"},
    {163, "-time", 293, ARG_NONE, "--component_time(d)|--timing(d)"},
    {169, "-v", 320, ARG_NONE,
     "-v(d)|--pch_messages(d)|-V(dgp)|--kai_version(d)|-version(l)|--version(c)"},
    {171, "-verbose", 317, ARG_NONE, "-v(d)|--pch_messages(d)"},
    {172, "-full-version", 318, ARG_NONE, "-V(dgpu)|--kai_version(d)|-version(l)|--version(c)"},
    {174, "-Wdriver-limit", 53, ARG_VALUE, nullptr},
    {176, "-Werror-limit", 60, ARG_VALUE, nullptr},
    {178, "-Wremarks", 260, ARG_NONE, "--remarks(d)"},
    {189, "-xref", 258, ARG_PATH, nullptr},
};

TEST(OptionTable, SampleRowsAreAsDefined)
{
    for (const ExpectedRow& expected : SampleRows) {
        SCOPED_TRACE(expected.name);
        const OptionData& row = OptionDataTable[expected.index];
        ASSERT_NE(row.name, nullptr);
        EXPECT_STREQ(row.name, expected.name);
        EXPECT_EQ(row.id, expected.id);
        EXPECT_EQ(row.kind, expected.kind);
        EXPECT_STREQ(row.translation, expected.translation);
    }
}

TEST(OptionTable, SampleCoversEveryMultiItemTranslation)
{
    std::set<std::string> sampled;
    for (const ExpectedRow& expected : SampleRows)
        sampled.insert(expected.name);
    for (int i = 0; i < OPTION_DATA_ROWS; ++i) {
        const OptionData& row = OptionDataTable[i];
        if (row.translation && std::strchr(row.translation, '|')) {
            EXPECT_TRUE(sampled.count(row.name)) << row.name << " is not in the sample";
        }
    }
}

// Option table: the lookup prefixes --------------------------------------------------------

// The prefixes of the lookup rule, first match wins: a shorter prefix listed before a
// longer one that begins with it would hide the longer one. The single-letter prefixes
// ("-@", "-A", "-D", "-L", "-T", "-U", "-l", "-o", and "-I", "-R" but for "-I-", "-R-")
// match every word that begins with them.
const char* const LookupPrefixes[] = {
    "-999", "-@", "-A", "-D", "-I", "-L", "-Mt", "-Ov", "-R", "-T", "-U",
    "-Wdriver-limit", "-Werror-limit", "-Werror", "-Wremark", "-Wsuppress", "-Wwarn",
    "-archive", "-auto-inline", "-debug",
    "-flags-asm", "-flags-compiler", "-flags-debug", "-flags-demangle", "-flags-driver",
    "-flags-gco", "-flags-lib", "-flags-link", "-flags-prelink", "-flags-prof",
    "-generate", "-include", "-l", "-map", "-o",
    "-pplist", "-proc", "-pchdir", "-path-asm", "-path-compiler", "-path-debug", "-path-def",
    "-path-demangle", "-path-driver", "-path-gco", "-path-install", "-path-prelink",
    "-path-prof", "-path-ipa", "-path-lib", "-path-link", "-path-output", "-path-temp",
    "-pguide-file",
    "-reserve", "-testargs", "-val-global", "-xref",
};

const OptionData* FindRow(const std::string& name)
{
    for (int i = 0; i < OPTION_DATA_ROWS; ++i)
        if (name == OptionDataTable[i].name)
            return &OptionDataTable[i];
    return nullptr;
}

// The first prefix that the name begins with, or "".
std::string FirstPrefix(const std::string& name)
{
    for (const char* prefix : LookupPrefixes)
        if (name.compare(0, std::strlen(prefix), prefix) == 0)
            return prefix;
    return "";
}

TEST(OptionTable, EveryPrefixNamesARowWithAnArgument)
{
    for (const char* prefix : LookupPrefixes) {
        const OptionData* row = FindRow(prefix);
        if (std::string(prefix) == "-pchdir") {
            EXPECT_EQ(row, nullptr) << "-pchdir is recognised as a prefix but has no row";
            continue;
        }
        ASSERT_NE(row, nullptr) << prefix;
        EXPECT_NE(row->kind, ARG_NONE) << prefix;
    }
}

TEST(OptionTable, EveryRowWithAnArgumentIsReachedThroughItsOwnPrefix)
{
    for (int i = 0; i < OPTION_DATA_ROWS; ++i) {
        const OptionData& row = OptionDataTable[i];
        if (row.kind != ARG_NONE) {
            EXPECT_EQ(FirstPrefix(row.name), row.name) << "shadowed or unlisted";
        }
    }
}

TEST(OptionTable, RowsWithoutArgumentEscapeThePrefixes)
{
    // The lookup rule names -I-, -R-, -Wremarks and -debug-types as exact words;
    // -TARVEX begins with the always-matching "-T" and so reads as -T with ARVEX.
    const std::set<std::string> caught = {"-I-", "-R-", "-Wremarks", "-debug-types", "-TARVEX"};
    std::set<std::string> found;
    for (int i = 0; i < OPTION_DATA_ROWS; ++i) {
        const OptionData& row = OptionDataTable[i];
        if (row.kind == ARG_NONE && !FirstPrefix(row.name).empty())
            found.insert(row.name);
    }
    EXPECT_EQ(found, caught);
}

// Help -----------------------------------------------------------------------------------

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Help, OutputMatchesTheReference)
{
    const std::string expected =
        ReadFile(std::filesystem::path(CCTRVX_FIXTURES) / "help.txt");
    ASSERT_FALSE(expected.empty());
    SetProgName("cctrvx");
    testing::internal::CaptureStdout();
    Help();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
}

TEST(Help, TableEntriesAreWellFormed)
{
    // Every entry starts with a syntax and has at least one description line; a short
    // syntax followed by another syntax would run two entries into one line.
    const HelpEntry* entry = HelpTable;
    ASSERT_NE(entry->syntax, nullptr);
    int entries = 0;
    for (; entry->syntax; ++entry) {
        ASSERT_NE(entry->text, nullptr);
        const bool starts = entry->syntax[0] != '\0';
        EXPECT_NE(starts, entry->text[0] != '\0') << entry->syntax << entry->text;
        if (starts) {
            ++entries;
            ASSERT_NE(entry[1].syntax, nullptr) << entry->syntax;
            EXPECT_STREQ(entry[1].syntax, "") << entry->syntax << " has no description";
        }
    }
    EXPECT_EQ(entries, 122);
}

// Manual page ------------------------------------------------------------------------------

class ManualPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        dir_ = std::filesystem::path(testing::TempDir()) /
               ("cctrvx_man_" + std::to_string(random()));
        std::filesystem::create_directories(dir_);
        SetProgName("cctrvx");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Filtered(const std::string& content)
    {
        const std::filesystem::path file = dir_ / "cctrvx.1";
        {
            std::ofstream out(file, std::ios::binary);
            out << content;
        }
        testing::internal::CaptureStdout();
        ManualPage(file.string());
        return testing::internal::GetCapturedStdout();
    }

    std::filesystem::path dir_;
};

TEST_F(ManualPageTest, BoldAndUnderlineKeepTheLastCharacter)
{
    EXPECT_EQ(Filtered("X\bX"), "X");
    EXPECT_EQ(Filtered("_\bX"), "X");
    EXPECT_EQ(Filtered("N\bNA\bAM\bME\bE\n  _\bf_\bi_\bl_\be x\n"), "NAME\n  file x\n");
}

TEST_F(ManualPageTest, PlainTextIsCopiedUnchanged)
{
    const std::string text = "cctrvx(1)\n\n\tcompiler driver\r\nlast line without newline";
    EXPECT_EQ(Filtered(text), text);
    EXPECT_EQ(Filtered("a"), "a");
    EXPECT_EQ(Filtered("ab"), "ab");
}

TEST_F(ManualPageTest, EmptyFilePrintsNothing) { EXPECT_EQ(Filtered(""), ""); }

TEST_F(ManualPageTest, BackspaceAtEitherEndIsPrinted)
{
    EXPECT_EQ(Filtered("\bX"), "\bX");
    EXPECT_EQ(Filtered("\bXY"), "\bXY");
    EXPECT_EQ(Filtered("ab\b"), "ab\b");
    EXPECT_EQ(Filtered("\b"), "\b");
}

TEST_F(ManualPageTest, MissingFileIsACountedError)
{
    const std::uint32_t savedNum = ErrorNum;
    const std::uint32_t savedMax = ErrorMax;
    ErrorNum = 0;
    ErrorMax = 10;
    const std::string path = (dir_ / "missing.1").string();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ManualPage(path);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "cctrvx: Error: " + path + ": No such file or directory\n");
    EXPECT_EQ(ErrorNum, 1u);
    ErrorNum = savedNum;
    ErrorMax = savedMax;
}

} // namespace
