// The log: prefixes, separators, blank lines, invalid arguments, and a log
// that cannot be opened.
#include <filesystem>

#include "ctesser.h"
#include "spine_fixture.h"

namespace {

using spine::TempDirTest;
using LogTest = TempDirTest;

struct EntryCase {
    int kind;
    const char* line; // nullptr: nothing is written
};

TEST_F(LogTest, EntryPrefixPerKind)
{
    const EntryCase cases[] = {
        {LOG_QUERY, "? text\n"},         {LOG_STEP, "   =: text\n"},     {LOG_STAGE, "  -=: text\n"},
        {LOG_HEADING, "--==: text\n"},   {LOG_SUCCESS, "   +: text\n"},  {LOG_WARNING, " !: text\n"},
        {LOG_ERROR, " !!!: text\n"},     {7, nullptr},                   {-1, nullptr},
        {1000, nullptr},
    };
    for (const EntryCase& c : cases) {
        std::filesystem::remove("gamelog.txt");
        LogWriteEntry("text", c.kind);
        SCOPED_TRACE(c.kind);
        if (c.line)
            EXPECT_EQ(Log(), c.line);
        else
            EXPECT_FALSE(spine::FileExists("gamelog.txt"));
    }
}

TEST_F(LogTest, SeparatorPerStyle)
{
    const EntryCase cases[] = {
        {LOGSEP_THIN, "|---------------------------------------------------|\n"},
        {LOGSEP_DOUBLE, "|===================================================|\n"},
        {LOGSEP_DOTTED, "|:::::::::::::::::::::::::::::::::::::::::::::::::::|\n"},
        {LOGSEP_ALARM, "|!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!|\n"},
        {0, nullptr},
        {5, nullptr},
    };
    for (const EntryCase& c : cases) {
        std::filesystem::remove("gamelog.txt");
        LogWriteSeparator(c.kind);
        SCOPED_TRACE(c.kind);
        if (c.line) {
            EXPECT_EQ(Log(), c.line);
            EXPECT_EQ(std::string(c.line).size(), 54u); // 53 characters and the line end
        } else {
            EXPECT_FALSE(spine::FileExists("gamelog.txt"));
        }
    }
}

TEST_F(LogTest, LinesAppendInOrder)
{
    LogWriteLine("FOCUS LOST");
    LogWriteEntry("", LOG_SUCCESS);
    LogWriteBlankLines(3);
    LogWriteBlankLines(0);
    LogWriteBlankLines(-2);
    LogWriteLine("");
    LogWriteEntry("Done.", LOG_SUCCESS);
    EXPECT_EQ(Log(), "FOCUS LOST\n   +: \n\n\n\n\n   +: Done.\n");
}

TEST_F(LogTest, ManyBlankLinesAreWrittenInFull)
{
    LogWriteBlankLines(1000);
    EXPECT_EQ(Log(), std::string(1000, '\n'));
}

TEST_F(LogTest, UnwritableLogIsSilentlySkipped)
{
    // A folder where the file should be: every open fails.
    std::filesystem::create_directory("gamelog.txt");
    EXPECT_NO_THROW({
        LogWriteLine("lost");
        LogWriteEntry("lost", LOG_ERROR);
        LogWriteSeparator(LOGSEP_THIN);
        LogWriteBlankLines(2);
    });
    EXPECT_TRUE(std::filesystem::is_directory("gamelog.txt"));
}

TEST(LogFormat, DateAndTimeHaveNoLeadingZeros)
{
    EXPECT_EQ(LogFormatDate(3, 1, 2005), "3.1.2005");
    EXPECT_EQ(LogFormatDate(9, 5, 2005), "9.5.2005");
    EXPECT_EQ(LogFormatDate(31, 12, 1999), "31.12.1999");
    EXPECT_EQ(LogFormatTime(9, 7), "9:7");
    EXPECT_EQ(LogFormatTime(0, 0), "0:0");
    EXPECT_EQ(LogFormatTime(23, 59), "23:59");
}

} // namespace
