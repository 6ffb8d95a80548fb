#include "overlays/pixel_canvas.h"

#include <algorithm>
#include <cstdlib>

namespace brindlemar {
namespace {

// Lines end at a carriage return (with a line feed after it, if any) or at a
// line feed; a break at the very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size() || lines.empty()) lines.push_back(text.substr(start));
  return lines;
}

int64_t CeilDiv(__int128 n, int64_t d) {
  __int128 q = n / d;
  if (n % d != 0 && n > 0) ++q;
  return static_cast<int64_t>(q);
}

}  // namespace

PixelBox Intersect(const PixelBox& a, const PixelBox& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

PixelBox Unite(const PixelBox& a, const PixelBox& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool IsSymbolFace(std::string_view face) {
  constexpr std::string_view kName = "wingdings";
  if (face.size() != kName.size()) return false;
  for (size_t i = 0; i < face.size(); ++i) {
    char c = face[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kName[i]) return false;
  }
  return true;
}

PixelCanvas::PixelCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel)
    : bits_(bits),
      width_(width),
      height_(height),
      stride_((static_cast<uint32_t>(width) * static_cast<uint32_t>(bytesPerPixel) + 3u) & ~3u),
      bytesPerPixel_(bytesPerPixel) {}

SizeI PixelCanvas::TextExtent(std::string_view text) {
  const int32_t cell = CellHeight();
  return {text.empty() ? 0 : LineWidth(text), cell};
}

int32_t PixelCanvas::DrawText(std::string_view text, RectI& rect, uint32_t format) {
  const bool measureOnly = (format & kTextCalcRect) != 0;
  if (text.empty()) {
    if (measureOnly) {
      rect.right = rect.left;
      rect.bottom = rect.top;
    }
    return 0;
  }
  const int32_t cell = CellHeight();
  std::vector<std::string_view> texts;
  int32_t y = rect.top;
  if (format & kTextSingleLine) {
    texts.push_back(text);
    if (format & kTextVCenter) {
      y = rect.top + (rect.bottom - rect.top) / 2 - cell / 2;
    } else if (format & kTextBottom) {
      y = rect.bottom - cell;
    }
  } else {
    texts = SplitLines(text);
  }

  std::vector<PlacedLine> lines;
  lines.reserve(texts.size());
  int32_t widest = 0;
  for (std::string_view part : texts) {
    PlacedLine line;
    line.text = part;
    line.width = part.empty() ? 0 : LineWidth(part);
    line.x = (format & kTextCenter) ? (rect.left + rect.right - line.width) / 2 : rect.left;
    line.y = y;
    widest = std::max(widest, line.width);
    y += cell;
    lines.push_back(line);
  }
  const int32_t height = y - rect.top;
  if (measureOnly) {
    rect.right = rect.left + widest;
    rect.bottom = y;
    return height;
  }

  // Text is clipped to its rectangle.
  const PixelBox clip = Intersect({rect.left, rect.top, rect.right, rect.bottom}, {0, 0, width_, height_});
  if (clip.Empty()) return height;
  if (background_ == Background::kOpaque) {
    for (const PlacedLine& line : lines) {
      Fill(Intersect({line.x, line.y, line.x + line.width, line.y + cell}, clip), backgroundColor_);
    }
  }
  PaintLines(lines, clip);
  return height;
}

uint32_t PixelCanvas::Read(int32_t x, int32_t y) const {
  const uint8_t* p = PixelAt(x, y);
  if (bytesPerPixel_ == 3) return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
  const uint32_t v = p[0] | static_cast<uint32_t>(p[1]) << 8;
  return ((v >> 10) & 0x1F) << 19 | ((v >> 5) & 0x1F) << 11 | (v & 0x1F) << 3;
}

void PixelCanvas::Write(int32_t x, int32_t y, uint32_t rgb) const {
  uint8_t* p = PixelAt(x, y);
  if (bytesPerPixel_ == 3) {
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
    return;
  }
  const uint32_t v = ((rgb >> 19) & 0x1F) << 10 | ((rgb >> 11) & 0x1F) << 5 | ((rgb >> 3) & 0x1F);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void PixelCanvas::Fill(const PixelBox& box, uint32_t rgb) const {
  const PixelBox on = Intersect(box, {0, 0, width_, height_});
  for (int32_t y = on.top; y < on.bottom; ++y) {
    for (int32_t x = on.left; x < on.right; ++x) Write(x, y, rgb);
  }
}

void PixelCanvas::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t dx = static_cast<int64_t>(x1) - x0;
  const int64_t dy = static_cast<int64_t>(y1) - y0;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const int64_t major = xMajor ? dx : dy;
  const int64_t minor = xMajor ? dy : dx;
  const int64_t steps = std::abs(major);  // the end point is left out
  if (steps == 0) return;
  const int64_t direction = major > 0 ? 1 : -1;
  const int64_t majorStart = xMajor ? x0 : y0;
  const int64_t minorStart = xMajor ? y0 : x0;
  const int64_t majorEnd = xMajor ? width_ : height_;
  // Only the steps whose major coordinate lies on the image are walked.
  int64_t first = 0, last = steps - 1;
  if (direction > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorEnd - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - (majorEnd - 1));
    last = std::min(last, majorStart);
  }
  for (int64_t t = first; t <= last; ++t) {
    // The exact minor coordinate rounded to the nearest pixel, a half going
    // to the smaller coordinate whichever way the line runs, as Windows does.
    const int64_t offset = CeilDiv(static_cast<__int128>(2 * t) * minor - steps, 2 * steps);
    const int64_t a = majorStart + direction * t;
    const int64_t b = minorStart + offset;
    if (b < INT32_MIN || b > INT32_MAX) continue;
    if (xMajor) {
      Plot(static_cast<int32_t>(a), static_cast<int32_t>(b), penColor_);
    } else {
      Plot(static_cast<int32_t>(b), static_cast<int32_t>(a), penColor_);
    }
  }
}

void PixelCanvas::LineTo(int32_t x, int32_t y) {
  Line(x_, y_, x, y);
  x_ = x;
  y_ = y;
}

void PixelCanvas::Polyline(const PointI* points, int32_t count) {
  if (!points) return;
  for (int32_t i = 1; i < count; ++i) Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
}

void PixelCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (left == right || top == bottom) return;
  // The outline runs on the rectangle's inside; right and bottom are
  // exclusive. Without the hollow brush the inside is white, as the starting
  // brush of a Windows device context paints it.
  if (!hollowBrush_) Fill({left + 1, top + 1, right - 1, bottom - 1}, kWhite);
  for (int32_t x = std::max(left, 0); x < std::min(right, width_); ++x) {
    Plot(x, top, penColor_);
    Plot(x, bottom - 1, penColor_);
  }
  for (int32_t y = std::max(top + 1, 0); y < std::min(bottom - 1, height_); ++y) {
    Plot(left, y, penColor_);
    Plot(right - 1, y, penColor_);
  }
}

}  // namespace brindlemar
