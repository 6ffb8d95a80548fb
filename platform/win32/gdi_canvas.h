// The overlay canvas on Windows: GDI on a device context, normally the memory
// context that holds a frame image's DIB section. Canvas coordinates are
// GDI's own on that DIB (its first two rows are the hidden guard rows).
//
// GDI may batch drawing calls; each drawing operation flushes the batch, so
// that the pixels can be read from the DIB's memory at once.
#pragma once

#include <windows.h>
// windows.h maps these names to their narrow-character functions; the
// canvas's operations have the same names.
#undef CreateFont
#undef DrawText

#include "overlays/canvas.h"

namespace brindlemar::win32 {

class GdiFont final : public CanvasFont {
 public:
  explicit GdiFont(HFONT font) : font_(font) {}
  ~GdiFont() override;
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;
  HFONT Handle() const { return font_; }

 private:
  HFONT font_;
};

class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) override;
  CanvasFont* SelectFont(CanvasFont* font) override;
  SizeI TextExtent(std::string_view text) override;
  int32_t DrawText(std::string_view text, RectI& rect, uint32_t format) override;
  void SetTextColor(uint32_t rgb) override;
  void SetBackgroundColor(uint32_t rgb) override;
  void SetBackground(Background mode) override;

  void SelectPen(StockPen pen) override;
  void SelectHollowBrush() override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Polyline(const PointI* points, int32_t count) override;
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

 private:
  HDC dc_;
  CanvasFont* selected_ = nullptr;
};

}  // namespace brindlemar::win32
