// Direct3D services: the Direct3D object, the one device every component draws with, and the
// helpers every component makes, fills, loads and releases its device objects with.
// needs: nothing of ours
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

extern LPDIRECT3D9 m_pD3D;            // made by InitD3D, released by Cleanup; null otherwise
extern LPDIRECT3DDEVICE9 m_pDevice;   // the device every component draws with; same life

// A vertex buffer of uiBytes in system memory with usage 0; null without a device or when
// the device refuses it.
LPDIRECT3DVERTEXBUFFER9 CreateSystemVertexBuffer(UINT uiBytes, DWORD dwFVF);

// A writable view of the whole buffer, or null for no buffer or a failed lock.
void* LockWholeBuffer(LPDIRECT3DVERTEXBUFFER9 pVB, DWORD dwFlags = 0);

// A DDS file as a managed texture with a full mip chain and triangle filtering with
// mirroring; D3DFMT_UNKNOWN keeps the file's format, a colour key of 0 keeps its alpha.
// On failure the texture is null and the loader's code is returned.
HRESULT LoadTextureFile(const char* pszPath, D3DFORMAT format, D3DCOLOR colourKey,
                        LPDIRECT3DTEXTURE9* ppTexture);

// Releases the object if there is one and clears the pointer, so a second call does nothing.
template <class T> void ReleaseAndClear(T*& p)
{
    if (p != NULL)
        p->Release();
    p = NULL;
}
