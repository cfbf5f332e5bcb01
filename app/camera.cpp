// The camera: flown by held keys and screen edges, its height eased toward a target.
#include "app/camera.h"

#include <cmath>

#include "app/d3dservices.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"

static const float TWO_PI = 6.2831855f;
static const float HALF_PI = 1.570796f;

// The camera state; all zero until InitCamera, written only here.
static float fX;             // position along x, kept in [0, 100]
static float fY;             // current eye height, eased toward fTargetHeight
static float fZ;             // position along z, kept in [0, 100]
static float fTargetHeight;  // kept in [5, 30]
static float fYaw;           // heading; once turned, kept in (0, 2 pi]
static float fPitch;         // tilt about the camera's x axis, kept in [5.3, 6.0]
static bool bMoving;         // a control acted in the last CheckCamera

static D3DXMATRIX m_Camera;  // the view transform last built

float GetCameraX() { return fX; }
float GetCameraY() { return fY; }
float GetCameraZ() { return fZ; }
float GetCameraYaw() { return fYaw; }
float GetCameraPitch() { return fPitch; }

void InitCamera()
{
    fX = 40.0f;
    fY = 20.0f;
    fZ = 30.0f;
    fTargetHeight = 20.0f;
    fYaw = 0.0f;
    fPitch = 5.7f;
    CheckCamera();
    SetViewMatrix();
}

void MoveCameraTo(int x, int z)
{
    fX = (float)x;
    fZ = (float)z;
    SetViewMatrix();
}

void SetViewMatrix()
{
    if (m_pDevice == NULL)
    {
        LogError("No device for the camera's view");
        return;
    }
    D3DXMATRIX matTrans, matRotY, matRotX;
    D3DXMatrixTranslation(&matTrans, -fX, -fY, -fZ);
    D3DXMatrixRotationY(&matRotY, fYaw);
    D3DXMatrixRotationX(&matRotX, fPitch);
    D3DXMatrixMultiply(&m_Camera, &matTrans, &matRotY);
    D3DXMatrixMultiply(&m_Camera, &m_Camera, &matRotX);
    m_pDevice->SetTransform(D3DTS_VIEW, &m_Camera);
}

bool EaseCameraHeight()
{
    bool bMoved = false;
    if (fTargetHeight < fY && fTargetHeight - fY < -0.5f)
    {
        fY -= 0.5f;
        CheckCamera();
        bMoved = true;
    }
    else if (fTargetHeight > fY && fTargetHeight - fY > 0.5f)
    {
        fY += 0.5f;
        CheckCamera();
        bMoved = true;
    }
    SetViewMatrix();
    return bMoved;
}

static bool Held(int iVirtualKey)
{
    return (GetAsyncKeyState(iVirtualKey) & 0x8000) != 0;
}

int PollCameraKeys()
{
    int iKeys = 0;
    if (Held(VK_LEFT)) iKeys |= CAMKEY_LEFT;
    if (Held(VK_RIGHT)) iKeys |= CAMKEY_RIGHT;
    if (Held(VK_UP)) iKeys |= CAMKEY_UP;
    if (Held(VK_DOWN)) iKeys |= CAMKEY_DOWN;
    if (Held(VK_END)) iKeys |= CAMKEY_END;
    if (Held(VK_HOME)) iKeys |= CAMKEY_HOME;
    if (Held(VK_INSERT)) iKeys |= CAMKEY_INSERT;
    if (Held(VK_DELETE)) iKeys |= CAMKEY_DELETE;
    return iKeys;
}

void CheckCamera()
{
    SteerCamera(PollCameraKeys());
}

// Moves along the ground in the direction dAngle (the heading, or a side of it).
static void MoveAlong(double dAngle, float s)
{
    fX = (float)(fX - sin(dAngle) * s);
    fZ = (float)(fZ + cos(dAngle) * s);
}

// Applies the first control that holds; returns whether the yaw turned.
static bool ApplyFirstControl(int iKeys, int W, int H)
{
    float dt = m_fFrameTime;
    float s = 3000.0f * dt;
    if (iKeys & CAMKEY_LEFT)
        fYaw += 0.25f * dt * 1000.0f;
    else if (iKeys & CAMKEY_RIGHT)
        fYaw -= 0.25f * dt * 1000.0f;
    else if ((iKeys & CAMKEY_UP) || SMD.siY == 0)
        MoveAlong(fYaw, s);
    else if (SMD.siX == 0)
        MoveAlong(fYaw + HALF_PI, s);
    else if (SMD.siX == W - 1)
        MoveAlong(fYaw - HALF_PI, s);
    else if ((iKeys & CAMKEY_DOWN) || SMD.siY == H - 1)
        MoveAlong(fYaw, -s);
    else if (iKeys & CAMKEY_END)
        fTargetHeight -= 1.0f * dt * 5000.0f;
    else if (iKeys & CAMKEY_HOME)
        fTargetHeight += 1.0f * dt * 5000.0f;
    else if (iKeys & CAMKEY_INSERT)
        fPitch = fminf(fPitch + 0.1f * dt * 10000.0f, 6.0f);
    else if (iKeys & CAMKEY_DELETE)
        fPitch = fmaxf(fPitch - 0.1f * dt * 10000.0f, 5.3f);
    else
        bMoving = false;
    return (iKeys & (CAMKEY_LEFT | CAMKEY_RIGHT)) != 0;
}

// One step only, and the bounds themselves stay: 100 stays 100 and 0 stays 0.
static float WrapPosition(float f)
{
    if (f > 100.0f)
        return f - 100.0f;
    if (f < 0.0f)
        return f + 100.0f;
    return f;
}

void SteerCamera(int iKeys)
{
    if (m_pDevice == NULL)
    {
        LogError("No device for the camera's viewport");
        return;
    }
    bMoving = true;
    D3DVIEWPORT9 vp;
    m_pDevice->GetViewport(&vp);

    bool bTurned = ApplyFirstControl(iKeys, (int)vp.Width, (int)vp.Height);
    if (bMoving)
    {
        fX = WrapPosition(fX);
        fZ = WrapPosition(fZ);
        if (fTargetHeight > 30.0f)
            fTargetHeight = 30.0f;
        else if (fTargetHeight < 5.0f)
            fTargetHeight = 5.0f;
    }
    if (bTurned)
    {
        if (fYaw > TWO_PI)
            fYaw -= TWO_PI;
        else if (fYaw <= 0.0f)
            fYaw += TWO_PI;
    }
    if (bMoving)
        SetViewMatrix();
}
