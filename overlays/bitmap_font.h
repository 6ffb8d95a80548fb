// A small bitmap font that needs no font files: printable ASCII in cells of
// 5 x 8 pixels (7 above the baseline, one below for descenders), six pixels
// apart, and a symbol set that has the twelve signs of the zodiac at 0x5E..0x69,
// where the "Wingdings" face keeps them. Other characters are drawn as '?'.
//
// The renderer labels its gallery with it as it is; the bitmap canvas
// (bitmap_canvas.h) scales it to any cell height for the overlays.
#pragma once

#include <cstdint>
#include <string_view>

namespace brindlemar {

inline constexpr int32_t kGlyphWidth = 5;
inline constexpr int32_t kGlyphHeight = 8;
inline constexpr int32_t kGlyphAdvance = 6;

// The kGlyphHeight rows of c's glyph from the top, the leftmost pixel in
// bit 4.
const uint8_t* GlyphRows(char c);
// The same in the symbol set: a zodiac sign for 0x5E (Aries) to 0x69
// (Pisces), the character's own glyph otherwise.
const uint8_t* SymbolGlyphRows(char c);

// Width in pixels of text set in the font, without the space after the last
// character.
int32_t BitmapTextWidth(std::string_view text);

// Paints text with its top left corner at (x, y) into a picture of 8-bit red,
// green, blue pixels, rows from the top; pixels outside the picture are left
// out. No scaling, no smoothing: each set bit paints one pixel.
void DrawBitmapText(uint8_t* rgb, int32_t width, int32_t height, int32_t x, int32_t y, std::string_view text,
                    const uint8_t color[3]);

}  // namespace brindlemar
