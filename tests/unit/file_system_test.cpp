// File-system services: the private temporary directory, the deletion list, removal of
// trees, writability, duplicates, program and file searches, host information.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
#include "host/host.h"
#include "system.h"

namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("cctrvx-fs-" + std::to_string(HostProcessId()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        StrSet(FileLocs[LOC_TEMP], Name(root_));
        StrSet(FileLocs[LOC_CWD], Name(root_));
        TempPrefix = "tst";
        SetProgName("cctrvx");
        ErrorNum = 0;
        ErrorMax = 0;
        DryRun = Verbose = 0;
        ReportMissing = 1;
    }
    void TearDown() override
    {
        ArgFreeList(DelFileList);
        ArgFreeList(EnvironList);
        TempDir.reset();
        fs::remove_all(root_);
        ErrorMax = 10;
        ErrorNum = 0;
        UseInstFiles = IPAMode = 0;
    }
    static std::string Name(const fs::path& path) { return HostName(path.string()); }
    fs::path Touch(const std::string& relative, const std::string& text = "x")
    {
        fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path;
    }
    fs::path root_;
};

TEST_F(FileSystemTest, PrivateDirectoryNeverTakesAnExistingName)
{
    // The next name the counter gives is taken by someone else's directory.
    const std::string probe = FileTemp(nullptr);
    const std::string counter = "0123456789abcdefghijklmnopqrstuvwxyz";
    auto next = [&](const std::string& name) {
        std::string n = name;
        int value = static_cast<int>(counter.find(n[7]) * 1296 + counter.find(n[8]) * 36 + counter.find(n[9])) + 1;
        n[7] = counter[value / 1296 % 36];
        n[8] = counter[value / 36 % 36];
        n[9] = counter[value % 36];
        return n;
    };
    const std::string taken = next(probe);
    fs::create_directories(root_ / taken);
    std::ofstream(root_ / taken / "theirs") << "keep";

    FileTempDir();
    ASSERT_TRUE(TempDir);
    EXPECT_NE(*TempDir, Name(root_ / taken));
    EXPECT_TRUE(fs::is_directory(HostPath(*TempDir)));
    EXPECT_EQ(fs::status(HostPath(*TempDir)).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(fs::exists(root_ / taken / "theirs"));
    EXPECT_EQ(std::string(FileLocs[LOC_TEMP].view()), *TempDir);
}

TEST_F(FileSystemTest, CheckTempFileDrawsAFreeNameAndRegistersIt)
{
    std::string path = Name(Touch("exists.s"));
    CheckTempFile(path);
    EXPECT_NE(path, Name(root_ / "exists.s"));
    EXPECT_EQ(path.substr(path.size() - 2), ".s");
    EXPECT_FALSE(fs::exists(HostPath(path)));
    ASSERT_NE(ArgFirst(DelFileList), nullptr);
    EXPECT_EQ(ArgFirst(DelFileList)->name, path);

    DryRun = 1;
    std::string dry = Name(root_ / "free.s");
    CheckTempFile(dry);
    EXPECT_EQ(dry, Name(root_ / "free.s"));
    EXPECT_EQ(DelFileList.count, 1u);
    DryRun = 0;
}

TEST_F(FileSystemTest, DeleteTempFilesRemovesObjectsWithTheirCompanions)
{
    UseInstFiles = 2;
    IPAMode = 1;
    for (const char* name : {"a.doj", "a.ii", "a.ti", "a.opa", "a.ipa", "b.s", "b.ii"})
        Touch(name);
    DelFileAdd(Name(root_ / "a.doj"));
    DelFileAdd(Name(root_ / "b.s"));
    DelFileAdd(Name(root_ / "gone.doj"));
    DeleteTempFiles();
    EXPECT_EQ(DelFileList.count, 0u);
    for (const char* name : {"a.doj", "a.ii", "a.ti", "a.opa", "b.s"})
        EXPECT_FALSE(fs::exists(root_ / name)) << name;
    EXPECT_TRUE(fs::exists(root_ / "a.ipa")); // IPAMode 1: no ".ipa" companion
    EXPECT_TRUE(fs::exists(root_ / "b.ii"));  // not an object
}

TEST_F(FileSystemTest, DeletingTheTemporaryDirectoryNeverFollowsALinkOutOfIt)
{
    fs::create_directories(root_ / "outside");
    std::ofstream(root_ / "outside" / "precious") << "keep";
    FileTempDir();
    fs::path temp = HostPath(*TempDir);
    std::ofstream(temp / "t.s") << "x";
    fs::create_directories(temp / "sub" / "deeper");
    fs::create_directory_symlink(root_ / "outside", temp / "sub" / "link");
    DeleteTempFiles();
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_TRUE(fs::exists(root_ / "outside" / "precious"));
    EXPECT_FALSE(TempDir);
}

TEST_F(FileSystemTest, SignalSafeRemovalNeverFollowsALink)
{
    fs::create_directories(root_ / "outside");
    std::ofstream(root_ / "outside" / "precious") << "keep";
    fs::create_directories(root_ / "tree" / "a" / "b");
    std::ofstream(root_ / "tree" / "a" / "b" / "f") << "x";
    fs::create_directory_symlink(root_ / "outside", root_ / "tree" / "a" / "link");
    HostRemoveSafely(Name(root_ / "tree").c_str());
    EXPECT_FALSE(fs::exists(root_ / "tree"));
    EXPECT_TRUE(fs::exists(root_ / "outside" / "precious"));
}

TEST_F(FileSystemTest, AFileThatCannotBeRemovedIsReportedAndTheRestGoes)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may remove anything";
    fs::create_directories(root_ / "locked");
    Touch("locked/x.s");
    Touch("other.s");
    fs::permissions(root_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    DelFileAdd(Name(root_ / "other.s"));
    DelFileAdd(Name(root_ / "locked" / "x.s"));
    testing::internal::CaptureStderr();
    DeleteTempFiles();
    std::string err = testing::internal::GetCapturedStderr();
    fs::permissions(root_ / "locked", fs::perms::owner_all);
    EXPECT_NE(err.find("Error: Cannot remove `"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "other.s"));
}

TEST_F(FileSystemTest, RemovingAndCreatingEchoTheirCommands)
{
    Verbose = 1;
    Wrap = 0;
    Touch("dir/file.c");
    testing::internal::CaptureStderr();
    FileRemove(Name(root_ / "dir"));
    MakeDirectory(Name(root_ / "made"));
    FileRemove(Name(root_ / "missing"));
    std::string err = testing::internal::GetCapturedStderr();
    Verbose = 0;
    EXPECT_FALSE(fs::exists(root_ / "dir"));
    EXPECT_TRUE(fs::is_directory(root_ / "made"));
    const std::string dir = Name(root_ / "dir");
    EXPECT_EQ(err, "\t\"rd /s /q\" " + dir + " >>nul 2>&1\n" + "\tdel " + dir + "\\file.c >>nul 2>&1\n" + "\tmkdir " +
                       Name(root_ / "made") + " >>nul 2>&1\n");
}

TEST_F(FileSystemTest, WritabilityReportsWhy)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(FileWritable(Name(root_ / "nodir" / "a.doj")), 0);
    Touch("plain");
    EXPECT_EQ(FileWritable(Name(root_ / "plain" / "a.doj")), 0);
    fs::create_directories(root_ / "adir");
    EXPECT_EQ(FileWritable(Name(root_ / "adir")), 0);
    EXPECT_EQ(FileWritable(Name(root_ / "ok.doj")), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error: Directory `" + Name(root_ / "nodir") + "' does not exist"), std::string::npos);
    EXPECT_NE(err.find("Error: `" + Name(root_ / "plain") + "' is not a directory"), std::string::npos);
    EXPECT_NE(err.find("Error: `" + Name(root_ / "adir") + "' is a directory"), std::string::npos);
    EXPECT_EQ(ErrorNum, 3u);

    DryRun = 1;
    EXPECT_EQ(FileWritable(Name(root_ / "nodir" / "a.doj")), 1);
    DryRun = 0;
    ReportMissing = 0;
    EXPECT_EQ(FileWritable(Name(root_ / "nodir" / "a.doj")), 1);
    ReportMissing = 1;
}

TEST_F(FileSystemTest, ReadOnlyOutputsShowTheirMode)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write anything";
    Touch("ro.doj");
    fs::permissions(root_ / "ro.doj", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    testing::internal::CaptureStderr();
    EXPECT_EQ(FileWritable(Name(root_ / "ro.doj")), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot be overwritten (-r--r--r--)"), std::string::npos) << err;
}

TEST_F(FileSystemTest, ModeDescriptions)
{
    HostFileStatus status;
    status.isDirectory = true;
    EXPECT_EQ(FileType(status), 'd');
    EXPECT_EQ(FilePermissions(0755), "rwxr-xr-x");
    EXPECT_EQ(FilePermissions(0), "---------");
}

TEST_F(FileSystemTest, DuplicateInputsAreRemovedWithWarnings)
{
    Touch("a.c");
    fs::create_directories(root_ / "sub");
    List files;
    ArgAddTail(files, "a.c");
    ArgAddTail(files, ".\\a.c");
    ArgAddTail(files, "sub\\..\\a.c");
    ArgAddTail(files, "-lm");
    ArgAddTail(files, "-lm");
    ArgAddTail(files, "x.dlb");
    ArgAddTail(files, "x.dlb");
    ArgAddTail(files, "b.c");
    ArgAddTail(files, "b.c");
    testing::internal::CaptureStderr();
    FileDuplicates(files, "file");
    std::string err = testing::internal::GetCapturedStderr();
    std::vector<std::string> left;
    for (Arg* arg = ArgFirst(files); arg; arg = ArgNext(arg))
        left.push_back(arg->name);
    EXPECT_EQ(left, (std::vector<std::string>{"a.c", "-lm", "-lm", "x.dlb", "x.dlb", "b.c"}));
    EXPECT_EQ(err, "cctrvx: Warning: `.\\a.c' is the same file as `a.c' - ignoring\n"
                   "cctrvx: Warning: `sub\\..\\a.c' is the same file as `a.c' - ignoring\n"
                   "cctrvx: Warning: Ignoring duplicate file `b.c'\n");
    ArgFreeList(files);
}

TEST_F(FileSystemTest, DuplicateInputsByAnotherNameAreFoundByTheFileItself)
{
    Touch("a.c");
    Touch("d.c");
    fs::create_hard_link(root_ / "a.c", root_ / "b.c");
    fs::create_symlink("a.c", root_ / "c.c");
    List files;
    for (const char* name : {"a.c", "d.c", "b.c", "missing.c", "c.c", "d.c"})
        ArgAddTail(files, name);
    testing::internal::CaptureStderr();
    FileDuplicates(files, "file");
    std::string err = testing::internal::GetCapturedStderr();
    std::vector<std::string> left;
    for (Arg* arg = ArgFirst(files); arg; arg = ArgNext(arg))
        left.push_back(arg->name);
    EXPECT_EQ(left, (std::vector<std::string>{"a.c", "d.c", "missing.c"}));
    EXPECT_EQ(err, "cctrvx: Warning: `b.c' is the same file as `a.c' - ignoring\n"
                   "cctrvx: Warning: `c.c' is the same file as `a.c' - ignoring\n"
                   "cctrvx: Warning: Ignoring duplicate file `d.c'\n");
    ArgFreeList(files);
}

TEST_F(FileSystemTest, SearchesForFilesAndLibraries)
{
    Touch("inc1/x.h");
    Touch("inc2/x.h");
    Touch("inc2/y.h");
    Touch("lib2/libm.dlb");
    List dirs;
    ArgAddTail(dirs, Name(root_ / "inc1"));
    ArgAddTail(dirs, Name(root_ / "inc2"));
    EXPECT_EQ(FindFile(dirs, "x.h", false), Name(root_ / "inc1" / "x.h"));
    EXPECT_EQ(FindFile(dirs, "y.h", false), Name(root_ / "inc2" / "y.h"));
    EXPECT_EQ(FindFile(dirs, "z.h", false), std::nullopt);
    EXPECT_EQ(FindFile(dirs, "..\\x.h", false), std::nullopt);
    EXPECT_EQ(FindFile(dirs, "\\x.h", true), std::nullopt);
    List libs;
    ArgAddTail(libs, Name(root_ / "inc1"));
    ArgAddTail(libs, Name(root_ / "lib2"));
    EXPECT_EQ(FindLibrary(libs, "m", true), Name(root_ / "lib2" / "libm.dlb"));
    EXPECT_EQ(FindLibrary(libs, "q", false), std::nullopt);
    ArgFreeList(dirs);
    ArgFreeList(libs);
}

TEST_F(FileSystemTest, ProgramsScriptsAndLinkFiles)
{
    fs::path tool = Touch("bin/tool.exe", "binary");
    fs::permissions(tool, fs::perms::owner_all);
    fs::path plain = Touch("bin/plain.exe", "not runnable");
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);
    fs::path script = Touch("bin/run.sh", "#!" + tool.string() + " -x \"a b\"\nbody\n");
    fs::path link = Touch("bin/alias.exe", "!<symlink>tool.exe\n");
    fs::path loop = Touch("bin/loop.exe", "!<symlink>loop.exe\n");

    EXPECT_EQ(FileExecutable(Name(tool)), 1);
    EXPECT_EQ(FileExecutable(Name(plain)), 0);
    EXPECT_EQ(FileExecutable(Name(root_ / "bin")), 0);
    EXPECT_EQ(FileExecutable(Name(root_ / "bin" / "none.exe")), 0);
    EXPECT_EQ(FileExecutable(Name(loop)), 0);

    std::string interpreter;
    List arguments;
    EXPECT_EQ(FileExecutable(Name(script), &interpreter, &arguments), -1);
    EXPECT_EQ(interpreter, tool.string());
    ASSERT_EQ(arguments.count, 2u);
    EXPECT_EQ(ArgFirst(arguments)->name, "-x");
    EXPECT_EQ(ArgLast(arguments)->name, "a b");
    ArgFreeList(arguments);

    interpreter.clear();
    EXPECT_EQ(FileExecutable(Name(link), &interpreter, nullptr), -2);
    EXPECT_EQ(interpreter, Name(tool));

    std::string list = Name(root_ / "nothing") + ";" + Name(root_ / "bin");
    EXPECT_EQ(FindPathVar("tool.exe", list), Name(tool));
    EXPECT_EQ(FindPathVar("plain.exe", list), std::nullopt);
    EXPECT_EQ(FindPathVar("tool.exe", ""), std::nullopt);
}

TEST_F(FileSystemTest, PathVariableIsNormalised)
{
    const char* saved = std::getenv("PATH");
    std::string keep = saved ? saved : "";
    setenv("PATH", ":/usr//bin::/x", 1);
    EXPECT_EQ(GetPathVar(), ".;\\usr\\bin;.;\\x");
    unsetenv("PATH");
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetPathVar(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "cctrvx: Warning: Environment variable %PATH% is not set\n");
    setenv("PATH", keep.c_str(), 1);
}

TEST_F(FileSystemTest, HostInformationAndTheRegistryStandIn)
{
    const char* saved = std::getenv("HOME");
    std::string keep = saved ? saved : "";
    setenv("HOME", "", 1);
    EXPECT_EQ(HomeDir(), std::nullopt);
    setenv("HOME", root_.c_str(), 1);
    ArgFreeList(EnvironList);
    std::ofstream(root_ / ".cctrvx_registry") << "# values\n"
                                                 "Software\\Veltrix\\Prismade\\Install Path=/opt/trvx\n"
                                                 "Software\\Other\\Count=dword:00000005\n";
    EXPECT_EQ(ReadRegistry("Software\\Veltrix\\Prismade", "Install Path"), "/opt/trvx");
    EXPECT_EQ(ReadRegistry("Software\\Veltrix\\Prismade", "Missing"), std::nullopt);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadRegistry("Software\\Other", "Count"), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "cctrvx: Error: Invalid type of data stored in registry key `HKEY_CURRENT_USER\\Software\\Other\\Count'\n");
    Arg* record = ArgLocateNext(EnvironList, "HKEY_CURRENT_USER\\Software\\Veltrix\\Prismade\\Install Path");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record->value, "/opt/trvx");
    setenv("HOME", keep.c_str(), 1);

    const char* system = nullptr;
    const char* computer = nullptr;
    EXPECT_EQ(SystemInfo(&system, &computer, nullptr), 1);
    EXPECT_STREQ(system, "Windows NT");
    ASSERT_NE(computer, nullptr);
    EXPECT_LT(std::string(computer).size(), 16u);
}

TEST_F(FileSystemTest, EnvironmentListingIsSortedBetweenRules)
{
    ArgFreeList(EnvironList);
    EnvironRecord("b", "2");
    EnvironRecord("A", std::nullopt);
    EnvironRecord("b", "ignored");
    testing::internal::CaptureStderr();
    ListEnvironment();
    const std::string rule(72, '=');
    EXPECT_EQ(testing::internal::GetCapturedStderr(), rule + "\nA=<unset>\nb=2\n" + rule + "\n");
}

TEST(Timing, ElapsedTimeWithTwoDecimals)
{
    TimeProgram(nullptr);
    testing::internal::CaptureStderr();
    TimeProgram("cc.exe");
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(text.rfind("\tcc.exe: Total = 0.", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "s\n");
}

} // namespace
