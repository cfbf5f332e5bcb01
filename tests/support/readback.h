// Reading back what the program wrote: the log's lines and a vertex buffer's contents.
#pragma once

#include <d3d9.h>
#include <string>
#include <vector>

// The lines of "ZANerrors.log" in the working directory, without their line ends.
std::vector<std::string> ReadLog();

// The whole contents of a vertex buffer as records of T; empty for a null buffer.
template <typename T>
std::vector<T> ReadBuffer(LPDIRECT3DVERTEXBUFFER9 pVB)
{
    std::vector<T> out;
    if (pVB == NULL)
        return out;
    D3DVERTEXBUFFER_DESC desc;
    pVB->GetDesc(&desc);
    void* pData = NULL;
    if (FAILED(pVB->Lock(0, 0, &pData, D3DLOCK_READONLY)))
        return out;
    out.assign((T*)pData, (T*)pData + desc.Size / sizeof(T));
    pVB->Unlock();
    return out;
}
