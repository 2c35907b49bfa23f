// File-system services: the private temporary directory, the deletion list, removal of
// trees, writability, duplicates, program and file searches, host information.
#include "test_support.h"

#include <unistd.h>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
#include "system.h"

namespace {

namespace fs = std::filesystem;

class FileSystemTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        StrSet(FileLocs[LOC_TEMP], HostName(dir_.string()));
        StrSet(FileLocs[LOC_CWD], HostName(dir_.string()));
        TempPrefix = "tst";
    }

    bool Exists(const std::string& name) const { return fs::exists(dir_ / name); }

    // What FileDuplicates leaves of the names, and what it reports.
    static std::pair<Words, std::string> Duplicates(std::initializer_list<const char*> names)
    {
        ArgList files(names);
        const std::string errors = Stderr([&] { FileDuplicates(files, "file"); });
        return {NamesOf(files), errors};
    }
};

TEST_F(FileSystemTest, PrivateDirectoryNeverTakesAnExistingName)
{
    // The next name the counter gives is taken by someone else's directory.
    std::string taken = FileTemp(nullptr);
    const std::string counter = "0123456789abcdefghijklmnopqrstuvwxyz";
    const int value =
        static_cast<int>(counter.find(taken[7]) * 1296 + counter.find(taken[8]) * 36 + counter.find(taken[9])) + 1;
    taken.replace(7, 3, {counter[value / 1296 % 36], counter[value / 36 % 36], counter[value % 36]});
    MakeFile(taken + "/theirs", "keep");

    FileTempDir();
    ASSERT_TRUE(TempDir);
    EXPECT_NE(*TempDir, Name(taken));
    EXPECT_TRUE(fs::is_directory(HostPath(*TempDir)));
    EXPECT_EQ(fs::status(HostPath(*TempDir)).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(Exists(taken + "/theirs"));
    EXPECT_EQ(std::string(FileLocs[LOC_TEMP].view()), *TempDir);
}

TEST_F(FileSystemTest, CheckTempFileDrawsAFreeNameAndRegistersIt)
{
    MakeFile("exists.s");
    std::string path = Name("exists.s");
    CheckTempFile(path);
    EXPECT_NE(path, Name("exists.s"));
    EXPECT_EQ(path.substr(path.size() - 2), ".s");
    EXPECT_FALSE(fs::exists(HostPath(path)));
    EXPECT_EQ(NamesOf(DelFileList), Words{path});

    DryRun = 1;
    std::string dry = Name("free.s");
    CheckTempFile(dry);
    EXPECT_EQ(dry, Name("free.s"));
    EXPECT_EQ(DelFileList.count, 1u);
}

TEST_F(FileSystemTest, DeleteTempFilesRemovesObjectsWithTheirCompanions)
{
    UseInstFiles = 2;
    IPAMode = 1;
    for (const char* name : {"a.doj", "a.ii", "a.ti", "a.opa", "a.ipa", "b.s", "b.ii"})
        MakeFile(name);
    for (const char* name : {"a.doj", "b.s", "gone.doj"})
        DelFileAdd(Name(name));
    DeleteTempFiles();
    EXPECT_EQ(DelFileList.count, 0u);
    for (const char* name : {"a.doj", "a.ii", "a.ti", "a.opa", "b.s"})
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_TRUE(Exists("a.ipa")); // IPAMode 1: no ".ipa" companion
    EXPECT_TRUE(Exists("b.ii"));  // not an object
}

// An interrupt that arrives while the driver works in its own code ends it from the
// signal handler: the deletion list (with the companions of objects) and the private
// directory go there, with nothing of the exit handlers.
TEST_F(FileSystemTest, AnInterruptInTheDriversOwnCodeRemovesWhatIsBeingWritten)
{
    UseInstFiles = 1;
    FileTempDir();
    const fs::path temp = HostPath(*TempDir);
    std::ofstream(temp / "t.s") << "x";
    for (const char* name : {"part.doj", "part.ii", "kept.doj"})
        MakeFile(name);
    DelFileAdd(Name("part.doj"));
    EXPECT_EXIT(
        {
            InSignalHandler = 1;
            Break(SIGINT);
        },
        testing::ExitedWithCode(1), "^cctrvx: Received signal 2 - terminating\n$");
    EXPECT_FALSE(Exists("part.doj"));
    EXPECT_FALSE(Exists("part.ii"));
    EXPECT_TRUE(Exists("kept.doj"));
    EXPECT_FALSE(fs::exists(temp));
}

TEST_F(FileSystemTest, RemovingATreeNeverFollowsALinkOutOfIt)
{
    MakeFile("outside/precious", "keep");
    // The private directory, deleted with the temporary files.
    FileTempDir();
    const fs::path temp = HostPath(*TempDir);
    std::ofstream(temp / "t.s") << "x";
    fs::create_directories(temp / "sub" / "deeper");
    fs::create_directory_symlink(dir_ / "outside", temp / "sub" / "link");
    DeleteTempFiles();
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_FALSE(TempDir);
    // The signal-safe removal.
    MakeFile("tree/a/b/f", "x");
    fs::create_directory_symlink(dir_ / "outside", dir_ / "tree" / "a" / "link");
    HostRemoveSafely(Name("tree").c_str());
    EXPECT_FALSE(Exists("tree"));
    EXPECT_TRUE(Exists("outside/precious"));
}

TEST_F(FileSystemTest, AFileThatCannotBeRemovedIsReportedAndTheRestGoes)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may remove anything";
    MakeFile("locked/x.s");
    MakeFile("other.s");
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    DelFileAdd(Name("other.s"));
    DelFileAdd(Name("locked/x.s"));
    const std::string errors = Stderr([] { DeleteTempFiles(); });
    fs::permissions(dir_ / "locked", fs::perms::owner_all);
    EXPECT_NE(errors.find("Error: Cannot remove `"), std::string::npos);
    EXPECT_FALSE(Exists("other.s"));
}

TEST_F(FileSystemTest, RemovingAndCreatingEchoTheirCommands)
{
    Verbose = 1;
    MakeFile("dir/file.c");
    const std::string errors = Stderr([&] {
        FileRemove(Name("dir"));
        MakeDirectory(Name("made"));
        FileRemove(Name("missing"));
    });
    EXPECT_FALSE(Exists("dir"));
    EXPECT_TRUE(fs::is_directory(dir_ / "made"));
    EXPECT_EQ(errors, "\t\"rd /s /q\" " + Name("dir") + " >>nul 2>&1\n\tdel " + Name("dir\\file.c") +
                          " >>nul 2>&1\n\tmkdir " + Name("made") + " >>nul 2>&1\n");
}

TEST_F(FileSystemTest, WritabilityReportsWhy)
{
    MakeFile("plain");
    MakeDir("adir");
    const std::string errors = Stderr([&] {
        EXPECT_EQ(FileWritable(Name("nodir\\a.doj")), 0);
        EXPECT_EQ(FileWritable(Name("plain\\a.doj")), 0);
        EXPECT_EQ(FileWritable(Name("adir")), 0);
        EXPECT_EQ(FileWritable(Name("ok.doj")), 1);
    });
    EXPECT_EQ(errors, "cctrvx: Error: Directory `" + Name("nodir") + "' does not exist\ncctrvx: Error: `" +
                          Name("plain") + "' is not a directory\ncctrvx: Error: `" + Name("adir") +
                          "' is a directory\n");
    EXPECT_EQ(ErrorNum, 3u);
    DryRun = 1;
    EXPECT_EQ(FileWritable(Name("nodir\\a.doj")), 1);
    DryRun = 0;
    ReportMissing = 0;
    EXPECT_EQ(FileWritable(Name("nodir\\a.doj")), 1);

    HostFileStatus status;
    status.isDirectory = true;
    EXPECT_EQ(FileType(status), 'd');
    EXPECT_EQ(FilePermissions(0755), "rwxr-xr-x");
    EXPECT_EQ(FilePermissions(0), "---------");
}

TEST_F(FileSystemTest, ReadOnlyOutputsShowTheirMode)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write anything";
    MakeFile("ro.doj");
    fs::permissions(dir_ / "ro.doj", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string errors = Stderr([&] { EXPECT_EQ(FileWritable(Name("ro.doj")), 0); });
    EXPECT_NE(errors.find("cannot be overwritten (-r--r--r--)"), std::string::npos) << errors;
}

TEST_F(FileSystemTest, DuplicateInputsAreFoundByTheFileItself)
{
    MakeFile("a.c");
    MakeFile("d.c");
    MakeDir("sub");
    fs::create_hard_link(dir_ / "a.c", dir_ / "b.c");
    fs::create_symlink("a.c", dir_ / "c.c");
    // Libraries and link items are never compared; a missing file is known by its path.
    const auto [left, errors] = Duplicates({"a.c", ".\\a.c", "sub\\..\\a.c", "-lm", "-lm", "x.dlb", "x.dlb", "d.c",
                                            "b.c", "missing.c", "c.c", "d.c", "missing.c"});
    EXPECT_EQ(left, (Words{"a.c", "-lm", "-lm", "x.dlb", "x.dlb", "d.c", "missing.c"}));
    EXPECT_EQ(errors, "cctrvx: Warning: `.\\a.c' is the same file as `a.c' - ignoring\n"
                      "cctrvx: Warning: `sub\\..\\a.c' is the same file as `a.c' - ignoring\n"
                      "cctrvx: Warning: `b.c' is the same file as `a.c' - ignoring\n"
                      "cctrvx: Warning: `c.c' is the same file as `a.c' - ignoring\n"
                      "cctrvx: Warning: Ignoring duplicate file `d.c'\n"
                      "cctrvx: Warning: Ignoring duplicate file `missing.c'\n");
}

TEST_F(FileSystemTest, SearchesForFilesLibrariesAndPrograms)
{
    for (const char* file : {"inc1/x.h", "inc2/x.h", "inc2/y.h", "lib2/libm.dlb"})
        MakeFile(file);
    ArgList dirs{Name("inc1").c_str(), Name("inc2").c_str()}, libs{Name("inc1").c_str(), Name("lib2").c_str()};
    EXPECT_EQ(FindFile(dirs, "x.h", false), Name("inc1\\x.h"));
    EXPECT_EQ(FindFile(dirs, "y.h", false), Name("inc2\\y.h"));
    EXPECT_EQ(FindFile(dirs, "z.h", false), std::nullopt);
    EXPECT_EQ(FindFile(dirs, "..\\x.h", false), std::nullopt);
    EXPECT_EQ(FindFile(dirs, "\\x.h", true), std::nullopt);
    EXPECT_EQ(FindLibrary(libs, "m", true), Name("lib2\\libm.dlb"));
    EXPECT_EQ(FindLibrary(libs, "q", false), std::nullopt);

    const std::string tool = MakeFile("bin/tool.exe", "binary"), plain = MakeFile("bin/plain.exe", "not runnable");
    fs::permissions(tool, fs::perms::owner_all);
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);
    const std::string script = MakeFile("bin/run.sh", "#!" + tool + " -x \"a b\"\nbody\n");
    const std::string link = MakeFile("bin/alias.exe", "!<symlink>tool.exe\n");
    MakeFile("bin/loop.exe", "!<symlink>loop.exe\n");
    EXPECT_EQ(FileExecutable(Name("bin/tool.exe")), 1);
    for (const char* name : {"bin/plain.exe", "bin", "bin/none.exe", "bin/loop.exe"})
        EXPECT_EQ(FileExecutable(Name(name)), 0) << name;

    std::string interpreter;
    ArgList arguments;
    EXPECT_EQ(FileExecutable(Name("bin/run.sh"), &interpreter, &arguments), -1);
    EXPECT_EQ(interpreter, tool);
    EXPECT_EQ(NamesOf(arguments), (Words{"-x", "a b"}));
    interpreter.clear();
    EXPECT_EQ(FileExecutable(Name("bin/alias.exe"), &interpreter, nullptr), -2);
    EXPECT_EQ(interpreter, Name("bin/tool.exe"));

    const std::string list = Name("nothing") + ";" + Name("bin");
    EXPECT_EQ(FindPathVar("tool.exe", list), Name("bin/tool.exe"));
    EXPECT_EQ(FindPathVar("plain.exe", list), std::nullopt);
    EXPECT_EQ(FindPathVar("tool.exe", ""), std::nullopt);
}

TEST_F(FileSystemTest, PathVariableIsNormalised)
{
    {
        Variable path("PATH", ":/usr//bin::/x");
        EXPECT_EQ(GetPathVar(), ".;\\usr\\bin;.;\\x");
    }
    Variable path("PATH", nullptr);
    EXPECT_EQ(Stderr([] { EXPECT_EQ(GetPathVar(), ""); }),
              "cctrvx: Warning: Environment variable %PATH% is not set\n");
}

TEST_F(FileSystemTest, HostInformationAndTheRegistryStandIn)
{
    {
        Variable home("HOME", "");
        EXPECT_EQ(HomeDir(), std::nullopt);
    }
    Variable home("HOME", dir_.c_str());
    ArgFreeList(EnvironList);
    MakeFile(".cctrvx_registry", "# values\n"
                                 "Software\\Veltrix\\Prismade\\Install Path=/opt/trvx\n"
                                 "Software\\Other\\Count=dword:00000005\n");
    EXPECT_EQ(ReadRegistry("Software\\Veltrix\\Prismade", "Install Path"), "/opt/trvx");
    EXPECT_EQ(ReadRegistry("Software\\Veltrix\\Prismade", "Missing"), std::nullopt);
    EXPECT_EQ(Stderr([] { EXPECT_EQ(ReadRegistry("Software\\Other", "Count"), std::nullopt); }),
              "cctrvx: Error: Invalid type of data stored in registry key "
              "`HKEY_CURRENT_USER\\Software\\Other\\Count'\n");
    Arg* record = ArgLocateNext(EnvironList, "HKEY_CURRENT_USER\\Software\\Veltrix\\Prismade\\Install Path");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record->value, "/opt/trvx");

    const char* system = nullptr;
    const char* computer = nullptr;
    EXPECT_EQ(SystemInfo(&system, &computer, nullptr), 1);
    EXPECT_STREQ(system, "Windows NT");
    ASSERT_NE(computer, nullptr);
    EXPECT_LT(std::string(computer).size(), 16u);
}

TEST_F(FileSystemTest, EnvironmentListingIsSortedBetweenRulesAndTimesHaveTwoDecimals)
{
    ArgFreeList(EnvironList);
    EnvironRecord("b", "2");
    EnvironRecord("A", std::nullopt);
    EnvironRecord("b", "ignored");
    const std::string rule(72, '=');
    EXPECT_EQ(Stderr([] { ListEnvironment(); }), rule + "\nA=<unset>\nb=2\n" + rule + "\n");

    TimeProgram(nullptr);
    const std::string text = Stderr([] { TimeProgram("cc.exe"); });
    EXPECT_EQ(text.rfind("\tcc.exe: Total = 0.", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "s\n");
}

} // namespace
