// The land passes: per batch a lit base pass with the type's base texture, then an alpha pass
// that keeps only the alpha texture's opaque texels.
#include "terrain/landpasses.h"

#include "app/d3dservices.h"
#include "app/log.h"
#include "app/renderstates.h"
#include "terrain/landbuffers.h"
#include "terrain/landtextures.h"
#include "terrain/mapdata.h"

bool m_bBasePass = true;   // starts with a base pass; the two calls per batch keep it in step

void SetLandBaseStates()
{
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, m_dwTSS0ColorOp);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, m_dwTSS0ColorArg1);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, m_dwTSS0ColorArg2);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, m_dwTSS0AlphaOp);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, m_dwTSS0AlphaArg1);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, m_dwTSS0AlphaArg2);
    m_pDevice->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    // The base layer's filters are fixed; only the alpha layer follows the filter overlay.
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_NONE);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
}

void SetLandAlphaStates()
{
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, m_dwMinFilter);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, m_dwMagFilter);
    m_pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, m_dwMipFilter);
    m_pDevice->SetRenderState(D3DRS_ALPHAREF, 0);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL);
    m_pDevice->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
}

void ResetRenderStates()
{
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, m_dwMinFilter);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, m_dwMagFilter);
    m_pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, m_dwMipFilter);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    m_pDevice->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
}

static void DrawBatch(int t, int s, int iCount)
{
    // Counts refreshed without a rebuild must not draw past the buffer's end.
    D3DVERTEXBUFFER_DESC desc;
    if (SUCCEEDED(m_pLandRowVB[t][s]->GetDesc(&desc)) &&
        (UINT)iCount > desc.Size / (6 * sizeof(LandVertex)))
        iCount = (int)(desc.Size / (6 * sizeof(LandVertex)));
    m_pDevice->SetFVF(D3DFVF_LANDVERTEX);
    m_pDevice->SetStreamSource(0, m_pLandRowVB[t][s], 0, sizeof(LandVertex));
    if (FAILED(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, iCount * 2)))
        LogError("failed to render vertex buffer");
}

static void RenderBasePass(int t, int s, int iCount)
{
    int iTexture = m_bBaseTextures ? BaseTextureOf(t) : PLAIN_TEXTURE;
    m_pDevice->SetTexture(0, m_pLandTexture[iTexture]);
    DrawBatch(t, s, iCount);
}

static void RenderAlphaPass(int t, int s, int iCount)
{
    int a = m_iOriginalAlpha[s];
    // Without an alpha texture the alpha test stays on until an alpha pass draws or the reset.
    if (a == PLAIN_TEXTURE || !m_bAlphaTextures)
        return;
    m_pDevice->SetTexture(0, m_pLandTexture[a]);
    DrawBatch(t, s, iCount);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
}

void RenderLandRow(int t, int s, int iCount)
{
    m_pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    m_pDevice->SetTexture(1, NULL);
    m_pDevice->SetStreamSource(1, NULL, 0, 0);

    // A batch outside the tables, or one whose buffer could not be made, draws nothing.
    bool bDrawable = t >= 0 && t < m_iNumTextureTypes && s >= 0 && s < NUM_ALPHA_SLOTS &&
                     iCount > 0 && m_pLandRowVB[t][s] != NULL;
    if (bDrawable && m_bBasePass)
        RenderBasePass(t, s, iCount);
    else if (bDrawable)
        RenderAlphaPass(t, s, iCount);
    m_bBasePass = !m_bBasePass;
}
