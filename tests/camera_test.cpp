// The camera: controls in their order, wrap and clamps, height easing and the view transform.
#include "support/devicefixture.h"

#include <d3dx9.h>

#include "app/camera.h"
#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/msgproc.h"

static const float TWO_PI = 6.2831855f;

class Camera : public DeviceTest
{
protected:
    void SetUp() override
    {
        SMD.siX = 500;   // away from every edge
        SMD.siY = 400;
        m_fFrameTime = 0.0f;
        InitCamera();
    }

    // Frame time for which a move control covers this many units.
    static float FrameTimeForMove(float fUnits) { return fUnits / 3000.0f; }

    // Eases until the height rests; returns how many calls moved it.
    static int EaseToRest()
    {
        int n = 0;
        while (EaseCameraHeight() && n < 100)
            n++;
        return n;
    }
};

TEST_F(Camera, ViewPutsTheEyeAtTheOriginFacingAlongTheHeading)
{
    MoveCameraTo(10, 20);
    D3DXMATRIX view;
    m_pDevice->GetTransform(D3DTS_VIEW, &view);
    D3DXVECTOR3 eye(10.0f, 20.0f, 20.0f), ahead(10.0f, 0.0f, 60.0f), out;
    D3DXVec3TransformCoord(&out, &eye, &view);
    EXPECT_NEAR(D3DXVec3Length(&out), 0.0f, 1e-4f);
    D3DXVec3TransformCoord(&out, &ahead, &view);
    EXPECT_GT(out.z, 0.0f) << "ground ahead of the heading is in front of the eye";
}

TEST_F(Camera, NoControlChangesNothingAndLeavesTheView)
{
    m_fFrameTime = 0.001f;
    D3DXMATRIX marker;
    D3DXMatrixScaling(&marker, 2.0f, 2.0f, 2.0f);
    m_pDevice->SetTransform(D3DTS_VIEW, &marker);
    SteerCamera(0);
    D3DXMATRIX view;
    m_pDevice->GetTransform(D3DTS_VIEW, &view);
    EXPECT_TRUE(view == marker);
    EXPECT_FLOAT_EQ(GetCameraX(), 40.0f);
    EXPECT_FLOAT_EQ(GetCameraZ(), 30.0f);
}

TEST_F(Camera, OnlyTheFirstControlThatHoldsActs)
{
    m_fFrameTime = FrameTimeForMove(1.0f);
    SteerCamera(CAMKEY_LEFT | CAMKEY_UP);
    EXPECT_FLOAT_EQ(GetCameraX(), 40.0f) << "Left and Up only turn";
    EXPECT_FLOAT_EQ(GetCameraZ(), 30.0f);
    EXPECT_NEAR(GetCameraYaw(), 0.25f * m_fFrameTime * 1000.0f, 1e-6f);

    InitCamera();
    SteerCamera(CAMKEY_UP | CAMKEY_END);
    EXPECT_NEAR(GetCameraZ(), 31.0f, 1e-4f) << "Up and End only move forward";
    EXPECT_EQ(EaseToRest(), 0) << "the target height did not change";

    InitCamera();
    SMD.siX = 0;
    SMD.siY = 0;
    SteerCamera(0);
    EXPECT_FLOAT_EQ(GetCameraX(), 40.0f) << "the top-left corner moves forward, not sideways";
    EXPECT_NEAR(GetCameraZ(), 31.0f, 1e-4f);
}

TEST_F(Camera, ScreenEdgesMoveOnlyOnTheirLastPixel)
{
    m_fFrameTime = FrameTimeForMove(1.0f);
    SMD.siX = 1023;
    SteerCamera(0);
    EXPECT_NEAR(GetCameraX(), 41.0f, 1e-4f) << "right edge strafes right";
    SMD.siX = 1022;
    SteerCamera(0);
    EXPECT_NEAR(GetCameraX(), 41.0f, 1e-4f);
    SMD.siX = 500;
    SMD.siY = 767;
    SteerCamera(0);
    EXPECT_NEAR(GetCameraZ(), 29.0f, 1e-4f) << "bottom edge moves back";
}

TEST_F(Camera, PositionWrapsAcrossBothEdgesButNotOnThem)
{
    m_fFrameTime = FrameTimeForMove(2.0f);
    MoveCameraTo(50, 99);
    SteerCamera(CAMKEY_UP);
    EXPECT_NEAR(GetCameraZ(), 1.0f, 1e-4f);
    MoveCameraTo(50, 0);
    SteerCamera(CAMKEY_DOWN);
    EXPECT_NEAR(GetCameraZ(), 98.0f, 1e-4f);
    MoveCameraTo(1, 50);
    SMD.siX = 0;
    SteerCamera(0);
    EXPECT_NEAR(GetCameraX(), 99.0f, 1e-4f);
    MoveCameraTo(99, 50);
    SMD.siX = 1023;
    SteerCamera(0);
    EXPECT_NEAR(GetCameraX(), 1.0f, 1e-4f);

    SMD.siX = 500;
    MoveCameraTo(100, 0);
    SteerCamera(CAMKEY_HOME);
    EXPECT_FLOAT_EQ(GetCameraX(), 100.0f);
    EXPECT_FLOAT_EQ(GetCameraZ(), 0.0f);
}

TEST_F(Camera, HeightTargetAndPitchStopAtTheirLimits)
{
    m_fFrameTime = 0.01f;
    SteerCamera(CAMKEY_HOME);
    EaseToRest();
    EXPECT_FLOAT_EQ(GetCameraY(), 29.5f) << "target held at 30";
    SteerCamera(CAMKEY_END);
    EaseToRest();
    EXPECT_FLOAT_EQ(GetCameraY(), 5.5f) << "target held at 5";

    SteerCamera(CAMKEY_INSERT);
    EXPECT_FLOAT_EQ(GetCameraPitch(), 6.0f);
    SteerCamera(CAMKEY_DELETE);
    EXPECT_FLOAT_EQ(GetCameraPitch(), 5.3f);
}

TEST_F(Camera, YawWrapsIntoTheTurn)
{
    m_fFrameTime = 0.000001f;
    SteerCamera(CAMKEY_RIGHT);
    EXPECT_LT(GetCameraYaw(), TWO_PI);
    EXPECT_GT(GetCameraYaw(), TWO_PI - 0.001f);

    m_fFrameTime = 0.004f;   // one radian a call
    for (int i = 0; i < 7; i++)
        SteerCamera(CAMKEY_LEFT);
    EXPECT_GT(GetCameraYaw(), 0.0f);
    EXPECT_LE(GetCameraYaw(), TWO_PI);
}

TEST_F(Camera, HeightEasesInHalfUnitStepsAndRestsWithinHalfAUnit)
{
    struct Case { float fTargetChange; int iMoves; float fRestBelowTarget; };
    const Case cases[] = {{2.0f, 3, 0.5f}, {0.7f, 1, 0.2f}, {-1.0f, 1, -0.5f}};
    for (const Case& c : cases)
    {
        InitCamera();
        m_fFrameTime = (c.fTargetChange > 0 ? c.fTargetChange : -c.fTargetChange) / 5000.0f;
        SteerCamera(c.fTargetChange > 0 ? CAMKEY_HOME : CAMKEY_END);
        EXPECT_EQ(EaseToRest(), c.iMoves) << c.fTargetChange;
        EXPECT_NEAR(GetCameraY(), 20.0f + c.fTargetChange - c.fRestBelowTarget, 1e-4f)
            << c.fTargetChange;
    }
}

TEST_F(Camera, ZeroFrameTimeMovesNothing)
{
    m_fFrameTime = 0.0f;
    const int keys[] = {CAMKEY_UP, CAMKEY_DOWN, CAMKEY_HOME, CAMKEY_END, CAMKEY_INSERT};
    for (int k : keys)
        SteerCamera(k);
    SMD.siY = 0;
    SteerCamera(0);
    EXPECT_FLOAT_EQ(GetCameraX(), 40.0f);
    EXPECT_FLOAT_EQ(GetCameraZ(), 30.0f);
    EXPECT_FLOAT_EQ(GetCameraPitch(), 5.7f);
    EXPECT_EQ(EaseToRest(), 0);
}
