// The text service: words and numbers on the screen in pixels from the top left, through
// the one glyph-atlas font. Call between BeginScene and EndScene.
// needs: app/{d3dservices,textfont}
#pragma once

class TextureFont;

extern TextureFont* m_pFont;   // the one font; null before InitFont and after DeleteFont

void InitFont();
void DeleteFont();

// Opaque yellow text; "\n" starts a new line at the same x.
void DrawString(int x, int y, const char* text);
// Opaque text in the colour given; each part counts only its low 8 bits.
void DrawStringRGB(int x, int y, const char* text, int red, int green, int blue);
// Width in pixels of one line of text as the strings above draw it; 0 before InitFont.
int MeasureString(const char* text);
// A number in opaque yellow, as "%d" and as "%3.6f".
void DrawInt(int x, int y, int value);
void DrawFloat(int x, int y, float value);
