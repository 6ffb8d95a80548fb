// A canvas that draws without fonts, the same on every machine: lines pixel
// by pixel, each character of a text as a solid block of the text colour in
// a cell half as wide as the font is high and one font height tall (the
// measure of RecordingCanvas), rectangles as outlines. Only the 24-bit
// images of the memory surfaces; a frame image of another depth gets none,
// as with the Cairo canvas.
//
// For tests that pin whole pictures: what the overlays ask for (where, how
// large, in what colour) reaches the pixels, and the grains seeded onto a
// message find its "letters" bright, without depending on the fonts a
// machine has installed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "overlays/canvas.h"
#include "surfaces/heap_frame_image.h"
#include "support/recording_canvas.h"

namespace brindlemar::testing {

class BlockCanvas final : public Canvas {
 public:
  // The image as a canvas addresses it: top-down rows of the whole bitmap,
  // guard rows first; memory holds them bottom-up.
  BlockCanvas(uint8_t* bits, const BitmapHeader& header)
      : bits_(bits), width_(header.width), rows_(header.height), stride_(RowStride(header.width, 24)) {}

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& wanted) override { return std::make_unique<Font>(wanted.height); }
  CanvasFont* SelectFont(CanvasFont* font) override {
    CanvasFont* previous = font_;
    font_ = font;
    return previous;
  }
  SizeI TextExtent(std::string_view text) override {
    return {static_cast<int32_t>(text.size()) * (FontHeight() / 2), FontHeight()};
  }
  int32_t DrawText(std::string_view text, RectI& rect, uint32_t format) override {
    const auto lines = RecordingCanvas::Lines(text);
    const int32_t h = FontHeight(), cell = h / 2;
    const int32_t height = static_cast<int32_t>(lines.size()) * h;
    if (format & kTextCalcRect) {
      int32_t widest = 0;
      for (const auto& line : lines) widest = std::max(widest, static_cast<int32_t>(line.size()) * cell);
      rect.right = rect.left + widest;
      rect.bottom = rect.top + height;
      return height;
    }
    int32_t top = rect.top;
    if (format & kTextVCenter) top = (rect.top + rect.bottom - height) / 2;
    if (format & kTextBottom) top = rect.bottom - height;
    for (const auto& line : lines) {
      const int32_t lineWidth = static_cast<int32_t>(line.size()) * cell;
      int32_t x = format & kTextCenter ? (rect.left + rect.right - lineWidth) / 2 : rect.left;
      if (background_ == Background::kOpaque) Fill(x, top, x + lineWidth, top + h, backgroundColor_);
      for (char c : line) {
        // A blank draws nothing; every other character a block with a
        // one-pixel margin, so that letters stay apart.
        if (c != ' ') Fill(x + 1, top + 1, x + cell - 1, top + h - 1, textColor_);
        x += cell;
      }
      top += h;
    }
    return height;
  }
  void SetTextColor(uint32_t rgb) override { textColor_ = rgb; }
  void SetBackgroundColor(uint32_t rgb) override { backgroundColor_ = rgb; }
  void SetBackground(Background mode) override { background_ = mode; }
  void SelectPen(StockPen pen) override { penColor_ = pen == StockPen::kWhite ? 0xFFFFFFu : 0u; }
  void SelectHollowBrush() override {}
  void MoveTo(int32_t x, int32_t y) override { current_ = {x, y}; }
  void LineTo(int32_t x, int32_t y) override {
    // Steps along the longer axis; the end point is left out, as the
    // platforms' lines do.
    const int32_t dx = x - current_.x, dy = y - current_.y;
    const int32_t steps = std::max(std::abs(dx), std::abs(dy));
    for (int32_t k = 0; k < steps; ++k) {
      Put(current_.x + dx * k / steps, current_.y + dy * k / steps, penColor_);
    }
    current_ = {x, y};
  }
  void Polyline(const PointI* points, int32_t count) override {
    if (count <= 0) return;
    MoveTo(points[0].x, points[0].y);
    for (int32_t k = 1; k < count; ++k) LineTo(points[k].x, points[k].y);
  }
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    MoveTo(left, top);
    LineTo(right - 1, top);
    LineTo(right - 1, bottom - 1);
    LineTo(left, bottom - 1);
    LineTo(left, top);
  }

 private:
  struct Font final : CanvasFont {
    explicit Font(int32_t h) : height(h) {}
    int32_t height;
  };

  int32_t FontHeight() const { return font_ ? static_cast<const Font*>(font_)->height : 16; }

  void Put(int32_t x, int32_t y, uint32_t rgb) {
    if (x < 0 || x >= width_ || y < 0 || y >= rows_) return;
    uint8_t* p = bits_ + static_cast<size_t>(rows_ - 1 - y) * stride_ + static_cast<size_t>(x) * 3;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
  }
  void Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) {
    for (int32_t y = top; y < bottom; ++y) {
      for (int32_t x = left; x < right; ++x) Put(x, y, rgb);
    }
  }

  uint8_t* bits_;
  int32_t width_;
  int32_t rows_;
  uint32_t stride_;
  CanvasFont* font_ = nullptr;
  uint32_t textColor_ = 0;
  uint32_t backgroundColor_ = 0xFFFFFF;
  Background background_ = Background::kOpaque;
  uint32_t penColor_ = 0;
  PointI current_ = {0, 0};
};

// Heap memory with a BlockCanvas on 24-bit images: a FrameImageFactory.
inline std::unique_ptr<FrameImage> CreateBlockCanvasImage(const BitmapHeader& header) {
  class Image final : public FrameImage {
   public:
    Image(std::unique_ptr<HeapFrameImage> memory, const BitmapHeader& header) : memory_(std::move(memory)) {
      if (header.bitCount == 24) canvas_ = std::make_unique<BlockCanvas>(memory_->Bits(), header);
    }
    uint8_t* Bits() override { return memory_->Bits(); }
    Canvas* GetCanvas() override { return canvas_.get(); }

   private:
    std::unique_ptr<HeapFrameImage> memory_;
    std::unique_ptr<BlockCanvas> canvas_;
  };
  std::unique_ptr<HeapFrameImage> memory = HeapFrameImage::Create(header);
  if (!memory) return nullptr;
  return std::make_unique<Image>(std::move(memory), header);
}

}  // namespace brindlemar::testing
