// Configuration sources and their order, the install and temporary directories, and
// what a run leaves behind.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "harness.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

// Unknown options are reported in the order they are read, which shows the order of the
// configuration sources.
std::vector<std::string> Unrecognized(const std::string& err)
{
    std::vector<std::string> names;
    const std::string marker = "Unrecognized option `";
    for (const std::string& line : Lines(err)) {
        std::size_t at = line.find(marker);
        if (at != std::string::npos)
            names.push_back(line.substr(at + marker.size(), line.size() - at - marker.size() - 1));
    }
    return names;
}

TEST(ConfigurationSources, HomeFileFirstItsDeferredPartLast)
{
    Sandbox box;
    box.Write("home/.cctrvx_options", "-zzhome | -zzhomelate\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"-zzcmd", "a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Unrecognized(result.err), (std::vector<std::string>{"-zzhome", "-zzcmd", "-zzhomelate"}));
    EXPECT_EQ(Lines(result.err).back(), "cctrvx: 3 errors detected");
}

TEST(ConfigurationSources, AllSourcesInTheirOrder)
{
    Sandbox box;
    box.Write("home/.cctrvx_options", "-zzhome | -zzhomelate\n");
    box.Write(".cctrvx_options", "-zzlocal | -zzlocallate\n");
    box.Write("more.opt", "-zzfile | -zzfilelate\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"-zzcmd", "@more.opt", "a.c"}, {{"CCTRVX_OPTIONS", "-zzenv | -zzenvlate"}});
    EXPECT_EQ(Unrecognized(result.err),
              (std::vector<std::string>{"-zzhome", "-zzlocal", "-zzenv", "-zzcmd", "-zzfile", "-zzfilelate",
                                        "-zzenvlate", "-zzlocallate", "-zzhomelate"}));
}

TEST(ConfigurationSources, WithoutTheCurrentDirectoryFileTheHomePartComesFirst)
{
    Sandbox box;
    box.Write("home/.cctrvx_options", "| -zzhomelate\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"a.c"}, {{"CCTRVX_OPTIONS", "| -zzenvlate"}});
    EXPECT_EQ(Unrecognized(result.err), (std::vector<std::string>{"-zzhomelate", "-zzenvlate"}));
}

TEST(ConfigurationSources, TheHomeFileIsReadOnceWhenHomeIsTheCurrentDirectory)
{
    Sandbox box;
    box.Write(".cctrvx_options", "-zzonce\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"a.c"}, {{"HOME", box.dir().string()}});
    EXPECT_EQ(Unrecognized(result.err), std::vector<std::string>{"-zzonce"});
}

TEST(ConfigurationSources, IgnoreEnvTurnsAllThreeOff)
{
    Sandbox box;
    box.Write("home/.cctrvx_options", "-zzhome\n");
    box.Write(".cctrvx_options", "-zzlocal\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"a.c"}, {{"CCTRVX_OPTIONS", "-zzenv"}, {"CCTRVX_IGNORE_ENV", ""}});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(Unrecognized(result.err), std::vector<std::string>{});
}

TEST(ConfigurationSources, DeferredWordsOfFilesReadLateAreUnused)
{
    Sandbox box;
    box.Write("late.opt", "-zzlate | -zzunused\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"a.c"}, {{"CCTRVX_OPTIONS", "| @late.opt"}});
    EXPECT_NE(result.err.find("cctrvx: Warning: Unused argument `-zzunused'"), std::string::npos) << result.err;
    EXPECT_EQ(Unrecognized(result.err), std::vector<std::string>{"-zzlate"});
}

TEST(ConfigurationSources, AnOptionFileThatNamesItselfIsReadOnce)
{
    Sandbox box;
    box.Write("self.opt", "-zzself @self.opt\n");
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"@self.opt", "a.c"});
    EXPECT_EQ(Unrecognized(result.err), std::vector<std::string>{"-zzself"});
    EXPECT_NE(result.err.find("Warning: Ignoring recursive option file `self.opt'"), std::string::npos);
}

TEST(ConfigurationSources, BadOptionFilesGiveClearErrors)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    auto missing = box.Run({"@missing.opt", "a.c"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(Lines(missing.err).front(), "cctrvx: Error: missing.opt: No such file or directory");

    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    box.Write("binary.opt", binary);
    auto read = box.Run({"@binary.opt", "a.c"});
    EXPECT_TRUE(read.status == 0 || read.status == 1);
    EXPECT_EQ(read.err.find("Internal Error"), std::string::npos);

    box.Write("long.opt", std::string(1 << 20, 'q') + "\n");
    auto longLine = box.Run({"@long.opt", "a.c"});
    EXPECT_TRUE(longLine.status == 0 || longLine.status == 1);
    EXPECT_EQ(longLine.err.find("Internal Error"), std::string::npos);
}

TEST(InstallDirectory, MissingVlxDspIsFatal)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    auto result = box.Run({"a.c"}, {{"VLX_DSP", "<unset>"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "cctrvx: Fatal Error: Environment variable %VLX_DSP% is not set\n");
}

// The install directory as a value of the current user's registry: under Wine the real
// registry (set with Wine's own "reg" command), elsewhere the stand-in file in the home
// directory of the sandbox. The value goes again with the object.
class RegistryValue {
public:
    RegistryValue(const Sandbox& box, const std::string& data, bool isString) : box_(box)
    {
        if (!e2e::UnderWine()) {
            box.Write("home/.cctrvx_registry",
                      "Software\\Veltrix\\Prismade\\Install Path=" + (isString ? data : "dword:" + data) + "\n");
            return;
        }
        Reg({"add", Key, "/v", "Install Path", "/t", isString ? "REG_SZ" : "REG_DWORD", "/d", data, "/f"});
    }
    ~RegistryValue()
    {
        if (e2e::UnderWine())
            Reg({"delete", Key, "/v", "Install Path", "/f"});
    }
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

private:
    static constexpr const char* Key = "HKCU\\Software\\Veltrix\\Prismade";

    void Reg(const std::vector<std::string>& words) const
    {
        std::vector<std::string> argv = {e2e::Launcher(), "reg"};
        argv.insert(argv.end(), words.begin(), words.end());
        e2e::Process reg(argv, e2e::LaunchEnvironment(box_.Environment()), box_.dir());
        const e2e::Result result = reg.Wait();
        ASSERT_EQ(result.status, 0) << result.out << result.err;
    }

    const Sandbox& box_;
};

TEST(InstallDirectory, TheRegistryValueMakesVlxDspUnnecessary)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    RegistryValue value(box, e2e::InstallImage(), true);
    auto result = box.Run({"a.c"}, {{"VLX_DSP", "<unset>"}});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(box.Exists("a.dxe"));
    // The listing of the consulted environment names the value by its full key.
    result = box.Run({"-c", "-show", "a.c"}, {{"VLX_DSP", "<unset>"}});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string install = e2e::InstallImage();
    EXPECT_NE(result.err.find("HKEY_CURRENT_USER\\Software\\Veltrix\\Prismade\\Install Path=" + install + "\n"),
              std::string::npos)
        << result.err;
}

TEST(InstallDirectory, ARegistryValueThatIsNotAStringIsAnError)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    RegistryValue value(box, "7", false);
    auto result = box.Run({"a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err).front(), "cctrvx: Error: Invalid type of data stored in registry key "
                                         "`HKEY_CURRENT_USER\\Software\\Veltrix\\Prismade\\Install Path'");
}

TEST(TemporaryDirectory, MissingTmpGivesTwoWarnings)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    const std::string missing = (box.dir() / "nowhere").string();
    // The host's own temporary directory: TMPDIR on a POSIX host, TEMP on Windows (Wine
    // keeps TMPDIR for its own files).
    auto result = box.Run({"a.c"}, {{"TMP", missing}, {e2e::UnderWine() ? "TEMP" : "TMPDIR", box.tmp().string()}});
    EXPECT_EQ(result.status, 0);
    std::string name = missing;
    std::replace(name.begin(), name.end(), '/', '\\');
    std::string fallback = box.tmp().string();
    std::replace(fallback.begin(), fallback.end(), '/', '\\');
    EXPECT_EQ(result.err, "cctrvx: Warning: Directory '" + name + "' does not exist. TEMP ignored.\n" +
                              "cctrvx: Warning: Using directory '" + fallback + "' for temporary files.\n\n");
    EXPECT_TRUE(box.Files("tmp").empty()) << box.Files("tmp").front();
}

TEST(TemporaryDirectory, NothingIsLeftBehind)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    auto ok = box.Run({"a.c"});
    EXPECT_EQ(ok.status, 0);
    auto failed = box.Run({"-zz", "a.c"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(TemporaryDirectory, ConcurrentDriversNeverShareADirectory)
{
    Sandbox box;
    box.Write("a.c", "int a;\n");
    for (int round = 0; round < 50; ++round) {
        auto first = box.Start({"a.c"});
        auto second = box.Start({"a.c"});
        auto r1 = first->Wait();
        auto r2 = second->Wait();
        ASSERT_EQ(r1.status, 0) << r1.err;
        ASSERT_EQ(r2.status, 0) << r2.err;
        ASSERT_EQ(r1.err, "");
        ASSERT_EQ(r2.err, "");
    }
    EXPECT_TRUE(box.Files("tmp").empty());
}

TEST(Interrupts, AnInterruptEndsTheRunWithItsMessage)
{
    if (e2e::UnderWine())
        GTEST_SKIP() << "a named pipe of the Unix side is not a file that a Windows program can wait on";
    for (int signal : e2e::InterruptSignals()) {
        Sandbox box;
        ASSERT_EQ(mkfifo((box.dir() / "blocked.opt").c_str(), 0600), 0);
        auto process = box.Start({"@blocked.opt", "a.c"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        process->Signal(signal);
        auto result = process->Wait();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "cctrvx: Received signal " + std::to_string(signal) + " - terminating\n");
        EXPECT_TRUE(box.Files("tmp").empty());
    }
}

} // namespace
