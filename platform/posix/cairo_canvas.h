// The overlay canvas outside Windows: text through Pango and Cairo, straight
// into a frame image's bottom-up 24-bit or 16-bit 5-5-5 memory, which Cairo
// cannot address itself. Pens, rectangles and the layout of text are the
// pixel canvas's (overlays/pixel_canvas.h): lines one pixel wide, not
// antialiased, leaving out their end point, with the pixel choice of the
// Windows drawing layer.
//
// Text is rendered antialiased into a coverage mask just large enough for its
// ink and blended into the image before DrawText returns, so the pixels can be
// read back at once. Fontconfig resolves the faces; "Wingdings" draws its
// zodiac characters 0x5E..0x69 as the Unicode signs U+2648..U+2653. Font
// heights are cell heights (ascent plus descent), as on Windows.
#pragma once

#include <cstdint>
#include <memory>

#include "overlays/canvas.h"

namespace brindlemar::posix {

// A canvas on the memory of an image made with header (24 or 16 bits a
// pixel), addressed as GDI addresses the bottom-up bitmap: top down, the two
// hidden guard rows first. Null for other depths.
std::unique_ptr<Canvas> CreateCairoCanvas(uint8_t* bits, const BitmapHeader& header);

}  // namespace brindlemar::posix
