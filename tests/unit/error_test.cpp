// Diagnostics: message formats, counting, the limit and the ways the program ends.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "error.h"

namespace {

class ErrorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgName("cctrvx");
        ErrorNum = 0;
        ErrorMax = 10;
        NoWarnings = 0;
    }
};

std::string Captured(void (*call)())
{
    testing::internal::CaptureStderr();
    call();
    return testing::internal::GetCapturedStderr();
}

TEST_F(ErrorTest, WarningsAndCountedErrors)
{
    EXPECT_EQ(Captured([] { Error(LEVEL_WARNING, "Duplicate option `%s'", "-c"); }),
              "cctrvx: Warning: Duplicate option `-c'\n");
    EXPECT_EQ(ErrorNum, 0u);
    EXPECT_EQ(Captured([] { Error(LEVEL_ERROR, "`%s' has no suffix", "README"); }),
              "cctrvx: Error: `README' has no suffix\n");
    EXPECT_EQ(ErrorNum, 1u);
    EXPECT_EQ(Captured([] { Error(LEVEL_ERROR_ALT, "x%d", 3); }), "cctrvx: Error: x3\n");
    EXPECT_EQ(ErrorNum, 2u);
}

TEST_F(ErrorTest, SuppressedWarningsPrintNothingAtAll)
{
    NoWarnings = 1;
    EXPECT_EQ(Captured([] { Error(LEVEL_WARNING, "anything"); }), "");
    EXPECT_EQ(Captured([] { Error(LEVEL_ERROR, "still shown"); }), "cctrvx: Error: still shown\n");
}

TEST_F(ErrorTest, LibraryErrorTextFollowsTheName)
{
    std::string text = Captured([] {
        errno = ENOENT;
        Error(LEVEL_CLIB, "file.opt");
    });
    EXPECT_EQ(text, "cctrvx: Error: file.opt: No such file or directory\n");
    EXPECT_EQ(errno, 0);
    text = Captured([] {
        errno = EACCES;
        Error(LEVEL_SYSTEM, "GetUserName()");
    });
    EXPECT_EQ(text, "cctrvx: Error: GetUserName(): Permission denied\n");
}

TEST_F(ErrorTest, ProgramNameIsSetAndCut)
{
    SetProgName(std::string(400, 'n'));
    EXPECT_EQ(std::string(ProgName).size(), 255u);
    SetProgName("other");
    EXPECT_STREQ(ProgName, "other");
}

using ErrorDeathTest = ErrorTest;

TEST_F(ErrorDeathTest, FatalLevelsEndWithStatusOne)
{
    EXPECT_EXIT(Error(LEVEL_FATAL, "No arguments specified"), testing::ExitedWithCode(1),
                "^cctrvx: Fatal Error: No arguments specified\n$");
    EXPECT_EXIT(
        {
            errno = EBADF;
            Error(LEVEL_FATAL_CLIB, "dup()");
        },
        testing::ExitedWithCode(1), "^cctrvx: Fatal Error: dup\\(\\): Bad file descriptor\n$");
    EXPECT_EXIT(Error(LEVEL_MEMORY, nullptr), testing::ExitedWithCode(1), "^cctrvx: Fatal Error: Out of memory\n$");
    EXPECT_EXIT(Error(LEVEL_MEMORY, "x.c"), testing::ExitedWithCode(1),
                "^cctrvx: Fatal Error: x.c: Out of memory\n$");
    EXPECT_EXIT(Error(LEVEL_INTERNAL, "bad state %d", 7), testing::ExitedWithCode(1),
                "^cctrvx: Internal Error: bad state 7\n$");
    EXPECT_EXIT(Error(12, "beyond"), testing::ExitedWithCode(1), "^cctrvx: Internal Error: beyond\n$");
}

TEST_F(ErrorDeathTest, TheLimitAbortsAtExactlyErrorMaxErrors)
{
    EXPECT_EXIT(
        {
            for (int i = 0; i < 20; ++i)
                Error(LEVEL_ERROR, "e%d", i);
        },
        testing::ExitedWithCode(1), "cctrvx: Error: e9\ncctrvx: Aborted after 10 errors\n$");
    EXPECT_EXIT(
        {
            ErrorMax = 1;
            Error(LEVEL_ERROR, "only");
            Error(LEVEL_ERROR, "never");
        },
        testing::ExitedWithCode(1), "^cctrvx: Error: only\ncctrvx: Aborted after 1 error\n$");
}

TEST_F(ErrorTest, LimitZeroMeansNoLimit)
{
    ErrorMax = 0;
    testing::internal::CaptureStderr();
    for (int i = 0; i < 50; ++i)
        Error(LEVEL_ERROR, "e");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ErrorNum, 50u);
}

TEST_F(ErrorDeathTest, ErrorExitCountsWithPlural)
{
    EXPECT_EXIT(
        {
            ErrorNum = 1;
            ErrorExit();
        },
        testing::ExitedWithCode(1), "^cctrvx: 1 error detected\n$");
    EXPECT_EXIT(
        {
            ErrorNum = 3;
            ErrorExit();
        },
        testing::ExitedWithCode(1), "^cctrvx: 3 errors detected\n$");
}

TEST_F(ErrorDeathTest, BreakNamesTheSignal)
{
    EXPECT_EXIT(Break(SIGINT), testing::ExitedWithCode(1), "^cctrvx: Received signal 2 - terminating\n$");
}

TEST_F(ErrorDeathTest, ExhaustedMemoryIsTheOutOfMemoryError)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer reports exhausted memory itself and never calls the new handler";
#endif
    EXPECT_EXIT(
        {
            InstallMemoryHandler();
            std::vector<char> huge;
            huge.reserve(static_cast<std::size_t>(1) << 62);
        },
        testing::ExitedWithCode(1), "Fatal Error: Out of memory\n$");
}

} // namespace
