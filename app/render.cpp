// The frame renderer: lights, fixed states and fog, the land batches, the overlays, the
// counters and the pointer, then present.
#include "app/render.h"

#include <cmath>
#include <cstring>

#include "app/camera.h"
#include "app/cursor.h"
#include "app/d3dservices.h"
#include "app/devicelost.h"
#include "app/frame.h"
#include "app/log.h"
#include "app/msgproc.h"
#include "app/renderstates.h"
#include "app/text.h"
#include "editor/editpanels.h"
#include "editor/landedit.h"
#include "editor/settings.h"
#include "terrain/cavebuffers.h"
#include "terrain/caveedit.h"
#include "terrain/landpasses.h"
#include "terrain/mapdata.h"
#include "terrain/minimap.h"
#include "terrain/view.h"

int m_iTilesShown = 0;            // tiles drawn this frame; 0 between frames

static int iTextureTypes = 0;     // T and V: read once from the map data on the first frame
static int iAlphaVariants = 0;
static D3DLIGHT9 light;           // light 2, then light 1 when it is on

DWORD FloatToDword(float f)
{
    DWORD dw;
    memcpy(&dw, &f, sizeof(dw));
    return dw;
}

static void SetSpotColours(float fAmbient)
{
    light.Type = D3DLIGHT_SPOT;
    light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = 1.0f;
    light.Ambient.r = light.Ambient.g = light.Ambient.b = fAmbient;
}

// Light 2 stands behind and above the camera and shines along its heading.
static void SetMovingLight()
{
    float fYaw = GetCameraYaw();
    m_pDevice->LightEnable(2, FALSE);
    ZeroMemory(&light, sizeof(light));
    SetSpotColours(1.0f);
    D3DXVECTOR3 vecPos(GetCameraX() + 200.0f * sinf(fYaw), GetCameraY() + 20.0f,
                       GetCameraZ() - 200.0f * cosf(fYaw));
    D3DXVECTOR3 vecDir(-sinf(fYaw), -1.0f, cosf(fYaw));
    light.Position = vecPos;
    D3DXVec3Normalize((D3DXVECTOR3*)&light.Direction, &vecDir);
    light.Range = 500.0f;
    light.Falloff = 10.0f;
    light.Attenuation0 = 0.84f;
    light.Theta = 3.14f;
    light.Phi = 3.14f;
    m_pDevice->SetLight(2, &light);
    m_pDevice->LightEnable(2, TRUE);
}

static void SetOverheadLight()
{
    ZeroMemory(&light, sizeof(light));
    SetSpotColours(0.1f);
    light.Position = D3DXVECTOR3(GetCameraX(), GetCameraY() + 100.0f, GetCameraZ());
    D3DXVECTOR3 vecDir(0.0f, -1.0f, 0.0f);
    D3DXVec3Normalize((D3DXVECTOR3*)&light.Direction, &vecDir);
    light.Range = 500.0f;
    light.Falloff = 1.0f;
    light.Theta = 3.0f;
    light.Phi = 3.0f;
    m_pDevice->SetLight(1, &light);
    m_pDevice->LightEnable(1, TRUE);
}

static void SetFrameStates()
{
    m_pDevice->SetRenderState(D3DRS_FILLMODE, m_bWireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    m_pDevice->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    m_pDevice->SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    for (DWORD i = 0; i < 2; i++)
    {
        m_pDevice->SetSamplerState(i, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
        m_pDevice->SetSamplerState(i, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    }
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_NONE);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, m_dwMagFilter);
    m_pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, m_dwMipFilter);
    m_pDevice->SetSamplerState(1, D3DSAMP_MINFILTER, m_dwMinFilter);
    m_pDevice->SetSamplerState(1, D3DSAMP_MAGFILTER, m_dwMagFilter);
    m_pDevice->SetSamplerState(1, D3DSAMP_MIPFILTER, m_dwMipFilter);
    m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    m_pDevice->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    m_pDevice->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);

    // Black fog from 50 to 90 units hides the far edge of the patch round the camera.
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_FOGCOLOR, 0xFF000000);
    m_pDevice->SetRenderState(D3DRS_FOGSTART, FloatToDword(50.0f));
    m_pDevice->SetRenderState(D3DRS_FOGEND, FloatToDword(90.0f));
    m_pDevice->SetRenderState(D3DRS_FOGDENSITY, FloatToDword(1.0f));
    m_pDevice->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    m_pDevice->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    m_pDevice->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);

    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, m_bLighting);
    if (m_bLight1)
    {
        m_pDevice->SetLight(1, &light);
        m_pDevice->LightEnable(1, TRUE);
    }
    else
        m_pDevice->LightEnable(1, FALSE);
}

// Every non-empty batch in its base and alpha pass; returns the number of batches drawn.
static int RenderLandBatches()
{
    int iBatches = 0;
    for (int t = 0; t < iTextureTypes; t++)
    {
        for (int a = 0; a <= iTextureTypes * iAlphaVariants; a++)
        {
            int n = GetLandRowTileCount(t, a);
            if (n <= 0)
                continue;
            SetLandBaseStates();
            iBatches++;
            RenderLandRow(t, a, n);
            SetLandAlphaStates();
            RenderLandRow(t, a, n);
            m_iTilesShown += n;
        }
    }
    return iBatches;
}

// Key C: one text row per map row, a blank where the tile is displayable; row 0 lowest.
static void DrawDisplayableTileMap()
{
    char strText[256];
    memset(strText, '.', 102);
    strText[102] = '\0';
    DrawString(10, 514, strText);
    for (int z = 0; z < MAP_SIZE; z++)
    {
        for (int x = 0; x < MAP_SIZE; x++)
            strText[x + 1] = IsTileDisplayable(x, z) ? ' ' : '.';
        DrawString(10, 510 - 4 * z, strText);
    }
    memset(strText, '.', 102);
    DrawString(10, 110, strText);
}

static void DrawCounters(int iBatches)
{
    DrawString(700, -2, "FPS");
    DrawInt(740, -2, m_iFPS);
    DrawString(500, -2, "Tiles Displayed");
    DrawInt(620, -2, m_iTilesShown);
    DrawInt(620, 18, iBatches);
}

// The 2-D pointer over the panels, a settings screen or a texture panel; the tool's icon
// everywhere else, where a press edits the land. Bounds as the panels lie, strict or inclusive.
static bool PointerWantsCursor()
{
    int x = SMD.siX, y = SMD.siY;
    bool bCave = IsCaveEditMode();
    if (IsOverEditorPanel(x, y))
        return true;
    if (m_siScreenMode == 0 || m_siScreenMode == 1)
        return true;
    if (bCave && y < 144 && x > 194 && x < 333)
        return true;
    if (bCave && HasCaveTextureB() && y < 144 && x > 332 && x < 473)
        return true;
    // Over the previews only while they are drawn: elsewhere the tool acts there.
    bool bPreviews = AreTexturePreviewsShown();
    if (bPreviews && y > 195 && y < 333 && x < 138)
        return true;
    return bPreviews && SelectedTileHasAlpha() && y > 333 && y < 471 && x < 138;
}

static void DrawScene()
{
    SetFrameStates();
    int iBatches = RenderLandBatches();
    ResetRenderStates();
    if (m_bWireframe)
        m_pDevice->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    RenderVisibleCaves();

    RenderEditPanel(960, 0);
    if (m_bToolPopup)
        RenderEditPanel(m_iPopupX, m_iPopupY);
    RenderLandEditGUI();
    RenderCornerIcon();
    RenderLandOverlays();
    if (m_siScreenMode == 0)
        RenderLoadScreen();
    else if (m_siScreenMode == 1)
        RenderSaveScreen();

    if (m_bShowMapGrid)
        DrawDisplayableTileMap();
    if (m_bTrace)
        DrawString(500, 350, "DEBUG");
    DrawInt(1, 100, SMD.siX);
    DrawInt(50, 100, SMD.siY);
    if (m_bShowFilters)
        DrawFilterOverlay();
    if (m_bShowRenderStates)
        DrawRenderStateOverlay();
    DrawCounters(iBatches);
    m_iTilesShown = 0;

    if (PointerWantsCursor())
        RenderCursor();
    else
        RenderToolCursor();
}

void Render()
{
    if (iTextureTypes == 0)
    {
        iTextureTypes = GetNumTextureTypes();
        iAlphaVariants = GetNumAlphaVariants();
    }
    if (m_pDevice == NULL)
    {
        LogError("No device to render to ");
        return;
    }
    if (!IsDeviceReady())
        return;

    SetMovingLight();
    if (m_bLight1)
        SetOverheadLight();
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // A frame whose scene cannot begin is still presented.
    if (SUCCEEDED(m_pDevice->BeginScene()))
    {
        DrawScene();
        m_pDevice->EndScene();
    }
    CheckPresentResult(m_pDevice->Present(NULL, NULL, NULL, NULL));

    SMD.bLeftClick = false;
    SMD.bRightClick = false;
}
