// Canvas: the drawing context the overlays use on the frame image — fonts,
// text, pens and lines, as a window system's 2-D drawing layer offers them,
// and nothing more. GDI serves on Windows, Cairo with Pango elsewhere; a
// surface hands one out from GetDrawingDC.
//
// Coordinates are pixels with y growing downwards, (0, 0) at the top left of
// the whole bitmap as GDI addresses it: rows 0 and 1 are its two hidden guard
// rows, so the visible image starts at row 2 and a grain at y shows at
// canvas row y + 2. Colours are 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/geometry.h"
#include "surfaces/window_target.h"

namespace brindlemar {

// Text layout flags, with the values of the platform's own text drawing.
enum TextFormat : uint32_t {
  kTextCenter = 0x01,
  kTextVCenter = 0x04,
  kTextBottom = 0x08,
  kTextSingleLine = 0x20,
  kTextCalcRect = 0x400,
};

struct FontSpec {
  std::string face;
  int32_t height = 0;  // character-cell height in pixels
  int32_t weight = 400;
  int32_t italic = 0;
};

// A font made by a canvas; usable with any canvas of the same platform.
class CanvasFont {
 public:
  virtual ~CanvasFont() = default;
};

struct SizeI {
  int32_t cx = 0;
  int32_t cy = 0;
};

enum class StockPen : int32_t { kWhite, kBlack };
enum class Background : int32_t { kTransparent, kOpaque };

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) = 0;
  // Selects font (null selects the canvas's default) and returns the one
  // selected before.
  virtual CanvasFont* SelectFont(CanvasFont* font) = 0;
  // The extent of text as one line in the selected font.
  virtual SizeI TextExtent(std::string_view text) = 0;
  // Draws text into rect with the format flags; lines break only at carriage
  // returns. With kTextCalcRect nothing is drawn and rect is adjusted to the
  // text. Returns the height of the text.
  virtual int32_t DrawText(std::string_view text, RectI& rect, uint32_t format) = 0;
  virtual void SetTextColor(uint32_t rgb) = 0;
  virtual void SetBackgroundColor(uint32_t rgb) = 0;
  virtual void SetBackground(Background mode) = 0;

  virtual void SelectPen(StockPen pen) = 0;
  // Rectangles are outlined only, not filled.
  virtual void SelectHollowBrush() = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  // A one-pixel line from the current position to (x, y), which becomes the
  // current position; the end point itself is not drawn.
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual void Polyline(const PointI* points, int32_t count) = 0;
  virtual void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
};

// Frame-image memory that comes with a canvas, made by the platform layer
// (a DIB section with its device context on Windows, heap memory with a Cairo
// context elsewhere). Null when the memory cannot be had.
std::unique_ptr<FrameImage> CreateCanvasFrameImage(const BitmapHeader& header);

}  // namespace brindlemar
