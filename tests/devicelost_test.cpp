// A lost device is waited for; a display lost for good, or a loop that stops turning, ends the
// program with the backup written and the cause logged once.
#include "support/devicefixture.h"

#include <string>
#include <vector>

#include "app/devicelost.h"
#include "app/log.h"
#include "terrain/mapupdate.h"
#include "support/readback.h"

static const char* const BACKUP = "savegame\\VEZIDI.bak";

static bool FileExists(const char* pszPath)
{
    return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

class DeviceLost : public DeviceTest
{
protected:
    static void SetUpTestSuite()
    {
        DeviceTest::SetUpTestSuite();
        InitMapData();
    }

    void SetUp() override
    {
        InitErrorLog();
        DeleteFileA(BACKUP);
    }
};

// The cases run in this order: the display once given up stays given up for the program.
TEST_F(DeviceLost, ALostDeviceIsWaitedForAndNotFatal)
{
    CheckPresentResult(D3DERR_DEVICELOST);
    CheckPresentResult(D3DERR_DEVICENOTRESET);
    // The device of the tests was never really lost: the next frame finds it back.
    EXPECT_TRUE(IsDeviceReady());
    EXPECT_TRUE(IsDeviceReady());
    std::vector<std::string> expected = {"ZANerrors.log started ",
                                         "The device is lost (0x88760868); waiting for it",
                                         "The device is back"};
    EXPECT_EQ(ReadLog(), expected);
    EXPECT_FALSE(DrainQueue());
    EXPECT_FALSE(FileExists(BACKUP));
}

TEST_F(DeviceLost, PresentFailingForGoodSavesTheBackupAndQuitsOnce)
{
    // Two failures with a success between them are passing trouble.
    CheckPresentResult(E_FAIL);
    CheckPresentResult(E_FAIL);
    CheckPresentResult(D3D_OK);
    CheckPresentResult(E_FAIL);
    CheckPresentResult(E_FAIL);
    EXPECT_FALSE(DrainQueue());
    EXPECT_EQ(ReadLog().size(), 1u);

    CheckPresentResult(D3DERR_DRIVERINTERNALERROR);
    EXPECT_TRUE(DrainQueue());
    EXPECT_TRUE(FileExists(BACKUP));
    for (int i = 0; i < 5; i++)
        CheckPresentResult(E_FAIL);
    WindowDestroyed();
    EXPECT_FALSE(DrainQueue());
    std::vector<std::string> expected = {
        "ZANerrors.log started ",
        "The display is lost (Present failed, 0x88760827): saving the backup and closing down"};
    EXPECT_EQ(ReadLog(), expected);
}

// A silent pass that keeps the thread busy for longer is left alone; one that waits is not.
TEST_F(DeviceLost, ALoopStuckWaitingEndsTheProgramWithTheBackup)
{
    EXPECT_EXIT(
        {
            StartLoopWatch();
            NoteLoopPass();
            for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < HANG_LIMIT_MS + 1000;)
            {
            }
            LogError("busy pass over");
            Sleep(HANG_LIMIT_MS + 5000);
        },
        ::testing::ExitedWithCode(0), "");
    std::vector<std::string> expected = {
        "ZANerrors.log started ", "busy pass over",
        "The message loop has stood still for 8 seconds: saving the backup and closing down",
        "Closing down"};
    EXPECT_EQ(ReadLog(), expected);
    EXPECT_TRUE(FileExists(BACKUP));
}
