// A small bitmap font for labels on the renderer's pictures: printable ASCII
// in cells of 5 x 8 pixels (7 above the baseline, one below for descenders),
// six pixels apart. Other characters are drawn as '?'. No scaling, no
// smoothing: each set bit paints one pixel.
#pragma once

#include <cstdint>
#include <string_view>

namespace brindlemar {

inline constexpr int32_t kGlyphWidth = 5;
inline constexpr int32_t kGlyphHeight = 8;
inline constexpr int32_t kGlyphAdvance = 6;

// Width in pixels of text set in the font, without the space after the last
// character.
int32_t TextWidth(std::string_view text);

// Paints text with its top left corner at (x, y) into a picture of 8-bit red,
// green, blue pixels, rows from the top; pixels outside the picture are left
// out.
void DrawText(uint8_t* rgb, int32_t width, int32_t height, int32_t x, int32_t y, std::string_view text,
              const uint8_t color[3]);

}  // namespace brindlemar
