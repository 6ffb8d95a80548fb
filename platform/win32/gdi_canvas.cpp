#include "platform/win32/gdi_canvas.h"

#include <vector>

namespace brindlemar::win32 {
namespace {

COLORREF ToColorRef(uint32_t rgb) {
  return RGB(static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb));
}

}  // namespace

GdiFont::~GdiFont() { DeleteObject(font_); }

std::unique_ptr<CanvasFont> GdiCanvas::CreateFont(const FontSpec& fontSpec) {
  // Character set 1 (default), output precision 4 (TrueType), clip
  // precision 0x20 (always TrueType), default quality, pitch and family.
  HFONT font = CreateFontA(fontSpec.height, 0, 0, 0, fontSpec.weight, fontSpec.italic ? TRUE : FALSE, FALSE, FALSE, 1, 4, 0x20,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, fontSpec.face.c_str());
  if (!font) return nullptr;
  return std::make_unique<GdiFont>(font);
}

CanvasFont* GdiCanvas::SelectFont(CanvasFont* font) {
  HGDIOBJ handle = font ? static_cast<GdiFont*>(font)->Handle() : GetStockObject(SYSTEM_FONT);
  SelectObject(dc_, handle);
  CanvasFont* previous = selected_;
  selected_ = font;
  return previous;
}

SizeI GdiCanvas::TextExtent(std::string_view text) {
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return {size.cx, size.cy};
}

int32_t GdiCanvas::DrawText(std::string_view text, RectI& rect, uint32_t format) {
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  int height = DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, format);
  rect = {r.left, r.top, r.right, r.bottom};
  if (!(format & kTextCalcRect)) GdiFlush();
  return height;
}

void GdiCanvas::SetTextColor(uint32_t rgb) { ::SetTextColor(dc_, ToColorRef(rgb)); }

void GdiCanvas::SetBackgroundColor(uint32_t rgb) { SetBkColor(dc_, ToColorRef(rgb)); }

void GdiCanvas::SetBackground(Background mode) { SetBkMode(dc_, mode == Background::kOpaque ? OPAQUE : TRANSPARENT); }

void GdiCanvas::SelectPen(StockPen pen) {
  SelectObject(dc_, GetStockObject(pen == StockPen::kWhite ? WHITE_PEN : BLACK_PEN));
}

void GdiCanvas::SelectHollowBrush() { SelectObject(dc_, GetStockObject(HOLLOW_BRUSH)); }

void GdiCanvas::MoveTo(int32_t x, int32_t y) { MoveToEx(dc_, x, y, nullptr); }

void GdiCanvas::LineTo(int32_t x, int32_t y) {
  ::LineTo(dc_, x, y);
  GdiFlush();
}

void GdiCanvas::Polyline(const PointI* points, int32_t count) {
  if (!points || count < 2) return;
  std::vector<POINT> corners(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) corners[static_cast<size_t>(i)] = {points[i].x, points[i].y};
  ::Polyline(dc_, corners.data(), count);
  GdiFlush();
}

void GdiCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  ::Rectangle(dc_, left, top, right, bottom);
  GdiFlush();
}

}  // namespace brindlemar::win32
