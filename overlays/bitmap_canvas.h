// A canvas that needs no font files: the letters of every face are the
// bitmap font's (bitmap_font.h) scaled to the cell height, each pixel of a
// glyph a block of cell / 8 pixels, not smoothed; bold widens the strokes and
// italic slants them; the "Wingdings" face draws the zodiac signs of the
// symbol set. Everything else (pens, rectangles, layout) is the pixel
// canvas's, so lines and figures come out as on the other canvases.
//
// The web page draws its overlays with it, and so does the headless renderer
// when asked (--bitmap-font), so that the two give the same pictures.
#pragma once

#include <cstdint>
#include <memory>

#include "overlays/canvas.h"

namespace brindlemar {

// A canvas on the memory of an image made with header (24 or 16 bits a
// pixel), addressed as GDI addresses the bottom-up bitmap. Null for other
// depths.
std::unique_ptr<Canvas> CreateBitmapCanvas(uint8_t* bits, const BitmapHeader& header);

// Frame images in heap memory with a bitmap canvas.
std::unique_ptr<FrameImage> CreateBitmapCanvasFrameImage(const BitmapHeader& header);

}  // namespace brindlemar
