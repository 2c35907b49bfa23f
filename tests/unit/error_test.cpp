// Diagnostics: message formats, counting, the limit and the ways the program ends.
#include "test_support.h"

#include <cerrno>
#include <csignal>
#include <functional>

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
    void TearDown() override { ErrorNum = 0; }
};

TEST_F(ErrorTest, WarningsCountedErrorsAndLibraryErrorText)
{
    EXPECT_EQ(Stderr([] { Error(LEVEL_WARNING, "Duplicate option `%s'", "-c"); }),
              "cctrvx: Warning: Duplicate option `-c'\n");
    EXPECT_EQ(ErrorNum, 0u);
    EXPECT_EQ(Stderr([] { Error(LEVEL_ERROR, "`%s' has no suffix", "README"); }),
              "cctrvx: Error: `README' has no suffix\n");
    EXPECT_EQ(ErrorNum, 1u);
    EXPECT_EQ(Stderr([] { Error(LEVEL_ERROR_ALT, "x%d", 3); }), "cctrvx: Error: x3\n");
    EXPECT_EQ(ErrorNum, 2u);

    // The library's text follows the name, and the error number is cleared.
    EXPECT_EQ(Stderr([] {
                  errno = ENOENT;
                  Error(LEVEL_CLIB, "file.opt");
              }),
              "cctrvx: Error: file.opt: No such file or directory\n");
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(Stderr([] {
                  errno = EACCES;
                  Error(LEVEL_SYSTEM, "GetUserName()");
              }),
              "cctrvx: Error: GetUserName(): Permission denied\n");

    // Suppressed warnings print nothing at all.
    NoWarnings = 1;
    EXPECT_EQ(Stderr([] { Error(LEVEL_WARNING, "anything"); }), "");
    EXPECT_EQ(Stderr([] { Error(LEVEL_ERROR, "still shown"); }), "cctrvx: Error: still shown\n");
}

TEST_F(ErrorTest, ProgramNameIsSetAndCutAndLimitZeroMeansNoLimit)
{
    SetProgName(std::string(400, 'n'));
    EXPECT_EQ(std::string(ProgName).size(), 255u);
    SetProgName("other");
    EXPECT_STREQ(ProgName, "other");

    ErrorMax = 0;
    Stderr([] {
        for (int i = 0; i < 50; ++i)
            Error(LEVEL_ERROR, "e");
    });
    EXPECT_EQ(ErrorNum, 50u);
}

using ErrorDeathTest = ErrorTest;

TEST_F(ErrorDeathTest, FatalLevelsTheLimitErrorExitAndBreakEndWithStatusOne)
{
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] { Error(LEVEL_FATAL, "No arguments specified"); }, "^cctrvx: Fatal Error: No arguments specified\n$"},
        {[] {
             errno = EBADF;
             Error(LEVEL_FATAL_CLIB, "dup()");
         },
         "^cctrvx: Fatal Error: dup\\(\\): Bad file descriptor\n$"},
        {[] { Error(LEVEL_MEMORY, nullptr); }, "^cctrvx: Fatal Error: Out of memory\n$"},
        {[] { Error(LEVEL_MEMORY, "x.c"); }, "^cctrvx: Fatal Error: x.c: Out of memory\n$"},
        {[] { Error(LEVEL_INTERNAL, "bad state %d", 7); }, "^cctrvx: Internal Error: bad state 7\n$"},
        {[] { Error(12, "beyond"); }, "^cctrvx: Internal Error: beyond\n$"},
        // The limit aborts at exactly ErrorMax errors.
        {[] {
             for (int i = 0; i < 20; ++i)
                 Error(LEVEL_ERROR, "e%d", i);
         },
         "cctrvx: Error: e9\ncctrvx: Aborted after 10 errors\n$"},
        {[] {
             ErrorMax = 1;
             Error(LEVEL_ERROR, "only");
             Error(LEVEL_ERROR, "never");
         },
         "^cctrvx: Error: only\ncctrvx: Aborted after 1 error\n$"},
        // The count of errors, with its plural.
        {[] {
             ErrorNum = 1;
             ErrorExit();
         },
         "^cctrvx: 1 error detected\n$"},
        {[] {
             ErrorNum = 3;
             ErrorExit();
         },
         "^cctrvx: 3 errors detected\n$"},
        {[] { Break(SIGINT); }, "^cctrvx: Received signal 2 - terminating\n$"},
    };
    for (const auto& [work, message] : cases)
        EXPECT_EXIT(work(), testing::ExitedWithCode(1), message) << message;
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
