// Frame images in heap memory that come with a canvas drawing on them: the
// frame images of the platforms without device-independent bitmaps.
#pragma once

#include <cstdint>
#include <memory>

#include "overlays/canvas.h"

namespace brindlemar {

// Makes the canvas on an image's memory; null where it cannot draw on it.
using CanvasMaker = std::unique_ptr<Canvas> (*)(uint8_t* bits, const BitmapHeader& header);

// Null when the memory cannot be had; an image whose depth the canvas cannot
// draw on still gets its memory, without a canvas.
std::unique_ptr<FrameImage> CreateHeapCanvasFrameImage(const BitmapHeader& header, CanvasMaker makeCanvas);

}  // namespace brindlemar
