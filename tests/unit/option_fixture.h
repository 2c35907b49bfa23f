// A clean user interface driver for each test of the option module: the dictionary
// loaded, every list, location and flag empty, the settings at their initial values,
// and a private directory for files that options name.
#pragma once

#include "test_support.h"

#include "option.h"
#include "symtab.h"

class OptionFixture : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        Clean();
    }

    void TearDown() override
    {
        Release();
        TempDirTest::TearDown();
    }

    // A fresh start within one test; the private directory stays.
    void Reset()
    {
        Release();
        Clean();
    }

    void Clean()
    {
        ResetGlobals();
        OptionSymbolTable = SymCreate(0);
        LoadOptionTable();
    }

    void Release()
    {
        SymDelete(OptionSymbolTable);
        OptionSymbolTable = nullptr;
    }

    // Runs the words through ProcessOption as the reader of a source does: each call
    // gets the number of words left and the next word, and the reader moves on by the
    // number consumed. Stops where a call ends the source. Returns standard error.
    std::string Run(Words words)
    {
        testing::internal::CaptureStderr();
        last_ = Feed(words);
        return testing::internal::GetCapturedStderr();
    }

    // The same without capturing; returns what the last call returned.
    static int Feed(Words& words)
    {
        const int total = static_cast<int>(words.size());
        int index = 0;
        int result = 0;
        while (index < total) {
            const int left = total - index;
            std::string* next = index + 1 < total ? &words[index + 1] : nullptr;
            result = ProcessOption(left, words[index], next);
            if (result <= 0)
                return result;
            index += left - result;
        }
        return result;
    }

    // One step of a scenario: the words read after those of the steps before, what they
    // print, and the entries of one list afterwards (none checked for list -1).
    struct Step {
        Words words;
        std::string errors;
        int list = -1;
        Words entries = {};
    };

    void Steps(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            const std::string words = testing::PrintToString(step.words);
            EXPECT_EQ(Run(step.words), step.errors) << words;
            if (step.list >= 0) {
                EXPECT_EQ(Entries(step.list), step.entries) << words;
            }
        }
    }

    static Words Names(int slot) { return NamesOf(ArgLists[slot]); }

    // "name" for a node without a value, "name=value" for one with.
    static Words Entries(int slot)
    {
        Words entries;
        for (Arg* arg = ArgFirst(ArgLists[slot]); arg; arg = ArgNext(arg))
            entries.push_back(arg->value ? arg->name + "=" + *arg->value : arg->name);
        return entries;
    }

    static std::string Location(int slot) { return std::string(FileLocs[slot].view()); }

    static bool Given(std::uint32_t id) { return OptionTable[id] != 0; }

    static std::string Warning(const std::string& text) { return "cctrvx: Warning: " + text + "\n"; }
    static std::string Failure(const std::string& text) { return "cctrvx: Error: " + text + "\n"; }

    // A host path as the driver writes it.
    static std::string Win(std::string path)
    {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }

    int last_ = 0;
};
