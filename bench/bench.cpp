// Timings of the map update and of whole frames, each beside a floor for the same work:
// the update against writing its vertices into one buffer under one lock, a frame against
// clearing, drawing the same triangles in one call with one texture and presenting.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <windows.h>

#include "app/camera.h"
#include "app/cursor.h"
#include "app/d3dservices.h"
#include "app/msgproc.h"
#include "app/render.h"
#include "app/startup.h"
#include "app/text.h"
#include "editor/editpanels.h"
#include "editor/heightedit.h"
#include "editor/landedit.h"
#include "editor/mapfile.h"
#include "editor/picking.h"
#include "editor/settings.h"
#include "editor/textureedit.h"
#include "terrain/caveedit.h"
#include "terrain/cavemodels.h"
#include "terrain/caves.h"
#include "terrain/landbuffers.h"
#include "terrain/landpasses.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"
#include "terrain/mapupdate.h"
#include "terrain/view.h"

static LARGE_INTEGER s_liFrequency;
static IDirect3DQuery9* s_pQuery = NULL;   // waits until the device has finished a frame

namespace
{
struct Timing
{
    double dMin;
    double dMedian;
};
}   // namespace

static double NowMs()
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return (double)li.QuadPart * 1000.0 / (double)s_liFrequency.QuadPart;
}

static void WaitForDevice()
{
    if (s_pQuery == NULL)
        return;
    s_pQuery->Issue(D3DISSUE_END);
    while (s_pQuery->GetData(NULL, 0, D3DGETDATA_FLUSH) == S_FALSE)
        ;
}

static Timing Measure(void (*pfnWork)(), int iRuns)
{
    pfnWork();   // warm-up
    WaitForDevice();
    std::vector<double> times;
    for (int i = 0; i < iRuns; i++)
    {
        double t0 = NowMs();
        pfnWork();
        WaitForDevice();
        times.push_back(NowMs() - t0);
    }
    std::sort(times.begin(), times.end());
    Timing t = {times.front(), times[times.size() / 2]};
    return t;
}

// The floor of a land build: as many LandVertex as the build writes, into one buffer.
static void WriteVerticesOnce()
{
    UINT uiVertices = (UINT)std::max(m_iNumDisplayableTiles, 1) * 6;
    LPDIRECT3DVERTEXBUFFER9 pVB = NULL;
    if (FAILED(m_pDevice->CreateVertexBuffer(uiVertices * sizeof(LandVertex), 0, D3DFVF_LANDVERTEX,
                                             D3DPOOL_SYSTEMMEM, &pVB, NULL)))
        return;
    LandVertex* pV = NULL;
    if (SUCCEEDED(pVB->Lock(0, 0, (void**)&pV, 0)))
    {
        for (UINT i = 0; i < uiVertices; i++)
        {
            LandVertex v = {(float)(i & 127), 0.0f, (float)(i >> 7), 0.0f, 1.0f, 0.0f,
                            0.07f, 0.07f, 0.93f, 0.93f};
            pV[i] = v;
        }
        pVB->Unlock();
    }
    pVB->Release();
}

// The device floor: every land triangle of the frame in one buffer, drawn in one call.
static LPDIRECT3DVERTEXBUFFER9 s_pAllLand = NULL;
static UINT s_uiAllTriangles = 0;

static void GatherLandIntoOneBuffer()
{
    if (s_pAllLand)
        s_pAllLand->Release();
    s_pAllLand = NULL;
    s_uiAllTriangles = 0;
    std::vector<LandVertex> all;
    for (int t = 0; t < 16; t++)
        for (int s = 0; s < NUM_ALPHA_SLOTS; s++)
        {
            if (m_pLandRowVB[t][s] == NULL)
                continue;
            D3DVERTEXBUFFER_DESC desc;
            m_pLandRowVB[t][s]->GetDesc(&desc);
            LandVertex* pV = NULL;
            if (FAILED(m_pLandRowVB[t][s]->Lock(0, 0, (void**)&pV, D3DLOCK_READONLY)))
                continue;
            all.insert(all.end(), pV, pV + desc.Size / sizeof(LandVertex));
            m_pLandRowVB[t][s]->Unlock();
        }
    if (all.empty())
        return;
    m_pDevice->CreateVertexBuffer((UINT)(all.size() * sizeof(LandVertex)), 0, D3DFVF_LANDVERTEX,
                                  D3DPOOL_SYSTEMMEM, &s_pAllLand, NULL);
    LandVertex* pV = NULL;
    if (s_pAllLand && SUCCEEDED(s_pAllLand->Lock(0, 0, (void**)&pV, 0)))
    {
        std::copy(all.begin(), all.end(), pV);
        s_pAllLand->Unlock();
    }
    s_uiAllTriangles = (UINT)all.size() / 3;
}

static void DeviceFloorFrame()
{
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    if (SUCCEEDED(m_pDevice->BeginScene()))
    {
        if (s_pAllLand)
        {
            SetLandBaseStates();
            m_pDevice->SetTexture(0, m_pLandTexture[64]);
            m_pDevice->SetFVF(D3DFVF_LANDVERTEX);
            m_pDevice->SetStreamSource(0, s_pAllLand, 0, sizeof(LandVertex));
            m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, s_uiAllTriangles);
            ResetRenderStates();
        }
        m_pDevice->EndScene();
    }
    m_pDevice->Present(NULL, NULL, NULL, NULL);
}

static void MapUpdate()
{
    CalculateScreenPosition();
}

// The camera one tile further each time, as when flying: the batch counts change.
static int s_iStep = 0;

static void MapUpdateAfterMove()
{
    s_iStep = (s_iStep + 1) % 20;
    MoveCameraTo((int)GetCameraX(), 40 + s_iStep);
    CalculateScreenPosition();
}

static void LandBuildOnly()
{
    LoadLandBuffer();
}

static void Frame()
{
    Render();
}

// The hover pick under the screen centre, on the land, and at the top, over the far land.
static void PickAtCentre()
{
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    PickTile(rc.right / 2, rc.bottom / 2);
}

static void PickAtTop()
{
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    PickTile(rc.right / 2, 0);
}

// Every tile: a random base and alpha texture, rotations, flips, splits and heights.
static void MakeBusyMap()
{
    srand(12345);
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            int t = rand() % 16;
            m_MapData.siBaseTexture[x][z] = (short)(t * 8);
            int a = rand() % 9;   // 0: none, else one of the type's seven or another type's
            m_MapData.siAlphaTexture[x][z] =
                (short)(a == 0 ? 128 : (rand() % 16) * 8 + 1 + rand() % 7);
            m_MapData.siBaseRotation[x][z] = (short)(rand() % 4);
            m_MapData.siAlphaRotation[x][z] = (short)(rand() % 4);
            m_MapData.bBaseFlipX[x][z] = rand() % 2;
            m_MapData.bBaseFlipZ[x][z] = rand() % 2;
            m_MapData.bAlphaFlipX[x][z] = rand() % 2;
            m_MapData.bAlphaFlipZ[x][z] = rand() % 2;
            m_MapData.bTriangleFlip[x][z] = rand() % 2;
            m_MapData.siHeight[x][z] = (short)(rand() % 257);
        }
}

// The busy map with every tile's texture corners moved off the blank ones and 50 caves on
// slopes spread over the map, the seams included.
static void MakeFullMap()
{
    MakeBusyMap();
    for (int x = 0; x < MAP_SIZE; x++)
        for (int z = 0; z < MAP_SIZE; z++)
        {
            TileTexCoords rec;
            for (int i = 0; i < 8; i++)
                rec.fUV[i] = (float)(rand() % 100000) / 99999.0f;
            SetBaseTileUV(rec, x, z);
            RotateUV90(&rec);
            SetAlphaTileUV(rec, x, z);
        }
    SetMapData(m_MapData);
    for (int t = 0; t < MAP_SIZE * MAP_SIZE && GetNumCaves() < 50; t += 37)
        AddCaveAtTile(t);
}

static void SaveFullMap()
{
    SaveData(false, "BENCH");
}

static void LoadFullMap()
{
    LoadData("BENCH.gam");
}

static void CheckBackup()
{
    SaveData(true, "");
}

static void BenchMapFile()
{
    MakeFullMap();
    CreateDirectoryA("savegame", NULL);
    Timing save = Measure(SaveFullMap, 20);
    Timing load = Measure(LoadFullMap, 20);
    Timing backup = Measure(CheckBackup, 20);
    printf("| full map with %d caves |\n", GetNumCaves());
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "SaveData", save.dMin,
           save.dMedian);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "LoadData", load.dMin,
           load.dMedian);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "backup with nothing unsaved",
           backup.dMin, backup.dMedian);
}

static int CountBatches()
{
    int n = 0;
    for (int t = 0; t < 16; t++)
        for (int s = 0; s < NUM_ALPHA_SLOTS; s++)
            n += m_iLandRowCount[t][s] > 0;
    return n;
}

static void PrintRow(const char* pszName, const Timing& t, const Timing& floor)
{
    printf("| %-34s | %8.3f | %8.3f | %8.3f | %6.2f |\n", pszName, t.dMin, t.dMedian,
           floor.dMedian, t.dMedian / floor.dMedian);
}

// The LOAD screen searches its folder on every frame it shows.
static void ListMapFiles()
{
    std::vector<SaveListEntry> list;
    FindMapFiles(&list);
}

static void LoadScreenFrame()
{
    m_siScreenMode = 0;
    Render();
    m_siScreenMode = 2;
}

static void BenchLoadList(int iFiles)
{
    char cPath[64];
    for (int i = 0; i < iFiles; i++)
    {
        snprintf(cPath, sizeof(cPath), "savegame\\LIST%04d.gam", i);
        CloseHandle(CreateFileA(cPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    SMD.siX = 500;
    SMD.siY = 200;
    Timing frame = Measure(Frame, 50);
    char cName[64];
    snprintf(cName, sizeof(cName), "FindMapFiles, %d files", iFiles);
    PrintRow(cName, Measure(ListMapFiles, 50), frame);
    snprintf(cName, sizeof(cName), "Render, LOAD screen, %d files", iFiles);
    PrintRow(cName, Measure(LoadScreenFrame, 50), frame);
    for (int i = 0; i < iFiles; i++)
    {
        snprintf(cPath, sizeof(cPath), "savegame\\LIST%04d.gam", i);
        DeleteFileA(cPath);
    }
}

// One edit as a held button makes it: the corner under the screen centre set to the other
// extreme, its rings pulled after it and the view rebuilt; a tile painted with the other base.
static int s_iEdit = 0;

static void HeightEdit()
{
    s_iEdit++;
    PaintHeight((short)(s_iEdit % 2 ? 256 : 0), true);
}

static void TexturePaint()
{
    s_iEdit++;
    PaintTileTexture(s_iEdit % 2 ? 16 : 24, m_iSelectedTile);
}

static void BenchEdits()
{
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    m_iSelectedTile = PickTile(rc.right / 2, rc.bottom / 2);
    m_ptSelectedCorner = {m_iSelectedTile % 100, m_iSelectedTile / 100};
    Timing frame = Measure(Frame, 100);
    Timing height = Measure(HeightEdit, 50);
    Timing paint = Measure(TexturePaint, 50);
    PrintRow("PaintHeight (set, rings, update)", height, frame);
    PrintRow("PaintTileTexture (recount, build)", paint, frame);
}

static void BenchView(const char* pszMap, const char* pszView)
{
    printf("| %s map, %s view: %d tiles in %d batches |\n", pszMap, pszView,
           m_iNumDisplayableTiles, CountBatches());
    Timing floorBuild = Measure(WriteVerticesOnce, 50);
    Timing update = Measure(MapUpdate, 50);
    Timing build = Measure(LandBuildOnly, 50);
    PrintRow("CalculateScreenPosition", update, floorBuild);
    PrintRow("LoadLandBuffer", build, floorBuild);
    GatherLandIntoOneBuffer();
    Timing floorFrame = Measure(DeviceFloorFrame, 100);
    Timing frame = Measure(Frame, 100);
    PrintRow("Render", frame, floorFrame);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "device floor frame",
           floorFrame.dMin, floorFrame.dMedian);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "floor of the land build",
           floorBuild.dMin, floorBuild.dMedian);
    printf("| %-34s |          | %8.3f |          |        |\n", "update / frame (median)",
           update.dMedian / frame.dMedian);
}

static void BenchMap(const char* pszMap)
{
    InitCamera();
    CalculateScreenPosition();
    BenchView(pszMap, "start");
    printf("| edits at the start view, floor = the frame |\n");
    BenchEdits();
    MoveCameraTo(75, 90);   // near both far edges: rows and columns wrap
    CalculateScreenPosition();
    BenchView(pszMap, "moved");

    Timing floorBuild = Measure(WriteVerticesOnce, 50);
    PrintRow("CalculateScreenPosition, flying", Measure(MapUpdateAfterMove, 50), floorBuild);
    Timing pickCentre = Measure(PickAtCentre, 200);
    Timing pickTop = Measure(PickAtTop, 200);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "PickTile, screen centre",
           pickCentre.dMin, pickCentre.dMedian);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "PickTile, top of the screen",
           pickTop.dMin, pickTop.dMedian);
}

// CAVE EDIT on the full map: the frame with the selected quad's overlays after every drawn
// cave, the hover step that runs every frame, and one drag step of a texture corner.
static void CaveHover()
{
    ProcessCaveEdit(CAVE_TOOL_SELECT);
}

static void CaveDrag()
{
    s_iEdit++;
    SMD.siX = (short)(200 + (s_iEdit % 2 ? 20 : 40));
    SMD.siY = 100;
    ProcessCaveEdit(CAVE_TOOL_SELECT);
}

static void BenchCaveEdit()
{
    // The camera 31 tiles short of the first cave looks at it from the start height.
    InitCamera();
    if (GetNumCaves() > 0)
        MoveCameraTo(GetCaveSummary(0).iTile % MAP_SIZE, GetCaveSummary(0).iTile / MAP_SIZE - 31);
    CalculateScreenPosition();
    if (m_siNumVisibleCaves == 0)
    {
        printf("| CAVE EDIT: no cave in view |\n");
        return;
    }
    m_iCurrentCave = m_siVisibleCaves[0];
    m_iSelectedTriangle = 2;
    m_bCaveEdit = false;
    Timing mapFrame = Measure(Frame, 100);
    m_bCaveEdit = true;
    Timing caveFrame = Measure(Frame, 100);
    SMD = MouseData();
    SMD.siX = 512;
    SMD.siY = 400;
    Timing hover = Measure(CaveHover, 50);
    SMD.bLeftDown = true;
    Timing drag = Measure(CaveDrag, 50);
    SMD = MouseData();
    m_bCaveEdit = false;
    printf("| CAVE EDIT, %d caves in view, floor = the MAP EDIT frame |\n", m_siNumVisibleCaves);
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "Render, MAP EDIT", mapFrame.dMin,
           mapFrame.dMedian);
    PrintRow("Render, CAVE EDIT", caveFrame, mapFrame);
    PrintRow("ProcessCaveEdit, hover", hover, mapFrame);
    PrintRow("ProcessCaveEdit, corner drag", drag, mapFrame);
}

// One drag step of a texture corner over the base preview: the selector, the records and
// the land rebuilt from them.
static void CornerDrag()
{
    s_iEdit++;
    SMD.siX = (short)(s_iEdit % 2 ? 20 : 60);
    EditTileUV();
}

// Every panel shown: strip, previews of a tile with an alpha texture and its corner outlines,
// palette and popup, compass and texts, corner icon and tool icon; beside the same frame with
// the panels' buffers and textures released, so that only their texts remain.
static void BenchPanels()
{
    InitCamera();
    CalculateScreenPosition();
    RECT rc;
    GetClientRect(GetDesktopWindow(), &rc);
    m_iSelectedTile = PickTile(rc.right / 2, rc.bottom / 2);
    m_ptSelectedCorner = {m_iSelectedTile % 100, m_iSelectedTile / 100};
    m_MapData.siAlphaTexture[m_iSelectedTile % 100][m_iSelectedTile / 100] = 1;
    CalculateScreenPosition();
    ReleaseLandEditGUI();
    Timing without = Measure(Frame, 100);

    RestoreLandEditGUI();
    BuildLandEditGUI();
    m_bTextureStrip = true;
    m_bToolPopup = true;
    m_iPopupX = 300;
    m_iPopupY = 200;
    SMD = MouseData();
    SMD.siX = 20;
    SMD.siY = 300;
    EditTileUV();
    SMD.siX = 600;
    Timing with = Measure(Frame, 100);
    SMD.siY = 300;
    SMD.bLeftDown = true;
    Timing drag = Measure(CornerDrag, 50);
    SMD = MouseData();
    m_bToolPopup = false;
    m_bTextureStrip = false;
    printf("| editor panels, floor = the frame with them released |\n");
    printf("| %-34s | %8.3f | %8.3f |          |        |\n", "Render, panels released",
           without.dMin, without.dMedian);
    PrintRow("Render, all panels shown", with, without);
    PrintRow("EditTileUV, corner drag step", drag, without);
}

int main()
{
    QueryPerformanceFrequency(&s_liFrequency);
    HWND hWnd = CreateMainWindow(GetModuleHandleA(NULL));
    if (hWnd == NULL || FAILED(InitD3D(hWnd)))
    {
        printf("no device\n");
        return 1;
    }
    SetupMatrices();
    InitRenderStates();
    InitFont();
    InitCursor();
    InitCamera();
    InitMapData();
    LoadLandTextures();
    RestoreSettingsGUI();
    m_siScreenMode = 2;
    m_pDevice->CreateQuery(D3DQUERYTYPE_EVENT, &s_pQuery);

    printf("| %-34s | %8s | %8s | %8s | %6s |\n", "ms", "min", "median", "floor", "ratio");
    printf("|------------------------------------|----------|----------|----------|--------|\n");
    BenchMap("blank");
    BenchPanels();
    MakeBusyMap();
    BenchMap("busy");
    LoadCaveModels();
    BenchMapFile();
    BenchCaveEdit();
    printf("| LOAD screen, the frame of the game screen as floor |\n");
    BenchLoadList(20);
    BenchLoadList(500);

    if (s_pAllLand)
        s_pAllLand->Release();
    if (s_pQuery)
        s_pQuery->Release();
    Cleanup();
    DestroyWindow(hWnd);
    return 0;
}
