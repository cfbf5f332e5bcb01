// The render-state and filter debug overlays: values stepped by clicks on rows of text.
#include "app/renderstates.h"

#include <cstdio>
#include <cstring>

#include "app/msgproc.h"
#include "app/text.h"

// Filters (D3DTEXF_*), stepped by the filter overlay; start linear.
DWORD m_dwMinFilter = 2;
DWORD m_dwMagFilter = 2;
DWORD m_dwMipFilter = 2;
// Blend factors (D3DBLEND_*): one and zero.
DWORD m_dwSrcBlend = 2;
DWORD m_dwDestBlend = 1;
// Stage 0 (D3DTOP_*, D3DTA_*): texture modulated by diffuse; alpha texture add-signed-2x current.
DWORD m_dwTSS0ColorOp = 4;
DWORD m_dwTSS0ColorArg1 = 2;
DWORD m_dwTSS0ColorArg2 = 0;
DWORD m_dwTSS0AlphaOp = 9;
DWORD m_dwTSS0AlphaArg1 = 2;
DWORD m_dwTSS0AlphaArg2 = 1;
// Stage 1: blend texture alpha, alpha disabled.
DWORD m_dwTSS1ColorOp = 13;
DWORD m_dwTSS1ColorArg1 = 2;
DWORD m_dwTSS1ColorArg2 = 1;
DWORD m_dwTSS1AlphaOp = 1;
DWORD m_dwTSS1AlphaArg1 = 1;
DWORD m_dwTSS1AlphaArg2 = 1;

// The names shown; filled at start-up, refreshed when their value steps.
char m_strSrcBlend[RENDER_STATE_NAME_SIZE], m_strDestBlend[RENDER_STATE_NAME_SIZE];
char m_strTSS0ColorOp[RENDER_STATE_NAME_SIZE], m_strTSS0ColorArg1[RENDER_STATE_NAME_SIZE];
char m_strTSS0AlphaOp[RENDER_STATE_NAME_SIZE], m_strTSS0AlphaArg1[RENDER_STATE_NAME_SIZE];
char m_strTSS1ColorOp[RENDER_STATE_NAME_SIZE], m_strTSS1ColorArg1[RENDER_STATE_NAME_SIZE];
char m_strTSS1ColorArg2[RENDER_STATE_NAME_SIZE], m_strTSS1AlphaOp[RENDER_STATE_NAME_SIZE];
char m_strTSS1AlphaArg1[RENDER_STATE_NAME_SIZE], m_strTSS0ColorArg2[RENDER_STATE_NAME_SIZE];
char m_strTSS0AlphaArg2[RENDER_STATE_NAME_SIZE], m_strTSS1AlphaArg2[RENDER_STATE_NAME_SIZE];

static const char* const s_strArgNames[] = {"D3DTA_DIFFUSE", "D3DTA_CURRENT", "D3DTA_TEXTURE"};

// Indexed by the operation's code; 0 is no operation.
static const char* const s_strOpNames[] = {
    NULL,
    "D3DTOP_DISABLE",
    "D3DTOP_SELECTARG1",
    "D3DTOP_SELECTARG2",
    "D3DTOP_MODULATE",
    "D3DTOP_MODULATE2X",
    "D3DTOP_MODULATE4X",
    "D3DTOP_ADD",
    "D3DTOP_ADDSIGNED",
    "D3DTOP_ADDSIGNED2X",
    "D3DTOP_SUBTRACT",
    "D3DTOP_ADDSMOOTH",
    "D3DTOP_BLENDDIFFUSEALPHA",
    "D3DTOP_BLENDTEXTUREALPHA",
    "D3DTOP_BLENDFACTORALPHA",
    "D3DTOP_BLENDTEXTUREALPHAPM",
    "D3DTOP_BLENDCURRENTALPHA",
    "D3DTOP_PREMODULATE",
    "D3DTOP_MODULATEALPHA_ADDCOLOR",
    "D3DTOP_MODULATECOLOR_ADDALPHA",
    "D3DTOP_MODULATEINVALPHA_ADDCOLOR",
    "D3DTOP_MODULATEINVCOLOR_ADDALPHA",
    "D3DTOP_BUMPENVMAP",
    "D3DTOP_BUMPENVMAPLUMINANCE",
    "D3DTOP_DOTPRODUCT3",
    "D3DTOP_MULTIPLYADD",
    "D3DTOP_LERP",
};

static const char* const s_strBlendNames[] = {
    NULL,
    "D3DBLEND_ZERO",
    "D3DBLEND_ONE",
    "D3DBLEND_SRCCOLOR",
    "D3DBLEND_INVSRCCOLOR",
    "D3DBLEND_SRCALPHA",
    "D3DBLEND_INVSRCALPHA",
    "D3DBLEND_DESTALPHA",
    "D3DBLEND_INVDESTALPHA",
    "D3DBLEND_DESTCOLOR",
    "D3DBLEND_INVDESTCOLOR",
    "D3DBLEND_SRCALPHASAT",
    "D3DBLEND_BOTHSRCALPHA",
    "D3DBLEND_BOTHINVSRCALPHA",
    "D3DBLEND_BLENDFACTOR",
    "D3DBLEND_INVBLENDFACTOR",
};

static const char* const s_strFilterNames[] = {
    "NONE", "POINT", "LINEAR", "ANISOTROPIC", NULL, NULL, "PYRAMIDALQUAD", "GAUSSIANQUAD",
};

// The name of a table entry, or NULL for a value outside the table.
static const char* NameOf(const char* const* strTable, DWORD dwCount, DWORD dwValue)
{
    return dwValue < dwCount ? strTable[dwValue] : NULL;
}

// Writes a name into an overlay buffer. Two operation names are longer than a buffer and are
// cut short; a value without a name shows its number.
static void WriteName(char* strBuffer, const char* strName, DWORD dwValue)
{
    if (strName != NULL)
        snprintf(strBuffer, RENDER_STATE_NAME_SIZE, "%s", strName);
    else
        snprintf(strBuffer, RENDER_STATE_NAME_SIZE, "%lu", (unsigned long)dwValue);
}

void TextureArgToString(int iSelector)
{
    static DWORD* const pdwValues[] = {
        &m_dwTSS0ColorArg1, &m_dwTSS0AlphaArg1, &m_dwTSS1ColorArg1, &m_dwTSS1ColorArg2,
        &m_dwTSS1AlphaArg1, &m_dwTSS0ColorArg2, &m_dwTSS0AlphaArg2, &m_dwTSS1AlphaArg2,
    };
    static char* const strBuffers[] = {
        m_strTSS0ColorArg1, m_strTSS0AlphaArg1, m_strTSS1ColorArg1, m_strTSS1ColorArg2,
        m_strTSS1AlphaArg1, m_strTSS0ColorArg2, m_strTSS0AlphaArg2, m_strTSS1AlphaArg2,
    };
    if (iSelector < 0 || iSelector > 7)
        return;
    DWORD dwValue = *pdwValues[iSelector];
    WriteName(strBuffers[iSelector], NameOf(s_strArgNames, 3, dwValue), dwValue);
}

void TextureOpToString(int iSelector)
{
    static DWORD* const pdwValues[] = {
        &m_dwTSS0ColorOp, &m_dwTSS0AlphaOp, &m_dwTSS1ColorOp, &m_dwTSS1AlphaOp,
    };
    static char* const strBuffers[] = {
        m_strTSS0ColorOp, m_strTSS0AlphaOp, m_strTSS1ColorOp, m_strTSS1AlphaOp,
    };
    if (iSelector < 0 || iSelector > 3)
        return;
    DWORD dwValue = *pdwValues[iSelector];
    WriteName(strBuffers[iSelector], NameOf(s_strOpNames, 27, dwValue), dwValue);
}

void BlendModeToString(bool bSource)
{
    DWORD dwValue = bSource ? m_dwSrcBlend : m_dwDestBlend;
    WriteName(bSource ? m_strSrcBlend : m_strDestBlend, NameOf(s_strBlendNames, 16, dwValue),
              dwValue);
}

void FillRenderStateNames()
{
    for (int i = 7; i >= 0; i--)
        TextureArgToString(i);
    for (int i = 0; i <= 3; i++)
        TextureOpToString(i);
    BlendModeToString(true);
    BlendModeToString(false);
}

// Stepping rules.
static void StepBlend(DWORD* pdwValue)
{
    if (++*pdwValue > 15)
        *pdwValue = 1;
}

// 20 to 23 are skipped: two of their names do not fit a buffer.
static void StepOperation(DWORD* pdwValue)
{
    if (++*pdwValue > 26)
        *pdwValue = 1;
    if (*pdwValue == 20)
        *pdwValue = 24;
}

static void StepArgument(DWORD* pdwValue)
{
    if (++*pdwValue > 2)
        *pdwValue = 0;
}

static void StepFilter(DWORD* pdwValue)
{
    ++*pdwValue;
    if (*pdwValue == 4)
        *pdwValue = 6;
    if (*pdwValue == 8)
        *pdwValue = 0;
}

// The widest text a value can show: every value its stepping passes, as its buffer holds it.
// 32 steps go round the longest cycle, the operations' 22 values.
static int WidestName(void (*pfnStep)(DWORD*), const char* const* strTable, DWORD dwCount,
                      DWORD dwFirst)
{
    int iWidest = 0;
    DWORD dwValue = dwFirst;
    for (int i = 0; i < 32; i++, pfnStep(&dwValue))
    {
        char strName[RENDER_STATE_NAME_SIZE];
        WriteName(strName, NameOf(strTable, dwCount, dwValue), dwValue);
        const int iWidth = MeasureString(strName);
        iWidest = iWidth > iWidest ? iWidth : iWidest;
    }
    return iWidest;
}

// A row runs from its label at x 0 to the end of the widest text it can show, its label's or
// a value's drawn at xValue, so it keeps its width while its value steps.
static int RowRight(const char* strLabel, int xValue, int iWidestValue)
{
    const int iLabelEnd = MeasureString(strLabel);
    return xValue + iWidestValue > iLabelEnd ? xValue + iWidestValue : iLabelEnd;
}

// Inside the row at yRow strictly, so boundary lines belong to no row.
static bool IsOnRow(int x, int y, int yRow, int iRight)
{
    return x < iRight && y > yRow && y < yRow + 20;
}

// A left click on the row is taken: no later step of the frame sees it.
static bool TakeRowClick(int yRow, int iRight)
{
    if (!SMD.bLeftClick || !IsOnRow(SMD.siX, SMD.siY, yRow, iRight))
        return false;
    SMD.bLeftClick = false;
    SMD.bLeftDown = false;
    return true;
}

namespace
{
// The kind of value a render-state row steps, which picks its stepping rule and its name table.
enum RowKind
{
    ROW_BLEND,
    ROW_OPERATION,
    ROW_ARGUMENT
};

// One row of the render-state overlay; iSelector picks the value for the name functions
// (for a blend row, 1 is the source).
struct RenderStateRow
{
    int y;
    const char* strLabel;
    RowKind kind;
    int iSelector;
    DWORD* pdwValue;
    const char* strName;
};
}   // namespace

static const RenderStateRow s_RenderStateRows[] = {
    {200, "D3DRS_SRCBLEND", ROW_BLEND, 1, &m_dwSrcBlend, m_strSrcBlend},
    {220, "D3DRS_DESTBLEND", ROW_BLEND, 0, &m_dwDestBlend, m_strDestBlend},
    {240, "D3DTSS_COLOROP", ROW_OPERATION, 0, &m_dwTSS0ColorOp, m_strTSS0ColorOp},
    {260, "D3DTSS_COLORARG1", ROW_ARGUMENT, 0, &m_dwTSS0ColorArg1, m_strTSS0ColorArg1},
    {280, "D3DTSS0_ALPHAOP", ROW_OPERATION, 1, &m_dwTSS0AlphaOp, m_strTSS0AlphaOp},
    {300, "D3DTSS0_ALPHAARG1", ROW_ARGUMENT, 1, &m_dwTSS0AlphaArg1, m_strTSS0AlphaArg1},
    {320, "D3DTSS1_COLOROP", ROW_OPERATION, 2, &m_dwTSS1ColorOp, m_strTSS1ColorOp},
    {340, "D3DTSS1_COLORARG1", ROW_ARGUMENT, 2, &m_dwTSS1ColorArg1, m_strTSS1ColorArg1},
    {360, "D3DTSS1_COLORARG2", ROW_ARGUMENT, 3, &m_dwTSS1ColorArg2, m_strTSS1ColorArg2},
    {380, "D3DTSS1_ALPHAOP", ROW_OPERATION, 3, &m_dwTSS1AlphaOp, m_strTSS1AlphaOp},
    {400, "D3DTSS1_ALPHAARG1", ROW_ARGUMENT, 4, &m_dwTSS1AlphaArg1, m_strTSS1AlphaArg1},
    {420, "D3DTSS0_COLORARG2", ROW_ARGUMENT, 5, &m_dwTSS0ColorArg2, m_strTSS0ColorArg2},
    {440, "D3DTSS0_ALPHAARG2", ROW_ARGUMENT, 6, &m_dwTSS0AlphaArg2, m_strTSS0AlphaArg2},
    {460, "D3DTSS1_ALPHAARG2", ROW_ARGUMENT, 7, &m_dwTSS1AlphaArg2, m_strTSS1AlphaArg2},
};

static const int NUM_RENDER_STATE_ROWS =
    (int)(sizeof(s_RenderStateRows) / sizeof(s_RenderStateRows[0]));

static void StepRow(const RenderStateRow& row)
{
    switch (row.kind)
    {
    case ROW_BLEND:
        StepBlend(row.pdwValue);
        BlendModeToString(row.iSelector == 1);
        break;
    case ROW_OPERATION:
        StepOperation(row.pdwValue);
        TextureOpToString(row.iSelector);
        break;
    case ROW_ARGUMENT:
        StepArgument(row.pdwValue);
        TextureArgToString(row.iSelector);
        break;
    }
}

static const char* const s_strFilterLabels[] = {"MINFILTER", "MAGFILTER", "MIPFILTER"};
static DWORD* const s_pdwFilters[] = {&m_dwMinFilter, &m_dwMagFilter, &m_dwMipFilter};

// The rows' right ends, as measured with the font last seen; measured again with a new one.
static const TextureFont* s_pRowsMeasuredWith = NULL;
static int s_iRenderStateRight[NUM_RENDER_STATE_ROWS];
static int s_iFilterRight[3];

static void MeasureRows()
{
    if (s_pRowsMeasuredWith == m_pFont)
        return;
    s_pRowsMeasuredWith = m_pFont;
    // By RowKind.
    const int iWidest[3] = {WidestName(StepBlend, s_strBlendNames, 16, 1),
                            WidestName(StepOperation, s_strOpNames, 27, 1),
                            WidestName(StepArgument, s_strArgNames, 3, 0)};
    for (int i = 0; i < NUM_RENDER_STATE_ROWS; i++)
        s_iRenderStateRight[i] =
            RowRight(s_RenderStateRows[i].strLabel, 200, iWidest[s_RenderStateRows[i].kind]);
    const int iWidestFilter = WidestName(StepFilter, s_strFilterNames, 8, 0);
    for (int i = 0; i < 3; i++)
        s_iFilterRight[i] = RowRight(s_strFilterLabels[i], 100, iWidestFilter);
}

void CheckRenderStateClicks()
{
    MeasureRows();
    for (int i = 0; i < NUM_RENDER_STATE_ROWS; i++)
        if (TakeRowClick(s_RenderStateRows[i].y, s_iRenderStateRight[i]))
            StepRow(s_RenderStateRows[i]);
}

void CheckFilterClicks()
{
    MeasureRows();
    for (int i = 0; i < 3; i++)
        if (TakeRowClick(200 + 20 * i, s_iFilterRight[i]))
            StepFilter(s_pdwFilters[i]);
}

bool IsOverDebugOverlay(int x, int y)
{
    MeasureRows();
    for (int i = 0; m_bShowRenderStates && i < NUM_RENDER_STATE_ROWS; i++)
        if (IsOnRow(x, y, s_RenderStateRows[i].y, s_iRenderStateRight[i]))
            return true;
    for (int i = 0; m_bShowFilters && i < 3; i++)
        if (IsOnRow(x, y, 200 + 20 * i, s_iFilterRight[i]))
            return true;
    return false;
}

void DrawFilterOverlay()
{
    for (int i = 0; i < 3; i++)
    {
        int y = 200 + 20 * i;
        DrawString(0, y, s_strFilterLabels[i]);
        const char* strName = NameOf(s_strFilterNames, 8, *s_pdwFilters[i]);
        if (strName != NULL)
            DrawString(100, y, strName);
    }
}

void DrawRenderStateOverlay()
{
    for (int i = 0; i < NUM_RENDER_STATE_ROWS; i++)
    {
        const RenderStateRow& row = s_RenderStateRows[i];
        DrawString(0, row.y, row.strLabel);
        DrawString(200, row.y, row.strName);
    }
}
