// The log file: started afresh, one line per message, kept whole when the process dies.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>
#include <windows.h>

#include "app/log.h"

static std::vector<std::string> ReadLog()
{
    std::vector<std::string> lines;
    std::ifstream in("ZANerrors.log", std::ios::binary);
    std::string line;
    while (std::getline(in, line))
    {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "lines end with CR LF";
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST(Log, StartsAfreshOverAnOldLog)
{
    {
        std::ofstream old("ZANerrors.log");
        old << "left over from an earlier run\n";
    }
    InitErrorLog();
    EXPECT_EQ(ReadLog(), std::vector<std::string>{"ZANerrors.log started "});
}

TEST(Log, CreatesAMissingFile)
{
    DeleteFileA("ZANerrors.log");
    LogError("first");
    EXPECT_EQ(ReadLog(), std::vector<std::string>{"first"});
}

TEST(Log, WritesOneLinePerMessageInCallOrder)
{
    InitErrorLog();
    LogError("CheckCamera");
    LogError("");
    LogError("ends in a line end\n");
    LogError("Closing down");
    std::vector<std::string> expected = {"ZANerrors.log started ", "CheckCamera", "",
                                         "ends in a line end", "", "Closing down"};
    EXPECT_EQ(ReadLog(), expected);
}

TEST(Log, SecondStartDiscardsEarlierLines)
{
    InitErrorLog();
    LogError("Failed to create the D3D Hardware Device ");
    InitErrorLog();
    LogError("after");
    std::vector<std::string> expected = {"ZANerrors.log started ", "after"};
    EXPECT_EQ(ReadLog(), expected);
}

TEST(Log, SurvivesTheProcessBeingKilled)
{
    InitErrorLog();
    EXPECT_EXIT(
        {
            LogError("one");
            LogError("two");
            TerminateProcess(GetCurrentProcess(), 3);
        },
        ::testing::ExitedWithCode(3), "");
    std::vector<std::string> expected = {"ZANerrors.log started ", "one", "two"};
    EXPECT_EQ(ReadLog(), expected);
}

// A damaged file's token goes into the log quoted; no byte of it may end a read of the log,
// forge a line or run on without bound.
TEST(Log, QuotedUntrustedTextKeepsTheLogReadable)
{
    InitErrorLog();
    LogError(("token " + QuoteForLog(std::string("0.0\x1A" "2\0" "5\r\nx\"\xE9\\", 13))).c_str());
    LogError(QuoteForLog(std::string(50, 'a')).c_str());
    LogError(QuoteForLog("abcdef", 6).c_str());
    LogError(QuoteForLog("").c_str());
    LogError("after");
    std::vector<std::string> expected = {"ZANerrors.log started ",
                                         "token \"0.0\\x1A2\\x005\\x0D\\x0Ax\\x22\\xE9\\\"",
                                         "\"" + std::string(40, 'a') + "\"...",
                                         "\"abcdef\"",
                                         "\"\"",
                                         "after"};
    EXPECT_EQ(ReadLog(), expected);
}

TEST(Log, FormattedLinesReadAsPrintfWritesThemAndAnOverlongOneIsCut)
{
    InitErrorLog();
    LogErrorf("Closing down Map Data m_pLandTexture released %d", 17);
    LogErrorf("%s: tile (%d, %d) is off the map", "GetTileHeight", -1, 100);
    LogErrorf("%s", std::string(600, 'x').c_str());
    std::vector<std::string> lines = ReadLog();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Closing down Map Data m_pLandTexture released 17");
    EXPECT_EQ(lines[2], "GetTileHeight: tile (-1, 100) is off the map");
    EXPECT_EQ(lines[3], std::string(511, 'x'));
}
