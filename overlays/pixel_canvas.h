// The part of a canvas that works on pixels alone, whatever draws its
// letters: the bottom-up 24-bit or 16-bit 5-5-5 memory of a frame image,
// addressed top down as GDI addresses it (the two hidden guard rows first);
// one-pixel pens that leave out their end point, with the pixel choice of the
// Windows drawing layer; outlined rectangles; and the layout of text in its
// rectangle (lines broken at carriage returns, centred or placed by the
// single-line flags, on an opaque background when asked, clipped).
//
// A canvas on top of it supplies the font: the cell height, the width of a
// line, and the painting of placed lines. The Cairo canvas (Pango letters)
// and the bitmap canvas (bitmap_canvas.h) are two.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "overlays/canvas.h"

namespace brindlemar {

// A rectangle of pixels, right and bottom exclusive.
struct PixelBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

PixelBox Intersect(const PixelBox& a, const PixelBox& b);
PixelBox Unite(const PixelBox& a, const PixelBox& b);

// Whether a face is "Wingdings" (in any case), whose bytes are the character
// codes of its symbol set.
bool IsSymbolFace(std::string_view face);

class PixelCanvas : public Canvas {
 public:
  SizeI TextExtent(std::string_view text) override;
  int32_t DrawText(std::string_view text, RectI& rect, uint32_t format) override;
  void SetTextColor(uint32_t rgb) override { textColor_ = rgb & kWhite; }
  void SetBackgroundColor(uint32_t rgb) override { backgroundColor_ = rgb & kWhite; }
  void SetBackground(Background mode) override { background_ = mode; }

  void SelectPen(StockPen pen) override { penColor_ = pen == StockPen::kWhite ? kWhite : 0; }
  void SelectHollowBrush() override { hollowBrush_ = true; }
  void MoveTo(int32_t x, int32_t y) override {
    x_ = x;
    y_ = y;
  }
  void LineTo(int32_t x, int32_t y) override;
  void Polyline(const PointI* points, int32_t count) override;
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

 protected:
  static constexpr uint32_t kWhite = 0xFFFFFF;

  // One line of text where DrawText placed it: its cell's top left corner
  // and its width.
  struct PlacedLine {
    std::string_view text;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
  };

  // bits: the whole image of width x height pixels (guard rows included) of
  // bytesPerPixel 3 or 2.
  PixelCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel);

  // The cell height of the selected font.
  virtual int32_t CellHeight() = 0;
  // The width of one line of text, not empty, in the selected font.
  virtual int32_t LineWidth(std::string_view text) = 0;
  // Paints the letters of the lines in the text colour, inside clip (which
  // lies on the image); lines without text are among them.
  virtual void PaintLines(const std::vector<PlacedLine>& lines, const PixelBox& clip) = 0;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint32_t TextColor() const { return textColor_; }
  // Pixels of the image, (x, y) on it; colours as 0x00RRGGBB.
  uint32_t Read(int32_t x, int32_t y) const;
  void Write(int32_t x, int32_t y, uint32_t rgb) const;
  void Plot(int32_t x, int32_t y, uint32_t rgb) const {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) Write(x, y, rgb);
  }
  void Fill(const PixelBox& box, uint32_t rgb) const;

 private:
  uint8_t* PixelAt(int32_t x, int32_t y) const {
    return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_ + static_cast<size_t>(x) * bytesPerPixel_;
  }
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

  uint8_t* bits_;
  int32_t width_;
  int32_t height_;
  uint32_t stride_;
  int32_t bytesPerPixel_;

  // The starting state of a Windows device context.
  uint32_t textColor_ = 0;
  uint32_t backgroundColor_ = kWhite;
  Background background_ = Background::kOpaque;
  uint32_t penColor_ = 0;
  bool hollowBrush_ = false;
  int32_t x_ = 0;
  int32_t y_ = 0;
};

}  // namespace brindlemar
