// Direct3D services: the Direct3D object and device, and the buffer and texture helpers.
#include "app/d3dservices.h"

LPDIRECT3D9 m_pD3D = NULL;
LPDIRECT3DDEVICE9 m_pDevice = NULL;

static const DWORD TEXTURE_FILTER = D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR;

LPDIRECT3DVERTEXBUFFER9 CreateSystemVertexBuffer(UINT uiBytes, DWORD dwFVF)
{
    LPDIRECT3DVERTEXBUFFER9 pVB = NULL;
    if (m_pDevice == NULL ||
        FAILED(m_pDevice->CreateVertexBuffer(uiBytes, 0, dwFVF, D3DPOOL_SYSTEMMEM, &pVB, NULL)))
        return NULL;
    return pVB;
}

void* LockWholeBuffer(LPDIRECT3DVERTEXBUFFER9 pVB, DWORD dwFlags)
{
    void* pData = NULL;
    if (pVB == NULL || FAILED(pVB->Lock(0, 0, &pData, dwFlags)))
        return NULL;
    return pData;
}

HRESULT LoadTextureFile(const char* pszPath, D3DFORMAT format, D3DCOLOR colourKey,
                        LPDIRECT3DTEXTURE9* ppTexture)
{
    *ppTexture = NULL;
    if (m_pDevice == NULL)
        return E_FAIL;
    HRESULT hr = D3DXCreateTextureFromFileExA(m_pDevice, pszPath, D3DX_DEFAULT, D3DX_DEFAULT,
                                              D3DX_DEFAULT, 0, format, D3DPOOL_MANAGED,
                                              TEXTURE_FILTER, TEXTURE_FILTER, colourKey, NULL,
                                              NULL, ppTexture);
    if (FAILED(hr))
        *ppTexture = NULL;
    return hr;
}
