// The example project: GNU make drives cctrvx with its dependency output, so touching a
// header rebuilds exactly the sources that include it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Sandbox;

std::set<std::string> Compiled(const std::string& log)
{
    std::set<std::string> sources;
    for (const std::string& line : Lines(log)) {
        if (line.rfind("compiler ", 0) != 0)
            continue;
        std::size_t last = line.rfind(' ');
        sources.insert(line.substr(last + 1));
    }
    return sources;
}

e2e::Result Make(const Sandbox& box, const std::string& log)
{
    // make starts the driver itself: through the launcher when there is one.
    std::string driver;
    for (const std::string& word : e2e::Launch({e2e::Binary()}))
        driver += (driver.empty() ? "" : " ") + word;
    e2e::Process make({"/usr/bin/make", "-s", "CCTRVX=" + driver},
                      e2e::LaunchEnvironment(box.Environment({{"TRVX_TOOL_LOG", log}})), box.dir() / "project");
    return make.Wait();
}

TEST(MakeProject, TouchingAHeaderRebuildsTheSourcesThatIncludeIt)
{
    if (!fs::exists("/usr/bin/make"))
        GTEST_SKIP() << "GNU make is not installed";
    Sandbox box;
    fs::copy(fs::path(CCTRVX_EXAMPLES) / "make", box.dir() / "project", fs::copy_options::recursive);
    const fs::path project = box.dir() / "project";

    auto first = Make(box, (box.dir() / "first.log").string());
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(Compiled(box.Read("first.log")), (std::set<std::string>{"main.c", "filter.c", "table.c"}));
    EXPECT_TRUE(fs::exists(project / "app.dxe"));
    EXPECT_EQ(box.Read("project/main.d"), "main.doj: main.c filter.h table.h\n");

    auto again = Make(box, (box.dir() / "again.log").string());
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(fs::exists(box.dir() / "again.log")); // nothing was out of date

    fs::last_write_time(project / "filter.h", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    auto touched = Make(box, (box.dir() / "touched.log").string());
    ASSERT_EQ(touched.status, 0) << touched.err;
    EXPECT_EQ(Compiled(box.Read("touched.log")), (std::set<std::string>{"main.c", "filter.c"}));
    EXPECT_NE(box.Read("touched.log").find("linker "), std::string::npos);
    EXPECT_TRUE(box.Files("tmp").empty());
}

} // namespace
