#include "overlays/bitmap_canvas.h"

#include <algorithm>

#include "overlays/bitmap_font.h"
#include "overlays/canvas_frame_image.h"
#include "overlays/pixel_canvas.h"

namespace brindlemar {
namespace {

constexpr int32_t kGuardRows = 2;
constexpr int32_t kDefaultCellHeight = 16;
constexpr int32_t kBoldWeight = 600;

struct BitmapFace {
  int32_t cell = kDefaultCellHeight;
  bool bold = false;
  bool italic = false;
  bool symbol = false;
};

class BitmapFont final : public CanvasFont {
 public:
  explicit BitmapFont(const BitmapFace& face) : face(face) {}
  BitmapFace face;
};

// A glyph pixel is a block of cell / kGlyphHeight pixels a side: the edges
// of blocks are found by scaling, so that blocks of a glyph close up.
int32_t Scaled(int32_t units, int32_t cell) { return units * cell / kGlyphHeight; }

class BitmapCanvas final : public PixelCanvas {
 public:
  BitmapCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel)
      : PixelCanvas(bits, width, height, bytesPerPixel) {}

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) override {
    BitmapFace face;
    // As on Windows: a positive height is the cell, a negative one the
    // letters' own height (seven of the cell's eight rows), 0 a default.
    if (fontSpec.height > 0) face.cell = fontSpec.height;
    if (fontSpec.height < 0) face.cell = -fontSpec.height * kGlyphHeight / (kGlyphHeight - 1);
    face.bold = fontSpec.weight >= kBoldWeight;
    face.italic = fontSpec.italic != 0;
    face.symbol = IsSymbolFace(fontSpec.face);
    return std::make_unique<BitmapFont>(face);
  }

  CanvasFont* SelectFont(CanvasFont* font) override {
    CanvasFont* previous = selected_;
    selected_ = font;
    face_ = font ? static_cast<BitmapFont*>(font)->face : BitmapFace{};
    return previous;
  }

 private:
  int32_t CellHeight() override { return face_.cell; }

  int32_t LineWidth(std::string_view text) override {
    return Scaled(static_cast<int32_t>(text.size()) * kGlyphAdvance - (kGlyphAdvance - kGlyphWidth), face_.cell);
  }

  void PaintLines(const std::vector<PlacedLine>& lines, const PixelBox& clip) override {
    for (const PlacedLine& line : lines) {
      for (size_t k = 0; k < line.text.size(); ++k) {
        const int32_t left = line.x + Scaled(static_cast<int32_t>(k) * kGlyphAdvance, face_.cell);
        PaintGlyph(face_.symbol ? SymbolGlyphRows(line.text[k]) : GlyphRows(line.text[k]), left, line.y, clip);
      }
    }
  }

  void PaintGlyph(const uint8_t* rows, int32_t left, int32_t top, const PixelBox& clip) const {
    const int32_t cell = face_.cell;
    const int32_t stroke = face_.bold ? std::max(1, cell / 16) : 0;
    for (int32_t row = 0; row < kGlyphHeight; ++row) {
      // Italic leans a quarter of a block per row away from the baseline,
      // the bottom of row 6.
      const int32_t lean = face_.italic ? (kGlyphHeight - 2 - row) * cell / (4 * kGlyphHeight) : 0;
      for (int32_t col = 0; col < kGlyphWidth; ++col) {
        if (!(rows[row] & (0x10 >> col))) continue;
        const PixelBox block{left + lean + Scaled(col, cell), top + Scaled(row, cell),
                             left + lean + Scaled(col + 1, cell) + stroke, top + Scaled(row + 1, cell)};
        Fill(Intersect(block, clip), TextColor());
      }
    }
  }

  CanvasFont* selected_ = nullptr;
  BitmapFace face_;
};

}  // namespace

std::unique_ptr<Canvas> CreateBitmapCanvas(uint8_t* bits, const BitmapHeader& header) {
  if (!bits || header.width <= 0 || header.height < kGuardRows) return nullptr;
  if (header.bitCount != 24 && header.bitCount != 16) return nullptr;
  return std::make_unique<BitmapCanvas>(bits, header.width, header.height, header.bitCount / 8);
}

std::unique_ptr<FrameImage> CreateBitmapCanvasFrameImage(const BitmapHeader& header) {
  return CreateHeapCanvasFrameImage(header, CreateBitmapCanvas);
}

}  // namespace brindlemar
