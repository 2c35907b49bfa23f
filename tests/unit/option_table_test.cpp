// The user option table, the help table and the manual page filter.
#include "test_support.h"

#include <cstring>
#include <map>
#include <set>

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

// Option table ----------------------------------------------------------------------------

TEST(OptionTable, RowsThenTheTerminatorUniqueNamesIdentifiersAndKindsInRange)
{
    std::set<std::string> names;
    int rows = 0;
    for (const OptionData* row = OptionDataTable; row->name; ++row, ++rows) {
        EXPECT_TRUE(names.insert(row->name).second) << row->name;
        EXPECT_GE(row->id, 1u) << row->name;
        EXPECT_LE(row->id, 328u) << row->name;
        EXPECT_TRUE(row->kind == ARG_NONE || row->kind == ARG_VALUE || row->kind == ARG_PATH) << row->name;
        EXPECT_EQ(row->name[0], '-') << row->name;
    }
    EXPECT_EQ(rows, OPTION_DATA_ROWS);
}

TEST(OptionTable, OnlyTheThreeAliasPairsShareAnIdentifier)
{
    std::map<std::uint32_t, std::vector<const OptionData*>> byId;
    for (const OptionData* row = OptionDataTable; row->name; ++row)
        byId[row->id].push_back(row);
    std::set<std::set<std::string>> shared;
    for (const auto& [id, rows] : byId) {
        if (rows.size() < 2)
            continue;
        shared.insert({rows[0]->name, rows[1]->name});
        // Aliases agree on everything but the name.
        EXPECT_EQ(rows[0]->kind, rows[1]->kind) << rows[0]->name;
        EXPECT_STREQ(rows[0]->translation, rows[1]->translation) << rows[0]->name;
    }
    EXPECT_EQ(shared, (std::set<std::set<std::string>>{
                          {"-h", "-help"}, {"-pedantic-errors", "-strict"}, {"-pedantic", "-strictwarn"}}));
}

// Rows from across the table at their places, with every translation of more than one
// item.
TEST(OptionTable, SampleRowsAndEveryMultiItemTranslation)
{
    const struct {
        int index;
        const char* name;
        const char* translation;
    } rows[] = {
        {0, "-@", nullptr},        {1, "-999", nullptr},  {12, "-C", "--comments(d)"}, {13, "-c", "-c(d)"},
        {31, "-TARVEX", nullptr},  {63, "-jcs2l", "-jcs2l+(l)"}, {96, "-no-inline", "+K0(d)"}, {143, "-R-", nullptr},
        {189, "-xref", nullptr},   {5, "-veltrix", "--c(d)|--veltrix_mode(d)"},
        {14, "-ansi-c++", "--c++(d)|--alternative_tokens(d)|-MD__cplusplus(l)"},
        {15, "-c++", "--c++(d)|--alternative_tokens(d)|--veltrix_mode(d)|-MD__cplusplus(l)"},
        {27, "-EE", "--preprocess(c)|--no_preproc_only(d)"},
        {32, "-63835", "-63835(a)|-KDSP-63835(i)|-DKDSP-63835(l)"},
        {33, "-63832", "-63832(a)|-KDSP-63832(i)|-DKDSP-63832(l)"},
        {47, "-g", "--debug_generation(c)|"},  {61, "-ipa", "--ipa(d)|-O(i)"},
        {48, "-debug-types", "--debug_generation(c)|--no_remove_unneeded_entities(c)"},
        {52, "-HH", "--trace_includes(c)|--no_preproc_only(d)"},
        {67, "-MD", "--dependencies(c)|--dependency_files(d)|--no_preproc_only(d)"},
        {68, "-MM", "--dependencies(c)|--no_preproc_only(d)|-MM(l)"},
        {71, "-MQ", "--dependencies(d)|-M(l)"}, {171, "-verbose", "-v(d)|--pch_messages(d)"},
        {88, "-no-namespace", "--no_namespaces(d)|--no_using_std(d)|--no_exceptions(d)|--no_rtti(d)"},
        {117, "-PP", "--no_line_commands(c)|--no_preproc_only(d)"},
        {162, "-threads", "-D_VLX_THREADS=1(c)|-MD_VLX_THREADS(l)|-D_VLX_THREADS=1(a)"},
        {163, "-time", "--component_time(d)|--timing(d)"},
        {169, "-v", "-v(d)|--pch_messages(d)|-V(dgp)|--kai_version(d)|-version(l)|--version(c)"},
        {172, "-full-version", "-V(dgpu)|--kai_version(d)|-version(l)|--version(c)"},
    };
    std::set<std::string> sampled;
    for (const auto& expected : rows) {
        const OptionData& row = OptionDataTable[expected.index];
        EXPECT_STREQ(row.name, expected.name);
        EXPECT_STREQ(row.translation, expected.translation) << expected.name;
        sampled.insert(expected.name);
    }
    for (const OptionData* row = OptionDataTable; row->name; ++row) {
        if (row->translation && std::strchr(row->translation, '|')) {
            EXPECT_TRUE(sampled.count(row->name)) << row->name << " is not in the sample";
        }
    }
}

// Help -----------------------------------------------------------------------------------

TEST(Help, OutputMatchesTheReference)
{
    std::ifstream in(std::filesystem::path(CCTRVX_FIXTURES) / "help.txt", std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

class ManualPageTest : public TempDirTest {
protected:
    std::string Filtered(const std::string& content)
    {
        const std::string file = MakeFile("cctrvx.1", content);
        testing::internal::CaptureStdout();
        ManualPage(file);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(ManualPageTest, BoldAndUnderlineKeepTheLastCharacterOtherBytesAreCopied)
{
    const std::string plain = "cctrvx(1)\n\n\tcompiler driver\r\nlast line without newline";
    const std::pair<std::string, std::string> cases[] = {
        {"X\bX", "X"}, {"_\bX", "X"}, {"N\bNA\bAM\bME\bE\n  _\bf_\bi_\bl_\be x\n", "NAME\n  file x\n"},
        {plain, plain}, {"a", "a"}, {"ab", "ab"}, {"", ""},
        // A backspace at either end is printed.
        {"\bX", "\bX"}, {"\bXY", "\bXY"}, {"ab\b", "ab\b"}, {"\b", "\b"},
    };
    for (const auto& [content, expected] : cases)
        EXPECT_EQ(Filtered(content), expected) << testing::PrintToString(content);
}

TEST_F(ManualPageTest, MissingFileIsACountedError)
{
    const std::string path = Missing("missing.1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Stderr([&] { ManualPage(path); }), "cctrvx: Error: " + path + ": No such file or directory\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ErrorNum, 1u);
}

} // namespace
