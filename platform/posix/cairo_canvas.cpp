#include "platform/posix/cairo_canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/posix/text_utf8.h"

namespace brindlemar::posix {
namespace {

constexpr int32_t kGuardRows = 2;
constexpr int32_t kDefaultCellHeight = 16;
constexpr double kReferenceEm = 1000.0;
constexpr uint32_t kWhite = 0xFFFFFF;

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct Box {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

Box Intersect(const Box& a, const Box& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

Box Unite(const Box& a, const Box& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// A face resolved for drawing: Pango's description at the em size that gives
// the cell height, and the baseline's place in the cell.
struct FontFace {
  FontFace() = default;
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;
  ~FontFace() {
    if (description) pango_font_description_free(description);
  }
  PangoFontDescription* description = nullptr;
  int32_t cell = 0;
  int32_t ascent = 0;
  bool symbol = false;  // bytes are character codes of the Wingdings symbol set
};

// The face stays alive while a canvas has it selected, even if the font
// object itself is deleted first.
class CairoFont final : public CanvasFont {
 public:
  explicit CairoFont(std::shared_ptr<const FontFace> face) : face(std::move(face)) {}
  std::shared_ptr<const FontFace> face;
};

bool IsWingdings(std::string_view face) {
  constexpr std::string_view kName = "wingdings";
  if (face.size() != kName.size()) return false;
  for (size_t i = 0; i < face.size(); ++i) {
    char c = face[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kName[i]) return false;
  }
  return true;
}

// The text as UTF-8 for Pango (see text_utf8.h). A symbol font's bytes are
// its character codes, of which the zodiac signs have Unicode equivalents.
std::string ToUtf8(std::string_view text, bool symbol) {
  if (symbol) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
      uint8_t b = static_cast<uint8_t>(ch);
      if (b == 0) continue;
      AppendUtf8(out, b >= 0x5E && b <= 0x69 ? 0x2648u + (b - 0x5E) : Cp1252(b));
    }
    return out;
  }
  return TextAsUtf8(text);
}

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

class CairoCanvas final : public Canvas {
 public:
  CairoCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel);

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) override;
  CanvasFont* SelectFont(CanvasFont* font) override;
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

 private:
  struct PlacedLine {
    GObjectPtr<PangoLayout> layout;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    Box ink;
  };

  std::shared_ptr<const FontFace> MakeFace(const FontSpec& fontSpec);
  const FontFace& Face() const { return selectedFace_ ? *selectedFace_ : *defaultFace_; }
  GObjectPtr<PangoLayout> Layout(std::string_view text, const FontFace& face);
  void RenderText(const std::vector<PlacedLine>& lines, const Box& clip);

  uint8_t* PixelAt(int32_t x, int32_t y) const {
    return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_ + static_cast<size_t>(x) * bytesPerPixel_;
  }
  uint32_t Read(const uint8_t* p) const;
  void Write(uint8_t* p, uint32_t rgb) const;
  void Plot(int32_t x, int32_t y, uint32_t rgb) {
    if (x >= 0 && x < width_ && y >= 0 && y < height_) Write(PixelAt(x, y), rgb);
  }
  void Fill(const Box& box, uint32_t rgb);
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

  uint8_t* bits_;
  int32_t width_;
  int32_t height_;
  uint32_t stride_;
  int32_t bytesPerPixel_;
  GObjectPtr<PangoContext> context_;
  std::shared_ptr<const FontFace> defaultFace_;
  std::shared_ptr<const FontFace> selectedFace_;
  CanvasFont* selected_ = nullptr;
  std::vector<uint8_t> mask_;

  // The starting state of a Windows device context.
  uint32_t textColor_ = 0;
  uint32_t backgroundColor_ = kWhite;
  Background background_ = Background::kOpaque;
  uint32_t penColor_ = 0;
  bool hollowBrush_ = false;
  int32_t x_ = 0;
  int32_t y_ = 0;
};

CairoCanvas::CairoCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel)
    : bits_(bits),
      width_(width),
      height_(height),
      stride_((static_cast<uint32_t>(width) * static_cast<uint32_t>(bytesPerPixel) + 3u) & ~3u),
      bytesPerPixel_(bytesPerPixel),
      context_(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
  // Greyscale smoothing (the image has no subpixel order) and whole-pixel
  // advances, so that extents are integers as on Windows.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context_.get(), options);
  cairo_font_options_destroy(options);
  defaultFace_ = MakeFace(FontSpec{"Sans", kDefaultCellHeight, 400, 0});
}

std::shared_ptr<const FontFace> CairoCanvas::MakeFace(const FontSpec& fontSpec) {
  auto face = std::make_shared<FontFace>();
  face->symbol = IsWingdings(fontSpec.face);
  face->description = pango_font_description_new();
  std::string family = face->symbol ? "DejaVu Sans" : fontSpec.face.empty() ? "Sans" : fontSpec.face;
  pango_font_description_set_family(face->description, family.c_str());
  int32_t weight = fontSpec.weight <= 0 ? 400 : std::clamp(fontSpec.weight, 100, 1000);
  pango_font_description_set_weight(face->description, static_cast<PangoWeight>(weight));
  pango_font_description_set_style(face->description, fontSpec.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  // The cell's share of the em, measured once at a large size.
  pango_font_description_set_absolute_size(face->description, kReferenceEm * PANGO_SCALE);
  PangoFontMetrics* metrics = pango_context_get_metrics(context_.get(), face->description, nullptr);
  double ascent = pango_font_metrics_get_ascent(metrics) / (kReferenceEm * PANGO_SCALE);
  double descent = pango_font_metrics_get_descent(metrics) / (kReferenceEm * PANGO_SCALE);
  pango_font_metrics_unref(metrics);
  double cellPerEm = ascent + descent > 0.0 ? ascent + descent : 1.0;

  // As on Windows: a positive height is the cell, a negative one the em, and
  // 0 asks for a default.
  double em;
  if (fontSpec.height > 0) {
    face->cell = fontSpec.height;
    em = fontSpec.height / cellPerEm;
  } else if (fontSpec.height < 0) {
    em = -static_cast<double>(fontSpec.height);
    face->cell = static_cast<int32_t>(std::lround(em * cellPerEm));
  } else {
    face->cell = kDefaultCellHeight;
    em = kDefaultCellHeight / cellPerEm;
  }
  face->ascent = static_cast<int32_t>(std::lround(face->cell * (ascent / cellPerEm)));
  pango_font_description_set_absolute_size(face->description, em * PANGO_SCALE);
  return face;
}

std::unique_ptr<CanvasFont> CairoCanvas::CreateFont(const FontSpec& fontSpec) {
  return std::make_unique<CairoFont>(MakeFace(fontSpec));
}

CanvasFont* CairoCanvas::SelectFont(CanvasFont* font) {
  CanvasFont* previous = selected_;
  selected_ = font;
  selectedFace_ = font ? static_cast<CairoFont*>(font)->face : nullptr;
  return previous;
}

GObjectPtr<PangoLayout> CairoCanvas::Layout(std::string_view text, const FontFace& face) {
  GObjectPtr<PangoLayout> layout(pango_layout_new(context_.get()));
  pango_layout_set_font_description(layout.get(), face.description);
  // Line breaks are the caller's; any control character left is a glyph.
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  std::string utf8 = ToUtf8(text, face.symbol);
  pango_layout_set_text(layout.get(), utf8.data(), static_cast<int>(utf8.size()));
  return layout;
}

SizeI CairoCanvas::TextExtent(std::string_view text) {
  const FontFace& face = Face();
  if (text.empty()) return {0, face.cell};
  GObjectPtr<PangoLayout> layout = Layout(text, face);
  PangoRectangle logical;
  pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout.get(), 0), nullptr, &logical);
  return {logical.width, face.cell};
}

int32_t CairoCanvas::DrawText(std::string_view text, RectI& rect, uint32_t format) {
  const FontFace& face = Face();
  const bool measureOnly = (format & kTextCalcRect) != 0;
  if (text.empty()) {
    if (measureOnly) {
      rect.right = rect.left;
      rect.bottom = rect.top;
    }
    return 0;
  }
  std::vector<std::string_view> texts;
  int32_t y = rect.top;
  if (format & kTextSingleLine) {
    texts.push_back(text);
    if (format & kTextVCenter) {
      y = rect.top + (rect.bottom - rect.top) / 2 - face.cell / 2;
    } else if (format & kTextBottom) {
      y = rect.bottom - face.cell;
    }
  } else {
    texts = SplitLines(text);
  }

  std::vector<PlacedLine> lines;
  lines.reserve(texts.size());
  int32_t widest = 0;
  for (std::string_view part : texts) {
    PlacedLine line;
    if (!part.empty()) {
      line.layout = Layout(part, face);
      PangoRectangle ink, logical;
      pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(line.layout.get(), 0), &ink, &logical);
      line.width = logical.width;
      line.ink = {ink.x, ink.y, ink.x + ink.width, ink.y + ink.height};
    }
    line.x = (format & kTextCenter) ? (rect.left + rect.right - line.width) / 2 : rect.left;
    line.y = y;
    widest = std::max(widest, line.width);
    y += face.cell;
    lines.push_back(std::move(line));
  }
  const int32_t height = y - rect.top;
  if (measureOnly) {
    rect.right = rect.left + widest;
    rect.bottom = y;
    return height;
  }

  // Text is clipped to its rectangle.
  const Box clip = Intersect({rect.left, rect.top, rect.right, rect.bottom}, {0, 0, width_, height_});
  if (clip.Empty()) return height;
  if (background_ == Background::kOpaque) {
    for (const PlacedLine& line : lines) {
      Fill(Intersect({line.x, line.y, line.x + line.width, line.y + face.cell}, clip), backgroundColor_);
    }
  }
  RenderText(lines, clip);
  return height;
}

void CairoCanvas::RenderText(const std::vector<PlacedLine>& lines, const Box& clip) {
  const int32_t ascent = Face().ascent;
  Box ink;
  for (const PlacedLine& line : lines) {
    if (!line.layout) continue;
    // One pixel of margin for smoothing that strays past the hinted extents.
    ink = Unite(ink, {line.x + line.ink.left - 1, line.y + ascent + line.ink.top - 1, line.x + line.ink.right + 1,
                      line.y + ascent + line.ink.bottom + 1});
  }
  const Box area = Intersect(ink, clip);
  if (area.Empty()) return;

  const int32_t w = area.right - area.left;
  const int32_t h = area.bottom - area.top;
  const int32_t maskStride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, w);
  mask_.assign(static_cast<size_t>(maskStride) * static_cast<size_t>(h), 0);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(mask_.data(), CAIRO_FORMAT_A8, w, h, maskStride);
  cairo_t* cr = cairo_create(surface);
  for (const PlacedLine& line : lines) {
    if (!line.layout) continue;
    cairo_move_to(cr, line.x - area.left, line.y + ascent - area.top);
    pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(line.layout.get(), 0));
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);

  const int32_t red = static_cast<int32_t>(textColor_ >> 16), green = static_cast<int32_t>((textColor_ >> 8) & 0xFF),
                blue = static_cast<int32_t>(textColor_ & 0xFF);
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* coverage = mask_.data() + static_cast<size_t>(row) * static_cast<size_t>(maskStride);
    for (int32_t col = 0; col < w; ++col) {
      const int32_t a = coverage[col];
      if (a == 0) continue;
      uint8_t* p = PixelAt(area.left + col, area.top + row);
      const uint32_t under = Read(p);
      auto mix = [a](int32_t over, int32_t back) { return (over * a + back * (255 - a) + 127) / 255; };
      Write(p, static_cast<uint32_t>(mix(red, static_cast<int32_t>(under >> 16)) << 16 |
                                     mix(green, static_cast<int32_t>((under >> 8) & 0xFF)) << 8 |
                                     mix(blue, static_cast<int32_t>(under & 0xFF))));
    }
  }
}

uint32_t CairoCanvas::Read(const uint8_t* p) const {
  if (bytesPerPixel_ == 3) return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
  const uint32_t v = p[0] | static_cast<uint32_t>(p[1]) << 8;
  return ((v >> 10) & 0x1F) << 19 | ((v >> 5) & 0x1F) << 11 | (v & 0x1F) << 3;
}

void CairoCanvas::Write(uint8_t* p, uint32_t rgb) const {
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

void CairoCanvas::Fill(const Box& box, uint32_t rgb) {
  const Box on = Intersect(box, {0, 0, width_, height_});
  for (int32_t y = on.top; y < on.bottom; ++y) {
    for (int32_t x = on.left; x < on.right; ++x) Write(PixelAt(x, y), rgb);
  }
}

void CairoCanvas::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
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

void CairoCanvas::LineTo(int32_t x, int32_t y) {
  Line(x_, y_, x, y);
  x_ = x;
  y_ = y;
}

void CairoCanvas::Polyline(const PointI* points, int32_t count) {
  if (!points) return;
  for (int32_t i = 1; i < count; ++i) Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
}

void CairoCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
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

}  // namespace

std::unique_ptr<Canvas> CreateCairoCanvas(uint8_t* bits, const BitmapHeader& header) {
  if (!bits || header.width <= 0 || header.height < kGuardRows) return nullptr;
  if (header.bitCount != 24 && header.bitCount != 16) return nullptr;
  // The whole bitmap, guard rows included, addressed top-down as GDI does:
  // rows 0 and 1 are the hidden guard rows, row 2 the first one shown.
  return std::make_unique<CairoCanvas>(bits, header.width, header.height, header.bitCount / 8);
}

}  // namespace brindlemar::posix
