// The text service: every label, counter and screen text goes through the one font.
#include "app/text.h"

#include <cstdio>
#include <new>

#include "app/d3dservices.h"
#include "app/textfont.h"

static const DWORD TEXT_YELLOW = 0xFFFFFF00;

TextureFont* m_pFont = NULL;

void InitFont()
{
    // A second start replaces the font rather than leaking the first.
    DeleteFont();
    m_pFont = new (std::nothrow) TextureFont("Arial", 12, FONT_BOLD);
    if (m_pFont == NULL)
        return;
    m_pFont->CreateDeviceResources(m_pDevice);
    m_pFont->RestoreDeviceResources();
}

void DeleteFont()
{
    if (m_pFont == NULL)
        return;
    m_pFont->DeleteDeviceResources();
    delete m_pFont;
    m_pFont = NULL;
}

static void DrawColoured(int x, int y, const char* text, DWORD dwColour)
{
    if (m_pFont != NULL)
        m_pFont->DrawScreenText((float)x, (float)y, dwColour, text, FONT_FILTERED);
}

void DrawString(int x, int y, const char* text)
{
    DrawColoured(x, y, text, TEXT_YELLOW);
}

void DrawStringRGB(int x, int y, const char* text, int red, int green, int blue)
{
    DWORD dwColour = 0xFF000000 | ((DWORD)(red & 255) << 16) | ((DWORD)(green & 255) << 8) |
                     (DWORD)(blue & 255);
    DrawColoured(x, y, text, dwColour);
}

int MeasureString(const char* text)
{
    SIZE size = {0, 0};
    if (m_pFont == NULL || FAILED(m_pFont->MeasureText(text, &size)))
        return 0;
    return (int)size.cx;
}

void DrawInt(int x, int y, int value)
{
    char strBuffer[90];
    snprintf(strBuffer, sizeof(strBuffer), "%d", value);
    DrawColoured(x, y, strBuffer, TEXT_YELLOW);
}

void DrawFloat(int x, int y, float value)
{
    char strBuffer[90];
    snprintf(strBuffer, sizeof(strBuffer), "%3.6f", (double)value);
    DrawColoured(x, y, strBuffer, TEXT_YELLOW);
}
