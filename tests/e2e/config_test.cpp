// Configuration sources and their order, the install and temporary directories, and
// what a run leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "build_support.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;
using namespace e2e::build;

// Unknown options are reported in the order they are read, which shows the order of the
// configuration sources.
Strings Unrecognized(const std::string& err)
{
    Strings names;
    const std::string marker = "Unrecognized option `";
    for (const std::string& line : Lines(err)) {
        const std::size_t at = line.find(marker);
        if (at != std::string::npos)
            names.push_back(line.substr(at + marker.size(), line.size() - at - marker.size() - 1));
    }
    return names;
}

TEST(ConfigurationSources, EachSourceInItsOrderWithItsDeferredPart)
{
    struct Case {
        const char* title;
        std::vector<std::pair<std::string, std::string>> files;
        Strings args;
        Env env;               // "<dir>" stands for the working directory
        Strings unrecognized;  // in the order reported
        std::string also = ""; // a further line of standard error
    };
    const std::string home = "home/.cctrvx_options";
    const std::vector<Case> cases = {
        {"the home file first, its deferred part last", {{home, "-zzhome | -zzhomelate\n"}}, {"-zzcmd", "a.c"}, {},
         {"-zzhome", "-zzcmd", "-zzhomelate"}},
        {"all sources",
         {{home, "-zzhome | -zzhomelate\n"}, {".cctrvx_options", "-zzlocal | -zzlocallate\n"},
          {"more.opt", "-zzfile | -zzfilelate\n"}},
         {"-zzcmd", "@more.opt", "a.c"}, {{"CCTRVX_OPTIONS", "-zzenv | -zzenvlate"}},
         {"-zzhome", "-zzlocal", "-zzenv", "-zzcmd", "-zzfile", "-zzfilelate", "-zzenvlate", "-zzlocallate",
          "-zzhomelate"}},
        {"without the current directory's file the home part comes first", {{home, "| -zzhomelate\n"}}, {"a.c"},
         {{"CCTRVX_OPTIONS", "| -zzenvlate"}}, {"-zzhomelate", "-zzenvlate"}},
        {"the home file is read once when home is the current directory", {{".cctrvx_options", "-zzonce\n"}}, {"a.c"},
         {{"HOME", "<dir>"}}, {"-zzonce"}},
        {"CCTRVX_IGNORE_ENV turns all three off", {{home, "-zzhome\n"}, {".cctrvx_options", "-zzlocal\n"}}, {"a.c"},
         {{"CCTRVX_OPTIONS", "-zzenv"}, {"CCTRVX_IGNORE_ENV", ""}}, {}},
        {"deferred words of files read late are unused", {{"late.opt", "-zzlate | -zzunused\n"}}, {"a.c"},
         {{"CCTRVX_OPTIONS", "| @late.opt"}}, {"-zzlate"}, "cctrvx: Warning: Unused argument `-zzunused'"},
        {"an option file that names itself is read once", {{"self.opt", "-zzself @self.opt\n"}}, {"@self.opt", "a.c"},
         {}, {"-zzself"}, "cctrvx: Warning: Ignoring recursive option file `self.opt'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Sandbox box({{"a.c", "int a;\n"}});
        for (const auto& [name, text] : c.files)
            box.Write(name, text);
        Env env = c.env;
        for (auto& [name, value] : env)
            value = value == "<dir>" ? box.dir().string() : value;
        const auto result = box.Run(c.args, env);
        EXPECT_EQ(Unrecognized(result.err), c.unrecognized);
        const std::size_t errors = c.unrecognized.size();
        EXPECT_EQ(result.status, errors ? 1 : 0);
        if (errors) {
            EXPECT_EQ(Lines(result.err).back(),
                      "cctrvx: " + std::to_string(errors) + (errors == 1 ? " error" : " errors") + " detected");
        }
        if (!c.also.empty()) {
            const Strings lines = Lines(result.err);
            EXPECT_NE(std::find(lines.begin(), lines.end(), c.also), lines.end()) << result.err;
        }
        EXPECT_EQ(box.Files("tmp"), Strings{});
    }
}

TEST(ConfigurationSources, BadOptionFilesGiveClearErrors)
{
    Sandbox box({{"a.c", "int a;\n"}});
    auto missing = box.Run({"@missing.opt", "a.c"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(Lines(missing.err).front(), "cctrvx: Error: missing.opt: No such file or directory");

    // Binary bytes and a line of a megabyte are read without an internal error.
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    for (const std::string& text : {binary, std::string(1 << 20, 'q') + "\n"}) {
        box.Write("odd.opt", text);
        auto result = box.Run({"@odd.opt", "a.c"});
        EXPECT_TRUE(result.status == 0 || result.status == 1);
        EXPECT_FALSE(Contains(result.err, "Internal Error"));
    }
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

TEST(InstallDirectory, WithoutVlxDspTheRegistryValueMustBeAString)
{
    Sandbox box({{"a.c", "int a;\n"}});
    auto missing = box.Run({"a.c"}, {{"VLX_DSP", "<unset>"}});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "cctrvx: Fatal Error: Environment variable %VLX_DSP% is not set\n");
    {
        RegistryValue value(box, e2e::InstallImage(), true);
        auto result = box.Run({"a.c"}, {{"VLX_DSP", "<unset>"}});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(box.Exists("a.dxe"));
        // The listing of the consulted environment names the value by its full key.
        result = box.Run({"-c", "-show", "a.c"}, {{"VLX_DSP", "<unset>"}});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(Contains(result.err, "HKEY_CURRENT_USER\\Software\\Veltrix\\Prismade\\Install Path=" +
                                             e2e::InstallImage() + "\n"))
            << result.err;
    }
    RegistryValue value(box, "7", false);
    auto result = box.Run({"a.c"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err).front(), "cctrvx: Error: Invalid type of data stored in registry key "
                                         "`HKEY_CURRENT_USER\\Software\\Veltrix\\Prismade\\Install Path'");
}

TEST(TemporaryDirectory, MissingTmpGivesTwoWarnings)
{
    Sandbox box({{"a.c", "int a;\n"}});
    const std::string missing = (box.dir() / "nowhere").string();
    // The host's own temporary directory: TMPDIR on a POSIX host, TEMP on Windows (Wine
    // keeps TMPDIR for its own files).
    auto result = box.Run({"a.c"}, {{"TMP", missing}, {e2e::UnderWine() ? "TEMP" : "TMPDIR", box.tmp().string()}});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "cctrvx: Warning: Directory '" + Windows(missing) + "' does not exist. TEMP ignored.\n" +
                              "cctrvx: Warning: Using directory '" + Windows(box.tmp().string()) +
                              "' for temporary files.\n\n");
    EXPECT_TRUE(box.Files("tmp").empty()) << box.Files("tmp").front();
}

TEST(TemporaryDirectory, ConcurrentDriversNeverShareADirectory)
{
    Sandbox box({{"a.c", "int a;\n"}});
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

} // namespace
