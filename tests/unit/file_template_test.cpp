// Instantiation request files, template information files, merging the driver's entries
// into them, turning instantiation entries into paths, and the compiler's error file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_template.h"
#include "host/host.h"

namespace {

namespace fs = std::filesystem;

using Entry = std::pair<std::string, std::optional<std::string>>;
using Entries = std::vector<Entry>;

struct ArgList : List {
    ~ArgList() { ArgFreeList(*this); }
};

Entries EntriesOf(const List& list)
{
    Entries entries;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        entries.emplace_back(arg->name, arg->value);
    return entries;
}

Entry E(std::string name)
{
    return {std::move(name), std::nullopt};
}

Entry E(std::string name, std::string value)
{
    return {std::move(name), std::move(value)};
}

// A private directory per test, and the globals the module reads, restored afterwards.
class TemplateFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        root_ = fs::temp_directory_path() /
                ("cctrvx_template_" + std::to_string(HostProcessId()) + "_" + std::to_string(counter++));
        fs::remove_all(root_);
        fs::create_directories(root_);
        savedUseInstFiles_ = UseInstFiles;
        savedIPAMode_ = IPAMode;
        savedGenerate_ = Generate;
        savedErrorNum_ = ErrorNum;
        ErrorNum = 0;
    }

    void TearDown() override
    {
        UseInstFiles = savedUseInstFiles_;
        IPAMode = savedIPAMode_;
        Generate = savedGenerate_;
        ErrorNum = savedErrorNum_;
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // The name (backslash form) of a file in the test directory.
    std::string Name(const std::string& file) const { return HostName((root_ / file).string()); }

    void Put(const std::string& file, const std::string& bytes) const
    {
        std::ofstream out(root_ / file, std::ios::binary);
        out << bytes;
    }

    std::string Get(const std::string& file) const
    {
        std::ifstream in(root_ / file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    bool Exists(const std::string& file) const { return fs::exists(root_ / file); }

    fs::path root_;

private:
    int savedUseInstFiles_ = 0;
    int savedIPAMode_ = 0;
    int savedGenerate_ = 0;
    std::uint32_t savedErrorNum_ = 0;
};

// A file with every kind of damage at once: junk, CR LF line ends, a NUL and other
// binary bytes, a line of a megabyte, and no final newline.
std::string DamagedText(const std::string& wellFormed)
{
    std::string text = wellFormed;
    text += "junk without any structure\r\n";
    text += std::string("bin\0ary\x01\xff\xfe:", 12) + "\n";
    text += "\r\n\r\n";
    text += std::string(1 << 20, 'L') + "\n";
    text += "\x80\x81\x82";
    return text;
}

// Instantiation request files ---------------------------------------------------------

using RequestFile = TemplateFiles;

TEST_F(RequestFile, ThreeNewlinesGiveNoFieldsAndNoEntries)
{
    Put("a.ii", "\n\n\n");
    std::optional<std::string> command = "stale", directory = "stale", source = "stale";
    ArgList list;
    EXPECT_EQ(ReadInstantRequestFile(Name("a.ii"), &command, &directory, &source, list), 1);
    EXPECT_FALSE(command);
    EXPECT_FALSE(directory);
    EXPECT_FALSE(source);
    EXPECT_TRUE(list.empty());
}

TEST_F(RequestFile, NullDirectoryIsAnEmptySecondLine)
{
    const std::string command = "compiler -c -o \"my obj.doj\"";
    const std::string source = "a.cpp";
    ArgList list;
    ArgAddTail(list, "inst1");
    ArgAddTail(list, "inst2", "ignored value");
    EXPECT_EQ(WriteInstantRequestFile(Name("a.ii"), &command, nullptr, &source, list), 1);
    EXPECT_EQ(Get("a.ii"), "compiler -c -o \"my obj.doj\"\n\na.cpp\ninst1\ninst2\n");
    // The list is only read.
    EXPECT_EQ(list.count, 2u);
}

TEST_F(RequestFile, AllNullFieldsWriteThreeEmptyLines)
{
    ArgList list;
    EXPECT_EQ(WriteInstantRequestFile(Name("a.ii"), nullptr, nullptr, nullptr, list), 1);
    EXPECT_EQ(Get("a.ii"), "\n\n\n");
}

TEST_F(RequestFile, WrittenFileReadsBackTheSame)
{
    const std::string command = "--main -O \"-Dx=a b\" -c -o obj\\a.doj";
    const std::string directory = "C:\\work\\proj";
    const std::string source = "src\\a.cpp";
    ArgList written;
    for (const char* name : {"f__1AFi", "Vector<int>::size", "x y z", "last"})
        ArgAddTail(written, name);
    ASSERT_EQ(WriteInstantRequestFile(Name("a.ii"), &command, &directory, &source, written), 1);

    std::optional<std::string> c, d, s;
    ArgList read;
    ArgAddTail(read, "already there");
    ASSERT_EQ(ReadInstantRequestFile(Name("a.ii"), &c, &d, &s, read), 1);
    EXPECT_EQ(c, command);
    EXPECT_EQ(d, directory);
    EXPECT_EQ(s, source);
    EXPECT_EQ(EntriesOf(read), (Entries{E("already there"), E("f__1AFi"), E("Vector<int>::size"), E("x y z"),
                                        E("last")}));
}

TEST_F(RequestFile, PositionsStayFixedAndLaterEmptyLinesAreSkipped)
{
    Put("a.ii", "cmd\n\nsrc.c\n\nfirst\n\n\nsecond");
    std::optional<std::string> c, d, s;
    ArgList list;
    ASSERT_EQ(ReadInstantRequestFile(Name("a.ii"), &c, &d, &s, list), 1);
    EXPECT_EQ(c, "cmd");
    EXPECT_FALSE(d);
    EXPECT_EQ(s, "src.c");
    EXPECT_EQ(EntriesOf(list), (Entries{E("first"), E("second")}));
}

TEST_F(RequestFile, ShortFilesLeaveTheMissingFieldsNull)
{
    Put("a.ii", "only the command");
    std::optional<std::string> c, d = "stale", s = "stale";
    ArgList list;
    ASSERT_EQ(ReadInstantRequestFile(Name("a.ii"), &c, &d, &s, list), 1);
    EXPECT_EQ(c, "only the command");
    EXPECT_FALSE(d);
    EXPECT_FALSE(s);

    Put("b.ii", "");
    ASSERT_EQ(ReadInstantRequestFile(Name("b.ii"), &c, &d, &s, list), 1);
    EXPECT_FALSE(c);
    EXPECT_TRUE(list.empty());
}

TEST_F(RequestFile, NullOutParametersStillGiveEntries)
{
    Put("a.ii", "c\nd\ns\ne1\ne2\n");
    ArgList list;
    EXPECT_EQ(ReadInstantRequestFile(Name("a.ii"), nullptr, nullptr, nullptr, list), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{E("e1"), E("e2")}));
}

TEST_F(RequestFile, MissingFileOrDirectoryGivesZeroQuietly)
{
    std::optional<std::string> c = "stale", d = "stale", s = "stale";
    ArgList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadInstantRequestFile(Name("none.ii"), &c, &d, &s, list), 0);
    fs::create_directory(root_ / "dir.ii");
    EXPECT_EQ(ReadInstantRequestFile(Name("dir.ii"), &c, &d, &s, list), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(c);
    EXPECT_FALSE(d);
    EXPECT_FALSE(s);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(ErrorNum, 0u);
}

TEST_F(RequestFile, CarriageReturnsBeforeNewlinesAreDropped)
{
    Put("a.ii", "cmd\r\ndir\r\n\r\nentry\r\n\r\nlast\r");
    std::optional<std::string> c, d, s;
    ArgList list;
    ASSERT_EQ(ReadInstantRequestFile(Name("a.ii"), &c, &d, &s, list), 1);
    EXPECT_EQ(c, "cmd");
    EXPECT_EQ(d, "dir");
    EXPECT_FALSE(s);
    EXPECT_EQ(EntriesOf(list), (Entries{E("entry"), E("last")}));
}

TEST_F(RequestFile, DamagedFileIsReadWithoutHarm)
{
    Put("a.ii", DamagedText("cmd\ndir\nsrc\ngood\n"));
    std::optional<std::string> c, d, s;
    ArgList list;
    ASSERT_EQ(ReadInstantRequestFile(Name("a.ii"), &c, &d, &s, list), 1);
    EXPECT_EQ(c, "cmd");
    const Entries entries = EntriesOf(list);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], E("good"));
    EXPECT_EQ(entries[1], E("junk without any structure"));
    EXPECT_EQ(entries[2], E("bin")); // a name ends at a NUL character
    EXPECT_EQ(entries[3].first.size(), std::size_t{1} << 20);
    EXPECT_EQ(entries[4], E("\x80\x81\x82"));
}

TEST_F(RequestFile, UncreatableFileIsAnErrorAndGivesZero)
{
    const std::string name = Name("no such directory\\a.ii");
    ArgList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(WriteInstantRequestFile(name, nullptr, nullptr, nullptr, list), 0);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(text.rfind("cctrvx: Error: " + name + ": ", 0), 0u) << text;
    EXPECT_EQ(ErrorNum, 1u);
}

// Template information files -----------------------------------------------------------

using TemplateInfoFile = TemplateFiles;

TEST_F(TemplateInfoFile, ShortAndUnknownLinesAreIgnoredEntriesKeepTheirKeyAndOrder)
{
    Put("a.ti", "cmd:\nzzz:x\nifn:f1\nflg:g\nifn:f2\n");
    std::optional<std::string> c = "stale", d, s, i;
    ArgList list;
    ASSERT_EQ(ReadTemplateInfoFile(Name("a.ti"), &c, &d, &s, &i, list), 1);
    EXPECT_FALSE(c);
    EXPECT_EQ(EntriesOf(list), (Entries{E("f1", "ifn"), E("g", "flg"), E("f2", "ifn")}));
}

TEST_F(TemplateInfoFile, KeysAreExactAndTheLastFieldWins)
{
    Put("a.ti", "cmd:first\nCMD:upper\nifnx\nifn\ncmd:second\ndir:d\nfnm:a.c\nidn:rep\nidn:rep2\nifn:a:b\n");
    std::optional<std::string> c, d, s, i;
    ArgList list;
    ASSERT_EQ(ReadTemplateInfoFile(Name("a.ti"), &c, &d, &s, &i, list), 1);
    EXPECT_EQ(c, "second");
    EXPECT_EQ(d, "d");
    EXPECT_EQ(s, "a.c");
    EXPECT_EQ(i, "rep2");
    EXPECT_EQ(EntriesOf(list), (Entries{E("a:b", "ifn")}));
}

TEST_F(TemplateInfoFile, NullDirectoryOmitsItsLine)
{
    const std::string command = "compiler -c a.cpp";
    const std::string source = "a.cpp";
    const std::string repository = "tmpl";
    ArgList list;
    ArgAddTail(list, "x", "ifn");
    ArgAddTail(list, "-g", "flg");
    ASSERT_EQ(WriteTemplateInfoFile(Name("a.ti"), &command, nullptr, &source, &repository, list), 1);
    EXPECT_EQ(Get("a.ti"), "cmd:compiler -c a.cpp\nfnm:a.cpp\nidn:tmpl\nifn:x\nflg:-g\n");

    ArgList none;
    ASSERT_EQ(WriteTemplateInfoFile(Name("b.ti"), nullptr, nullptr, nullptr, nullptr, none), 1);
    EXPECT_EQ(Get("b.ti"), "");
}

TEST_F(TemplateInfoFile, WrittenFileReadsBackTheSame)
{
    const std::string command = "--main -O -c -o \"obj dir\\a.doj\"";
    const std::string directory = "C:\\proj";
    const std::string source = "a.cpp";
    const std::string repository = "C:\\proj\\tmpl";
    ArgList written;
    ArgAddTail(written, "i1", "ifn");
    ArgAddTail(written, "flag one", "flg");
    ArgAddTail(written, "i2", "ifn");
    ArgAddTail(written, "flag two", "flg");
    ASSERT_EQ(WriteTemplateInfoFile(Name("a.ti"), &command, &directory, &source, &repository, written), 1);

    std::optional<std::string> c, d, s, i;
    ArgList read;
    ASSERT_EQ(ReadTemplateInfoFile(Name("a.ti"), &c, &d, &s, &i, read), 1);
    EXPECT_EQ(c, command);
    EXPECT_EQ(d, directory);
    EXPECT_EQ(s, source);
    EXPECT_EQ(i, repository);
    EXPECT_EQ(EntriesOf(read), EntriesOf(written));
}

TEST_F(TemplateInfoFile, EntryWithoutKeyIsNotReadBack)
{
    ArgList written;
    ArgAddTail(written, "orphan");
    ArgAddTail(written, "kept", "ifn");
    ASSERT_EQ(WriteTemplateInfoFile(Name("a.ti"), nullptr, nullptr, nullptr, nullptr, written), 1);
    EXPECT_EQ(Get("a.ti"), ":orphan\nifn:kept\n");
    ArgList read;
    ASSERT_EQ(ReadTemplateInfoFile(Name("a.ti"), nullptr, nullptr, nullptr, nullptr, read), 1);
    EXPECT_EQ(EntriesOf(read), (Entries{E("kept", "ifn")}));
}

TEST_F(TemplateInfoFile, MissingFileGivesZeroAndNullFields)
{
    std::optional<std::string> c = "stale", d = "stale", s = "stale", i = "stale";
    ArgList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadTemplateInfoFile(Name("none.ti"), &c, &d, &s, &i, list), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(c);
    EXPECT_FALSE(d);
    EXPECT_FALSE(s);
    EXPECT_FALSE(i);
}

TEST_F(TemplateInfoFile, DamagedFileIsReadWithoutHarm)
{
    Put("a.ti", DamagedText("cmd:c\r\nifn:one\r\nflg:\r\nifn:\n") + "\nifn:" + std::string(1 << 20, 'z') +
                    "\nidn:r\xff\nifn:tail");
    std::optional<std::string> c, d, s, i;
    ArgList list;
    ASSERT_EQ(ReadTemplateInfoFile(Name("a.ti"), &c, &d, &s, &i, list), 1);
    EXPECT_EQ(c, "c");
    EXPECT_EQ(i, "r\xff");
    const Entries entries = EntriesOf(list);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], E("one", "ifn"));
    EXPECT_EQ(entries[1].first, std::string(1 << 20, 'z'));
    EXPECT_EQ(entries[2], E("tail", "ifn"));
}

TEST_F(TemplateInfoFile, UncreatableFileIsAnErrorAndGivesZero)
{
    ArgList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(WriteTemplateInfoFile(Name("missing\\a.ti"), nullptr, nullptr, nullptr, nullptr, list), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cctrvx: Error: "), std::string::npos);
    EXPECT_EQ(ErrorNum, 1u);
}

// Updating a companion file ------------------------------------------------------------

using UpdateFile = TemplateFiles;

TEST_F(UpdateFile, NothingIsWrittenWithoutAFileUnlessIPAModeIsSet)
{
    const std::string command = "cmd", directory = "dir", source = "a.c", repository = "rep";
    for (int scheme : {1, 2}) {
        UseInstFiles = scheme;
        IPAMode = 0;
        ArgList list;
        ArgAddTail(list, "own", "ifn");
        EXPECT_EQ(UpdateInstantiationFile(Name("a.ii"), &command, &directory, &source, &repository, list), 1);
        EXPECT_FALSE(Exists("a.ii")) << "scheme " << scheme;
        EXPECT_EQ(EntriesOf(list), (Entries{E("own", "ifn")}));
    }

    UseInstFiles = 1;
    IPAMode = 1;
    ArgList list;
    ArgAddTail(list, "own");
    EXPECT_EQ(UpdateInstantiationFile(Name("a.ii"), &command, &directory, &source, &repository, list), 1);
    EXPECT_EQ(Get("a.ii"), "cmd\ndir\na.c\nown\n");

    UseInstFiles = 2;
    IPAMode = 2;
    ArgList entries;
    ArgAddTail(entries, "own", "ifn");
    EXPECT_EQ(UpdateInstantiationFile(Name("a.ti"), &command, &directory, &source, &repository, entries), 1);
    EXPECT_EQ(Get("a.ti"), "cmd:cmd\ndir:dir\nfnm:a.c\nidn:rep\nifn:own\n");
}

TEST_F(UpdateFile, MergesTheRequestFileEntriesAfterTheDriversOwn)
{
    UseInstFiles = 1;
    IPAMode = 0;
    Put("a.ii", "old command\nold dir\nold.c\ne1\n\ne2");
    const std::string command = "new command", directory = "new dir", source = "a.c", repository = "rep";
    ArgList list;
    ArgAddTail(list, "own");
    EXPECT_EQ(UpdateInstantiationFile(Name("a.ii"), &command, &directory, &source, &repository, list), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{E("own"), E("e1"), E("e2")}));
    EXPECT_EQ(Get("a.ii"), "new command\nnew dir\na.c\nown\ne1\ne2\n");
}

TEST_F(UpdateFile, MergesTheTemplateInformationFileInItsOwnFormat)
{
    UseInstFiles = 2;
    IPAMode = 0;
    Put("a.ti", "cmd:old\nidn:old repository\nifn:a\nflg:f\n");
    const std::string command = "new", source = "a.cpp", repository = "tmpl";
    ArgList list;
    EXPECT_EQ(UpdateInstantiationFile(Name("a.ti"), &command, nullptr, &source, &repository, list), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{E("a", "ifn"), E("f", "flg")}));
    EXPECT_EQ(Get("a.ti"), "cmd:new\nfnm:a.cpp\nidn:tmpl\nifn:a\nflg:f\n");
}

TEST_F(UpdateFile, FailedWriteGivesZero)
{
    UseInstFiles = 1;
    IPAMode = 1;
    ArgList list;
    testing::internal::CaptureStderr();
    EXPECT_EQ(UpdateInstantiationFile(Name("missing\\a.ii"), nullptr, nullptr, nullptr, nullptr, list), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ErrorNum, 1u);
}

// Instantiation entries into paths -------------------------------------------------------

using TemplateList = TemplateFiles;

TEST_F(TemplateList, InstantiationEntriesBecomePathsAndFlagsGo)
{
    UseInstFiles = 2;
    Generate = GENERATE_ASSEMBLER;
    ArgList list;
    ArgAddTail(list, "x", "ifn");
    ArgAddTail(list, "-g", "flg");
    ArgAddTail(list, "y", "ifn");
    ArgAddTail(list, "plain");
    ArgAddTail(list, "z", "IFN");
    ProcessTemplateInfoList("tmpl", list, false);
    EXPECT_EQ(EntriesOf(list), (Entries{E("tmpl\\x.s"), E("tmpl\\y.s")}));
}

TEST_F(TemplateList, SuffixFollowsTheCodeGenerationModel)
{
    UseInstFiles = 2;
    const struct {
        int generate;
        bool force;
        const char* expected;
    } cases[] = {
        {GENERATE_C, false, "rep\\i.ic"},         {GENERATE_ASSEMBLER, false, "rep\\i.s"},
        {GENERATE_OBJECT, false, "rep\\i.doj"},   {0, false, "rep\\i"},
        {GENERATE_C, true, "rep\\i.doj"},         {0, true, "rep\\i.doj"},
    };
    for (const auto& c : cases) {
        Generate = c.generate;
        ArgList list;
        ArgAddTail(list, "i", "ifn");
        ProcessTemplateInfoList("rep\\", list, c.force);
        EXPECT_EQ(EntriesOf(list), (Entries{E(c.expected)})) << "Generate " << c.generate << " force " << c.force;
    }
}

TEST_F(TemplateList, DirectoryIsJoinedAsAPathAndValuesAreCleared)
{
    UseInstFiles = 2;
    Generate = GENERATE_OBJECT;
    ArgList list;
    ArgAddTail(list, "a", "ifn");
    ProcessTemplateInfoList("C:", list, false);
    EXPECT_EQ(EntriesOf(list), (Entries{E("C:a.doj")}));
    // Resolved entries have no value left, so a second pass drops them.
    ProcessTemplateInfoList("C:", list, false);
    EXPECT_TRUE(list.empty());

    ArgAddTail(list, "b", "ifn");
    ArgAddTail(list, "c", "ifn");
    ProcessTemplateInfoList("obj/tmpl", list, false);
    EXPECT_EQ(EntriesOf(list), (Entries{E("obj\\tmpl\\b.doj"), E("obj\\tmpl\\c.doj")}));

    ArgList bare;
    ArgAddTail(bare, "d", "ifn");
    ProcessTemplateInfoList("", bare, false);
    EXPECT_EQ(EntriesOf(bare), (Entries{E("d.doj")}));
}

TEST_F(TemplateList, RequestFileEntriesAllGo)
{
    UseInstFiles = 1;
    Generate = GENERATE_OBJECT;
    ArgList list;
    ArgAddTail(list, "x", "ifn");
    ArgAddTail(list, "y");
    ProcessTemplateInfoList("tmpl", list, true);
    EXPECT_TRUE(list.empty());
}

// The compiler's error file -------------------------------------------------------------

using ErrorFile = TemplateFiles;

TEST_F(ErrorFile, OnlyNewEditableRecordsCount)
{
    Put("err", "E a.c 10 E a.c 10 C b.c 0 W c.c 3 E - 4");
    ArgList list;
    EXPECT_EQ(ReadErrorFile(Name("err"), list), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{E("a.c", "10")}));
}

TEST_F(ErrorFile, RepetitionIsJudgedAgainstThePrecedingRecordOfAnyKind)
{
    Put("err", "W a.c 5\nE a.c 5\nC a.c 6\nE a.c 5\nE \"\" 7\nE \"my file.c\" 8\nE a.c 9 E b.c");
    ArgList list;
    ArgAddTail(list, "earlier");
    EXPECT_EQ(ReadErrorFile(Name("err"), list), 5);
    EXPECT_EQ(EntriesOf(list),
              (Entries{E("earlier"), E("a.c", "6"), E("a.c", "5"), E("my file.c", "8"), E("a.c", "9")}));
}

TEST_F(ErrorFile, MissingFileOrDirectoryGivesZeroWithoutAMessage)
{
    ArgList list;
    ArgAddTail(list, "earlier");
    fs::create_directory(root_ / "dir");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadErrorFile(Name("none"), list), 0);
    EXPECT_EQ(ReadErrorFile(Name("dir"), list), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(list.count, 1u);
    EXPECT_EQ(ErrorNum, 0u);
}

TEST_F(ErrorFile, EmptyFileGivesNothing)
{
    Put("err", "");
    ArgList list;
    EXPECT_EQ(ReadErrorFile(Name("err"), list), 0);
}

} // namespace
