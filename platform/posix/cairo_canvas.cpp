#include "platform/posix/cairo_canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "overlays/pixel_canvas.h"
#include "platform/posix/text_utf8.h"

namespace brindlemar::posix {
namespace {

constexpr int32_t kGuardRows = 2;
constexpr int32_t kDefaultCellHeight = 16;
constexpr double kReferenceEm = 1000.0;

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

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

class CairoCanvas final : public PixelCanvas {
 public:
  CairoCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel);

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) override;
  CanvasFont* SelectFont(CanvasFont* font) override;

 private:
  int32_t CellHeight() override { return Face().cell; }
  int32_t LineWidth(std::string_view text) override;
  void PaintLines(const std::vector<PlacedLine>& lines, const PixelBox& clip) override;

  std::shared_ptr<const FontFace> MakeFace(const FontSpec& fontSpec);
  const FontFace& Face() const { return selectedFace_ ? *selectedFace_ : *defaultFace_; }
  GObjectPtr<PangoLayout> Layout(std::string_view text, const FontFace& face);

  GObjectPtr<PangoContext> context_;
  std::shared_ptr<const FontFace> defaultFace_;
  std::shared_ptr<const FontFace> selectedFace_;
  CanvasFont* selected_ = nullptr;
  std::vector<uint8_t> mask_;
};

CairoCanvas::CairoCanvas(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel)
    : PixelCanvas(bits, width, height, bytesPerPixel),
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
  face->symbol = IsSymbolFace(fontSpec.face);
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

int32_t CairoCanvas::LineWidth(std::string_view text) {
  GObjectPtr<PangoLayout> layout = Layout(text, Face());
  PangoRectangle logical;
  pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout.get(), 0), nullptr, &logical);
  return logical.width;
}

void CairoCanvas::PaintLines(const std::vector<PlacedLine>& lines, const PixelBox& clip) {
  const FontFace& face = Face();
  struct Letters {
    GObjectPtr<PangoLayout> layout;
    int32_t x = 0;
    int32_t baseline = 0;
  };
  std::vector<Letters> laid;
  PixelBox ink;
  for (const PlacedLine& line : lines) {
    if (line.text.empty()) continue;
    Letters letters{Layout(line.text, face), line.x, line.y + face.ascent};
    PangoRectangle extents;
    pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(letters.layout.get(), 0), &extents, nullptr);
    // One pixel of margin for smoothing that strays past the hinted extents.
    ink = Unite(ink, {letters.x + extents.x - 1, letters.baseline + extents.y - 1,
                      letters.x + extents.x + extents.width + 1, letters.baseline + extents.y + extents.height + 1});
    laid.push_back(std::move(letters));
  }
  const PixelBox area = Intersect(ink, clip);
  if (area.Empty()) return;

  const int32_t w = area.right - area.left;
  const int32_t h = area.bottom - area.top;
  const int32_t maskStride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, w);
  mask_.assign(static_cast<size_t>(maskStride) * static_cast<size_t>(h), 0);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(mask_.data(), CAIRO_FORMAT_A8, w, h, maskStride);
  cairo_t* cr = cairo_create(surface);
  for (const Letters& letters : laid) {
    cairo_move_to(cr, letters.x - area.left, letters.baseline - area.top);
    pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(letters.layout.get(), 0));
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);

  const uint32_t color = TextColor();
  const int32_t red = static_cast<int32_t>(color >> 16), green = static_cast<int32_t>((color >> 8) & 0xFF),
                blue = static_cast<int32_t>(color & 0xFF);
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* coverage = mask_.data() + static_cast<size_t>(row) * static_cast<size_t>(maskStride);
    for (int32_t col = 0; col < w; ++col) {
      const int32_t a = coverage[col];
      if (a == 0) continue;
      const uint32_t under = Read(area.left + col, area.top + row);
      auto mix = [a](int32_t over, int32_t back) { return (over * a + back * (255 - a) + 127) / 255; };
      Write(area.left + col, area.top + row,
            static_cast<uint32_t>(mix(red, static_cast<int32_t>(under >> 16)) << 16 |
                                  mix(green, static_cast<int32_t>((under >> 8) & 0xFF)) << 8 |
                                  mix(blue, static_cast<int32_t>(under & 0xFF))));
    }
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
