// What many unit tests share: argument lists that free themselves, the names of a list,
// captured standard error, and a private directory for each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_temp.h"
#include "host/host.h"

using Words = std::vector<std::string>;

struct ArgList : List {
    ArgList() = default;
    ArgList(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            ArgAddTail(*this, name);
    }
    ~ArgList() { ArgFreeList(*this); }
};

inline Words NamesOf(const List& list)
{
    Words names;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        names.push_back(arg->name);
    return names;
}

// Standard error of any piece of work.
template <typename Work>
std::string Stderr(Work work)
{
    testing::internal::CaptureStderr();
    work();
    return testing::internal::GetCapturedStderr();
}

// The state every test starts from and leaves behind: the settings at their initial
// values (words not recorded for -show), every list and location empty, and counted
// errors that never end the test process.
inline void ResetGlobals()
{
    SetProgName("cctrvx");
    for (List& list : ArgLists)
        ArgFreeList(list);
    for (List* list : {&OptFileList, &DelFileList, &EnvironList})
        ArgFreeList(*list);
    for (DString& location : FileLocs)
        StrSet(location, "");
    std::fill(std::begin(OptionTable), std::end(OptionTable), 0);
    TempDir.reset();
    EditFormat.reset();
    TempPrefix = "qcc";
    Production = OUTPUT_EXECUTABLE;
    Generate = GENERATE_ASSEMBLER;
    ParallelMax = DynamicLink = -1;
    ReportMissing = 1;
    ErrorNum = ErrorMax = 0;
    NoWarnings = Verbose = DryRun = Wrap = Timing = KeepTemps = ExpertLinker = 0;
    UseInstFiles = IPAMode = DebugMask = HighSource = UserOptions = PassUnknown = ExpandLibs = no_dir_warn = 0;
    LastOptions = HeaderCount = PerformPrelink = PerformMemInit = PreprocAsm = PostprocObj = DemangleOutput = 0;
    DepBuild = DepDisplay = EditFiles = WriteOptions = WritePreprocessorFiles = WriteDependencies = DepLink = 0;
    PrintOutput = TemplateRepository = RemoveRepository = PrecompiledHeaders = TimeLimit = CPPLanguage = 0;
}

// Sets an environment variable, or unsets it with null, until the end of the scope.
class Variable {
public:
    Variable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            saved_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~Variable() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// Clean globals and a private directory for each test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        std::random_device random;
        dir_ = std::filesystem::path(testing::TempDir()) / ("cctrvx_" + std::to_string(random()));
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override
    {
        ResetGlobals();
        ErrorMax = 10;
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }

    // Writes a file in the private directory, making its directories; returns its host path.
    std::string MakeFile(const std::string& name, const std::string& text = "") const
    {
        const std::filesystem::path file = dir_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

    std::string MakeDir(const std::string& name) const
    {
        std::filesystem::create_directories(dir_ / name);
        return (dir_ / name).string();
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string Missing(const std::string& name) const { return (dir_ / name).string(); }

    // A name in the private directory as the driver writes it.
    std::string Name(const std::string& name) const { return HostName((dir_ / name).string()); }

    std::filesystem::path dir_;
};
