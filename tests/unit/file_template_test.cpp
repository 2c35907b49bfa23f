// Instantiation request files, template information files, merging the driver's entries
// into them, turning instantiation entries into paths, and the compiler's error file.
#include "test_support.h"

#include <optional>
#include <tuple>
#include <utility>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_template.h"

namespace {

using Entry = std::pair<std::string, std::optional<std::string>>;
using Entries = std::vector<Entry>;
using Field = std::optional<std::string>;

Entries EntriesOf(const List& list)
{
    Entries entries;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        entries.emplace_back(arg->name, arg->value);
    return entries;
}

Entry E(std::string name) { return {std::move(name), std::nullopt}; }
Entry E(std::string name, std::string value) { return {std::move(name), std::move(value)}; }

// The fields of a companion file; a request file has no instantiation directory.
struct Fields {
    Field command, directory, source, repository;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* os)
{
    *os << testing::PrintToString(std::tie(f.command, f.directory, f.source, f.repository));
}

class TemplateFiles : public TempDirTest {
protected:
    // Reads a file, with stale values in every field beforehand; the list gets the entries.
    Fields ReadRequest(const std::string& file, List& list, int expected = 1)
    {
        Fields f{"stale", "stale", "stale", std::nullopt};
        EXPECT_EQ(ReadInstantRequestFile(Name(file), &f.command, &f.directory, &f.source, list), expected) << file;
        return f;
    }

    Fields ReadInfo(const std::string& file, List& list, int expected = 1)
    {
        Fields f{"stale", "stale", "stale", "stale"};
        EXPECT_EQ(ReadTemplateInfoFile(Name(file), &f.command, &f.directory, &f.source, &f.repository, list),
                  expected)
            << file;
        return f;
    }
};

// A file with every kind of damage at once: junk, CR LF line ends, a NUL and other
// binary bytes, a line of a megabyte, and no final newline.
std::string DamagedText(const std::string& wellFormed)
{
    return wellFormed + "junk without any structure\r\n" + std::string("bin\0ary\x01\xff\xfe:", 12) + "\n\r\n\r\n" +
           std::string(1 << 20, 'L') + "\n\x80\x81\x82";
}

// Instantiation request files ---------------------------------------------------------

using RequestFile = TemplateFiles;

TEST_F(RequestFile, PositionsAreFixedAndEmptyEntryLinesAreSkipped)
{
    const struct {
        const char* text;
        Fields fields;
        Entries entries;
    } cases[] = {
        {"\n\n\n", {}, {}},
        {"cmd\n\nsrc.c\n\nfirst\n\n\nsecond", {"cmd", {}, "src.c", {}}, {E("first"), E("second")}},
        {"only the command", {"only the command", {}, {}, {}}, {}},
        {"", {}, {}},
        // Carriage returns before newlines are dropped.
        {"cmd\r\ndir\r\n\r\nentry\r\n\r\nlast\r", {"cmd", "dir", {}, {}}, {E("entry"), E("last")}},
    };
    for (const auto& c : cases) {
        MakeFile("a.ii", c.text);
        ArgList list, quiet;
        EXPECT_EQ(ReadRequest("a.ii", list), c.fields) << c.text;
        EXPECT_EQ(EntriesOf(list), c.entries) << c.text;
        // Null out-parameters still give the entries.
        EXPECT_EQ(ReadInstantRequestFile(Name("a.ii"), nullptr, nullptr, nullptr, quiet), 1);
        EXPECT_EQ(EntriesOf(quiet), c.entries) << c.text;
    }
}

TEST_F(RequestFile, NullFieldsAreEmptyLines)
{
    const std::string command = "compiler -c -o \"my obj.doj\"", source = "a.cpp";
    ArgList list, none;
    ArgAddTail(list, "inst1");
    ArgAddTail(list, "inst2", "ignored value");
    EXPECT_EQ(WriteInstantRequestFile(Name("a.ii"), &command, nullptr, &source, list), 1);
    EXPECT_EQ(Read("a.ii"), "compiler -c -o \"my obj.doj\"\n\na.cpp\ninst1\ninst2\n");
    // The list is only read.
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(WriteInstantRequestFile(Name("b.ii"), nullptr, nullptr, nullptr, none), 1);
    EXPECT_EQ(Read("b.ii"), "\n\n\n");
}

TEST_F(RequestFile, WrittenFileReadsBackTheSame)
{
    const std::string command = "--main -O \"-Dx=a b\" -c -o obj\\a.doj", directory = "C:\\work\\proj",
                      source = "src\\a.cpp";
    ArgList written{"f__1AFi", "Vector<int>::size", "x y z", "last"}, read{"already there"};
    ASSERT_EQ(WriteInstantRequestFile(Name("a.ii"), &command, &directory, &source, written), 1);
    EXPECT_EQ(ReadRequest("a.ii", read), (Fields{command, directory, source, {}}));
    EXPECT_EQ(EntriesOf(read),
              (Entries{E("already there"), E("f__1AFi"), E("Vector<int>::size"), E("x y z"), E("last")}));
}

TEST_F(RequestFile, DamagedFileIsReadWithoutHarm)
{
    MakeFile("a.ii", DamagedText("cmd\ndir\nsrc\ngood\n"));
    ArgList list;
    EXPECT_EQ(ReadRequest("a.ii", list).command, "cmd");
    const Entries entries = EntriesOf(list);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], E("good"));
    EXPECT_EQ(entries[1], E("junk without any structure"));
    EXPECT_EQ(entries[2], E("bin")); // a name ends at a NUL character
    EXPECT_EQ(entries[3].first.size(), std::size_t{1} << 20);
    EXPECT_EQ(entries[4], E("\x80\x81\x82"));
}

// Every reader gives 0 quietly for a file that is missing or a directory, and every
// writer reports a file it cannot create and gives 0.
TEST_F(TemplateFiles, MissingFilesGiveZeroAndUncreatableOnesAnError)
{
    std::filesystem::create_directory(dir_ / "dir");
    ArgList list, errors{"earlier"};
    const std::string quiet = Stderr([&] {
        for (const char* file : {"none", "dir"}) {
            EXPECT_EQ(ReadRequest(file, list, 0), Fields{});
            EXPECT_EQ(ReadInfo(file, list, 0), Fields{});
            EXPECT_EQ(ReadErrorFile(Name(file), errors), 0);
        }
    });
    EXPECT_EQ(quiet, "");
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(errors.count, 1u);
    EXPECT_EQ(ErrorNum, 0u);

    const std::string name = Name("no such directory\\a.ii");
    UseInstFiles = IPAMode = 1;
    const std::string reported = Stderr([&] {
        EXPECT_EQ(WriteInstantRequestFile(name, nullptr, nullptr, nullptr, list), 0);
        EXPECT_EQ(WriteTemplateInfoFile(name, nullptr, nullptr, nullptr, nullptr, list), 0);
        EXPECT_EQ(UpdateInstantiationFile(name, nullptr, nullptr, nullptr, nullptr, list), 0);
    });
    const std::string line = "cctrvx: Error: " + name + ": No such file or directory\n";
    EXPECT_EQ(reported, line + line + line);
    EXPECT_EQ(ErrorNum, 3u);
}

// Template information files -----------------------------------------------------------

using TemplateInfoFile = TemplateFiles;

TEST_F(TemplateInfoFile, KeysAreExactShortLinesIgnoredAndTheLastFieldWins)
{
    const struct {
        const char* text;
        Fields fields;
        Entries entries;
    } cases[] = {
        {"cmd:\nzzz:x\nifn:f1\nflg:g\nifn:f2\n", {}, {E("f1", "ifn"), E("g", "flg"), E("f2", "ifn")}},
        {"cmd:first\nCMD:upper\nifnx\nifn\ncmd:second\ndir:d\nfnm:a.c\nidn:rep\nidn:rep2\nifn:a:b\n",
         {"second", "d", "a.c", "rep2"},
         {E("a:b", "ifn")}},
    };
    for (const auto& c : cases) {
        MakeFile("a.ti", c.text);
        ArgList list;
        EXPECT_EQ(ReadInfo("a.ti", list), c.fields) << c.text;
        EXPECT_EQ(EntriesOf(list), c.entries) << c.text;
    }
}

TEST_F(TemplateInfoFile, NullFieldsOmitTheirLines)
{
    const std::string command = "compiler -c a.cpp", source = "a.cpp", repository = "tmpl";
    ArgList list, none;
    ArgAddTail(list, "x", "ifn");
    ArgAddTail(list, "-g", "flg");
    ASSERT_EQ(WriteTemplateInfoFile(Name("a.ti"), &command, nullptr, &source, &repository, list), 1);
    EXPECT_EQ(Read("a.ti"), "cmd:compiler -c a.cpp\nfnm:a.cpp\nidn:tmpl\nifn:x\nflg:-g\n");
    ASSERT_EQ(WriteTemplateInfoFile(Name("b.ti"), nullptr, nullptr, nullptr, nullptr, none), 1);
    EXPECT_EQ(Read("b.ti"), "");
}

TEST_F(TemplateInfoFile, WrittenFileReadsBackTheSameButForEntriesWithoutKey)
{
    const std::string command = "--main -O -c -o \"obj dir\\a.doj\"", directory = "C:\\proj", source = "a.cpp",
                      repository = "C:\\proj\\tmpl";
    ArgList written, read;
    ArgAddTail(written, "i1", "ifn");
    ArgAddTail(written, "flag one", "flg");
    ArgAddTail(written, "i2", "ifn");
    ArgAddTail(written, "flag two", "flg");
    ASSERT_EQ(WriteTemplateInfoFile(Name("a.ti"), &command, &directory, &source, &repository, written), 1);
    EXPECT_EQ(ReadInfo("a.ti", read), (Fields{command, directory, source, repository}));
    EXPECT_EQ(EntriesOf(read), EntriesOf(written));

    ArgList orphan, back;
    ArgAddTail(orphan, "orphan");
    ArgAddTail(orphan, "kept", "ifn");
    ASSERT_EQ(WriteTemplateInfoFile(Name("b.ti"), nullptr, nullptr, nullptr, nullptr, orphan), 1);
    EXPECT_EQ(Read("b.ti"), ":orphan\nifn:kept\n");
    ASSERT_EQ(ReadTemplateInfoFile(Name("b.ti"), nullptr, nullptr, nullptr, nullptr, back), 1);
    EXPECT_EQ(EntriesOf(back), (Entries{E("kept", "ifn")}));
}

TEST_F(TemplateInfoFile, DamagedFileIsReadWithoutHarm)
{
    MakeFile("a.ti", DamagedText("cmd:c\r\nifn:one\r\nflg:\r\nifn:\n") + "\nifn:" + std::string(1 << 20, 'z') +
                         "\nidn:r\xff\nifn:tail");
    ArgList list;
    const Fields fields = ReadInfo("a.ti", list);
    EXPECT_EQ(fields.command, "c");
    EXPECT_EQ(fields.repository, "r\xff");
    const Entries entries = EntriesOf(list);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], E("one", "ifn"));
    EXPECT_EQ(entries[1].first, std::string(1 << 20, 'z'));
    EXPECT_EQ(entries[2], E("tail", "ifn"));
}

// Updating a companion file ------------------------------------------------------------

using UpdateFile = TemplateFiles;

TEST_F(UpdateFile, NothingIsWrittenWithoutAFileUnlessIPAModeIsSet)
{
    const std::string command = "cmd", directory = "dir", source = "a.c", repository = "rep";
    auto update = [&](const char* file, List& list) {
        EXPECT_EQ(UpdateInstantiationFile(Name(file), &command, &directory, &source, &repository, list), 1);
    };
    IPAMode = 0;
    for (int scheme : {1, 2}) {
        UseInstFiles = scheme;
        ArgList list;
        ArgAddTail(list, "own", "ifn");
        update("a.ii", list);
        EXPECT_FALSE(std::filesystem::exists(dir_ / "a.ii")) << "scheme " << scheme;
        EXPECT_EQ(EntriesOf(list), (Entries{E("own", "ifn")}));
    }
    ArgList list{"own"}, entries;
    UseInstFiles = IPAMode = 1;
    update("a.ii", list);
    EXPECT_EQ(Read("a.ii"), "cmd\ndir\na.c\nown\n");
    UseInstFiles = IPAMode = 2;
    ArgAddTail(entries, "own", "ifn");
    update("a.ti", entries);
    EXPECT_EQ(Read("a.ti"), "cmd:cmd\ndir:dir\nfnm:a.c\nidn:rep\nifn:own\n");
}

TEST_F(UpdateFile, MergesTheFilesEntriesAfterTheDriversOwnInItsFormat)
{
    IPAMode = 0;
    UseInstFiles = 1;
    MakeFile("a.ii", "old command\nold dir\nold.c\ne1\n\ne2");
    const std::string command = "new command", directory = "new dir", source = "a.c", repository = "rep";
    ArgList list{"own"};
    EXPECT_EQ(UpdateInstantiationFile(Name("a.ii"), &command, &directory, &source, &repository, list), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{E("own"), E("e1"), E("e2")}));
    EXPECT_EQ(Read("a.ii"), "new command\nnew dir\na.c\nown\ne1\ne2\n");

    UseInstFiles = 2;
    MakeFile("a.ti", "cmd:old\nidn:old repository\nifn:a\nflg:f\n");
    const std::string newer = "new", cpp = "a.cpp", tmpl = "tmpl";
    ArgList entries;
    EXPECT_EQ(UpdateInstantiationFile(Name("a.ti"), &newer, nullptr, &cpp, &tmpl, entries), 1);
    EXPECT_EQ(EntriesOf(entries), (Entries{E("a", "ifn"), E("f", "flg")}));
    EXPECT_EQ(Read("a.ti"), "cmd:new\nfnm:a.cpp\nidn:tmpl\nifn:a\nflg:f\n");
}

// Instantiation entries into paths -------------------------------------------------------

using TemplateList = TemplateFiles;

TEST_F(TemplateList, InstantiationEntriesBecomePathsAndTheRestGoes)
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
    // Resolved entries have no value left, so a second pass drops them.
    ProcessTemplateInfoList("tmpl", list, false);
    EXPECT_TRUE(list.empty());

    // Request file entries all go.
    UseInstFiles = 1;
    ArgAddTail(list, "x", "ifn");
    ArgAddTail(list, "y");
    ProcessTemplateInfoList("tmpl", list, true);
    EXPECT_TRUE(list.empty());
}

TEST_F(TemplateList, SuffixFollowsTheCodeGenerationModelAndTheDirectoryIsJoinedAsAPath)
{
    UseInstFiles = 2;
    const struct {
        int generate;
        bool force;
        const char* directory;
        const char* expected;
    } cases[] = {
        {GENERATE_C, false, "rep\\", "rep\\i.ic"},  {GENERATE_ASSEMBLER, false, "rep\\", "rep\\i.s"},
        {GENERATE_OBJECT, false, "rep\\", "rep\\i.doj"}, {0, false, "rep\\", "rep\\i"},
        {GENERATE_C, true, "rep\\", "rep\\i.doj"},  {0, true, "rep\\", "rep\\i.doj"},
        {GENERATE_OBJECT, false, "C:", "C:i.doj"},  {GENERATE_OBJECT, false, "obj/tmpl", "obj\\tmpl\\i.doj"},
        {GENERATE_OBJECT, false, "", "i.doj"},
    };
    for (const auto& c : cases) {
        Generate = c.generate;
        ArgList list;
        ArgAddTail(list, "i", "ifn");
        ProcessTemplateInfoList(c.directory, list, c.force);
        EXPECT_EQ(EntriesOf(list), (Entries{E(c.expected)})) << c.generate << " " << c.force << " " << c.directory;
    }
}

// The compiler's error file -------------------------------------------------------------

TEST_F(TemplateFiles, ErrorFileGivesOnlyNewEditableRecords)
{
    const struct {
        const char* text;
        int count;
        Entries entries;
    } cases[] = {
        {"", 1, {E("earlier")}},
        {"E a.c 10 E a.c 10 C b.c 0 W c.c 3 E - 4", 2, {E("earlier"), E("a.c", "10")}},
        // Repetition is judged against the preceding record of any kind.
        {"W a.c 5\nE a.c 5\nC a.c 6\nE a.c 5\nE \"\" 7\nE \"my file.c\" 8\nE a.c 9 E b.c",
         5,
         {E("earlier"), E("a.c", "6"), E("a.c", "5"), E("my file.c", "8"), E("a.c", "9")}},
    };
    for (const auto& c : cases) {
        MakeFile("err", c.text);
        ArgList list{"earlier"};
        EXPECT_EQ(ReadErrorFile(Name("err"), list), c.count) << c.text;
        EXPECT_EQ(EntriesOf(list), c.entries) << c.text;
    }
}

} // namespace
