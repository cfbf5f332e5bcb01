// The frame renderer: draws one frame and presents it.
#include "app/render.h"

#include "app/cursor.h"
#include "app/msgproc.h"
#include "app/startup.h"

void Render()
{
    m_pDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    if (SUCCEEDED(m_pDevice->BeginScene()))
    {
        RenderCursor();
        m_pDevice->EndScene();
    }
    m_pDevice->Present(NULL, NULL, NULL, NULL);

    SMD.bLeftClick = false;
    SMD.bRightClick = false;
}
