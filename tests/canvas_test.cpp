// The overlay canvases on their frame images: the platform's (GDI on
// Windows, Cairo and Pango elsewhere, from CreateCanvasFrameImage) and the
// bitmap canvas of the web page: fonts and extents, text layout, pens,
// rectangles, and where it all lands in the bottom-up 24-bit and 16-bit
// frame memory. What holds of any canvas runs on both; what depends on real
// fonts, on the platform's alone.
#ifdef _WIN32
// windows.h, without the macros that would rename the canvas's operations.
#include "platform/win32/gdi_canvas.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "overlays/bitmap_canvas.h"
#include "overlays/canvas.h"
#include "surfaces/draw_surface.h"
#include "surfaces/heap_frame_image.h"
#include "surfaces/memory_window.h"

#if BRINDLEMAR_ASAN
// Fontconfig keeps its patterns' elements behind offsets rather than
// pointers, so the leak checker takes its caches for leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace brindlemar {
namespace {

constexpr int32_t kWidth = 240;
constexpr int32_t kHeight = 160;
// The canvas addresses the whole bitmap as GDI does: two guard rows on top
// of the kHeight visible ones.
constexpr int32_t kRows = kHeight + 2;

struct Box {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool Empty() const { return left >= right || top >= bottom; }
  int32_t CentreX2() const { return left + right - 1; }  // twice the centre
  int32_t CentreY2() const { return top + bottom - 1; }
};

// A canvas kind at a depth.
struct CanvasCase {
  const char* name;
  std::unique_ptr<FrameImage> (*makeImage)(const BitmapHeader& header);
  int32_t bits;
};

class CanvasTest : public ::testing::TestWithParam<CanvasCase> {
 protected:
  void SetUp() override {
    header_.width = kWidth;
    header_.height = kHeight + 2;
    header_.bitCount = static_cast<int16_t>(Bits());
    if (Bits() == 16) {
      header_.compression = 3;
      header_.masks[0] = 0x7C00;
      header_.masks[1] = 0x03E0;
      header_.masks[2] = 0x001F;
    }
    stride_ = RowStride(kWidth, Bits());
    image_ = GetParam().makeImage(header_);
    ASSERT_NE(image_, nullptr);
    canvas_ = image_->GetCanvas();
    ASSERT_NE(canvas_, nullptr);
  }
  void TearDown() override {
    if (canvas_) canvas_->SelectFont(nullptr);
  }

  static int32_t Bits() { return GetParam().bits; }

  // The colour at canvas row y (from the top of the bitmap, guard rows
  // included), read from the bottom-up memory with 5-bit channels widened as
  // the 16-bit surface reads them.
  uint32_t Pixel(int32_t x, int32_t y) const {
    const uint8_t* row = image_->Bits() + static_cast<size_t>(kRows - 1 - y) * stride_;
    if (Bits() == 24) {
      const uint8_t* p = row + x * 3;
      return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    const uint8_t* p = row + x * 2;
    uint32_t v = p[0] | static_cast<uint32_t>(p[1]) << 8;
    return ((v >> 10) & 0x1F) << 19 | ((v >> 5) & 0x1F) << 11 | (v & 0x1F) << 3;
  }
  // A colour as the image stores it.
  uint32_t Stored(uint32_t rgb) const { return Bits() == 24 ? rgb : rgb & 0xF8F8F8; }

  void Clear() { std::memset(image_->Bits(), 0, static_cast<size_t>(stride_) * kRows); }
  std::vector<uint32_t> Snapshot() const {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < kRows; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) pixels.push_back(Pixel(x, y));
    }
    return pixels;
  }
  std::vector<PointI> LitPixels() const {
    std::vector<PointI> lit;
    for (int32_t y = 0; y < kRows; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        if (Pixel(x, y) != 0) lit.push_back({x, y});
      }
    }
    return lit;
  }
  // The bounds of every pixel that is not black.
  Box Ink() const {
    Box box{kWidth, kRows, 0, 0};
    for (const PointI& p : LitPixels()) {
      box.left = std::min(box.left, p.x);
      box.top = std::min(box.top, p.y);
      box.right = std::max(box.right, p.x + 1);
      box.bottom = std::max(box.bottom, p.y + 1);
    }
    return box;
  }
  bool GuardRowsClear() const {
    const uint8_t* guard = image_->Bits() + static_cast<size_t>(kHeight) * stride_;
    return std::all_of(guard, guard + 2 * stride_, [](uint8_t b) { return b == 0; });
  }

  std::unique_ptr<CanvasFont> Select(const std::string& face, int32_t height, int32_t weight = 400,
                                     int32_t italic = 0) {
    std::unique_ptr<CanvasFont> font = canvas_->CreateFont(FontSpec{face, height, weight, italic});
    EXPECT_NE(font, nullptr) << face;
    canvas_->SelectFont(font.get());
    return font;
  }
  void WhiteTransparentText() {
    canvas_->SetTextColor(0xFFFFFF);
    canvas_->SetBackground(Background::kTransparent);
  }

  BitmapHeader header_;
  uint32_t stride_ = 0;
  std::unique_ptr<FrameImage> image_;
  Canvas* canvas_ = nullptr;
};

std::string CaseName(const ::testing::TestParamInfo<CanvasCase>& info) {
  return std::string(info.param.name) + std::to_string(info.param.bits);
}

// What depends on the platform's real fonts.
using PlatformCanvasTest = CanvasTest;

// Heights are character-cell heights: the extent is as tall as asked, and
// the width follows the face's advances (these are Arial's, which its
// metric-compatible stand-ins share), so layouts agree across platforms.
TEST_P(PlatformCanvasTest, ExtentsFollowTheCellHeight) {
  const struct Case {
    const char* face;
    int32_t weight, italic;
  } faces[] = {{"Arial", 400, 0}, {"Arial", 700, 0}, {"Times New Roman", 400, 1}, {"Times New Roman", 400, 0}};
  for (const Case& c : faces) {
    int32_t lastWidth = 0;
    for (int32_t height : {8, 14, 32, 59, 96}) {
      std::unique_ptr<CanvasFont> font = Select(c.face, height, c.weight, c.italic);
      SizeI size = canvas_->TextExtent("Brindlemar");
      EXPECT_NEAR(size.cy, height, 1) << c.face << " " << height;
      EXPECT_GT(size.cx, lastWidth) << c.face << " " << height;
      lastWidth = size.cx;
      canvas_->SelectFont(nullptr);
    }
  }
  // "Brindlemar" is 4.834 em wide in Arial; the cell is 1.117 em.
  std::unique_ptr<CanvasFont> arial = Select("Arial", 96);
  EXPECT_NEAR(canvas_->TextExtent("Brindlemar").cx, 4.834 * 96 / 1.117, 0.03 * 415);
  EXPECT_EQ(canvas_->TextExtent("").cx, 0);
  EXPECT_TRUE(LitPixels().empty());
}

TEST_P(CanvasTest, SelectFontReturnsThePreviousFont) {
  std::unique_ptr<CanvasFont> small = canvas_->CreateFont(FontSpec{"Arial", 12, 400, 0});
  std::unique_ptr<CanvasFont> large = canvas_->CreateFont(FontSpec{"Arial", 40, 400, 0});
  EXPECT_EQ(canvas_->SelectFont(small.get()), nullptr);
  EXPECT_NEAR(canvas_->TextExtent("x").cy, 12, 1);
  EXPECT_EQ(canvas_->SelectFont(large.get()), small.get());
  EXPECT_NEAR(canvas_->TextExtent("x").cy, 40, 1);
  EXPECT_EQ(canvas_->SelectFont(small.get()), large.get());
  EXPECT_EQ(canvas_->SelectFont(nullptr), small.get());
  EXPECT_GT(canvas_->TextExtent("x").cy, 0);  // the canvas's own font
}

// Measuring adjusts the rectangle to the text, keeping its left and top, and
// draws nothing; lines break at carriage returns only.
TEST_P(CanvasTest, CalcRectMeasuresLinesWithoutDrawing) {
  std::unique_ptr<CanvasFont> font = Select("Arial", 20);
  WhiteTransparentText();
  canvas_->SetBackground(Background::kOpaque);
  const int32_t cell = canvas_->TextExtent("Ag").cy;
  const int32_t wide = canvas_->TextExtent("Brindlemar").cx;
  const int32_t narrow = canvas_->TextExtent(" is").cx;
  const struct Case {
    std::string text;
    int32_t lines, width;
  } cases[] = {
      {"Brindlemar", 1, wide},
      {"Brindlemar\r is", 2, wide},          // a stored \r: the second line keeps its blank
      {" is\rBrindlemar", 2, wide},
      {"Brindlemar\r\n is", 2, wide},        // CR LF is one break
      {"Brindlemar\r\r is", 3, wide},        // an empty line between
      {" is\r", 1, narrow},                  // a break at the end adds no line
      {"Brindlemar is there", 1, canvas_->TextExtent("Brindlemar is there").cx},  // no word wrapping
  };
  for (const Case& c : cases) {
    RectI rect{10, 20, 30, 21};
    int32_t height = canvas_->DrawText(c.text, rect, kTextCenter | kTextCalcRect);
    EXPECT_EQ(height, c.lines * cell) << c.text;
    EXPECT_EQ(rect.left, 10) << c.text;
    EXPECT_EQ(rect.top, 20) << c.text;
    EXPECT_EQ(rect.right, 10 + c.width) << c.text;
    EXPECT_EQ(rect.bottom, 20 + c.lines * cell) << c.text;
  }
  EXPECT_TRUE(LitPixels().empty());
  EXPECT_TRUE(GuardRowsClear());
}

// Each line is centred on its own between left and right, lines stacked a
// cell apart from the top.
TEST_P(CanvasTest, CentredLinesAreCentred) {
  std::unique_ptr<CanvasFont> font = Select("Arial", 30, 700);
  WhiteTransparentText();
  const int32_t cell = canvas_->TextExtent("H").cy;
  const struct Case {
    RectI rect;
  } cases[] = {{{10, 5, kWidth - 10, 100}}, {{0, 40, 121, 41}}, {{100, 0, 220, 1}}};
  for (const Case& c : cases) {
    Clear();
    RectI rect = c.rect;
    rect.bottom = rect.top + 2 * cell;
    EXPECT_EQ(canvas_->DrawText("HIH\rHHIIHH", rect, kTextCenter), 2 * cell);
    for (int32_t line = 0; line < 2; ++line) {
      Box ink{kWidth, kHeight, 0, 0};
      for (const PointI& p : LitPixels()) {
        if (p.y < rect.top + line * cell || p.y >= rect.top + (line + 1) * cell) continue;
        ink.left = std::min(ink.left, p.x);
        ink.right = std::max(ink.right, p.x + 1);
        ink.top = std::min(ink.top, p.y);
        ink.bottom = std::max(ink.bottom, p.y + 1);
      }
      ASSERT_FALSE(ink.Empty()) << "line " << line;
      EXPECT_NEAR(ink.CentreX2(), rect.left + rect.right - 1, 4) << "line " << line << " of " << c.rect.left;
      EXPECT_GE(ink.top, rect.top + line * cell);
    }
  }
}

// Single-line text placed by the vertical flags lands exactly where the same
// text drawn from the computed top lands; the zodiac centres its signs so.
TEST_P(CanvasTest, SingleLineVerticalPlacement) {
  // An odd cell height, so that halving it rounds.
  std::unique_ptr<CanvasFont> font = Select("Times New Roman", 25, 400, 1);
  WhiteTransparentText();
  const SizeI size = canvas_->TextExtent("18.5 EM");
  const struct Case {
    uint32_t format;
    RectI rect;
    int32_t top;  // where the cell's top must come
  } cases[] = {
      {kTextSingleLine | kTextBottom, {0, kHeight - size.cy, size.cx, kHeight}, kHeight - size.cy},
      {kTextSingleLine | kTextBottom, {0, 10, size.cx, 70}, 70 - size.cy},
      {kTextSingleLine | kTextVCenter | kTextCenter, {0, 10, size.cx, 71}, 10 + 61 / 2 - size.cy / 2},
      {kTextSingleLine | kTextVCenter | kTextCenter, {0, 50, size.cx, 100}, 50 + 25 - size.cy / 2},
      {kTextSingleLine, {0, 33, size.cx, 90}, 33},
  };
  for (const Case& c : cases) {
    Clear();
    RectI placed = c.rect;
    canvas_->DrawText("18.5 EM", placed, c.format);
    std::vector<uint32_t> drawn = Snapshot();
    EXPECT_FALSE(LitPixels().empty());
    Clear();
    RectI reference{c.rect.left, c.top, c.rect.right, c.top + size.cy};
    canvas_->DrawText("18.5 EM", reference, c.format & kTextCenter);
    EXPECT_TRUE(drawn == Snapshot()) << "format " << c.format << " top " << c.top;
  }
}

TEST_P(CanvasTest, SingleLineIgnoresCarriageReturns) {
  std::unique_ptr<CanvasFont> font = Select("Arial", 20);
  RectI rect{0, 0, 200, 100};
  EXPECT_EQ(canvas_->DrawText("one\rtwo", rect, kTextSingleLine | kTextCalcRect), canvas_->TextExtent("x").cy);
}

// Opaque text fills its cell with the background colour, clipped to the
// rectangle; transparent text leaves the image around the letters alone.
TEST_P(CanvasTest, OpaqueAndTransparentBackgrounds) {
  std::unique_ptr<CanvasFont> font = Select("Times New Roman", 20);
  canvas_->SetTextColor(0xB860C4);
  canvas_->SetBackgroundColor(0x0000FF);
  const SizeI size = canvas_->TextExtent("12.3 fps");
  const int32_t left = 7, top = 9;
  for (Background mode : {Background::kOpaque, Background::kTransparent}) {
    Clear();
    canvas_->SetBackground(mode);
    RectI rect{left, top, left + size.cx, top + size.cy};
    canvas_->DrawText("12.3 fps", rect, kTextSingleLine | kTextBottom);
    const uint32_t corner = mode == Background::kOpaque ? Stored(0x0000FF) : 0;
    EXPECT_EQ(Pixel(left, top), corner);
    EXPECT_EQ(Pixel(left + size.cx - 1, top), corner);
    EXPECT_EQ(Pixel(left, top + size.cy - 1), corner);
    EXPECT_EQ(Pixel(left + size.cx - 1, top + size.cy - 1), corner);
    const Box ink = Ink();
    EXPECT_GE(ink.left, left);
    EXPECT_GE(ink.top, top);
    EXPECT_LE(ink.right, left + size.cx);
    EXPECT_LE(ink.bottom, top + size.cy);
    bool textColour = false;
    for (const PointI& p : LitPixels()) textColour |= Pixel(p.x, p.y) == Stored(0xB860C4);
    EXPECT_TRUE(textColour);
  }
}

// Text and its background are clipped to the rectangle; a rectangle off the
// image draws nothing.
// A line of text fits its cell: the overlays draw into rectangles one cell
// high (the frame-rate text bottom-aligned on the frame's last rows), and
// ink below the cell would be clipped away.
TEST_P(CanvasTest, TextInkFitsItsCell) {
  struct Case {
    const char* face;
    int32_t height;
    int32_t italic;
  };
  const Case cases[] = {{"Times New Roman", 14, 1}, {"Times New Roman", 15, 1}, {"Times New Roman", 32, 1},
                        {"Times New Roman", 45, 0}, {"Arial", 16, 0},           {"Arial", 27, 1}};
  for (const Case& c : cases) {
    std::unique_ptr<CanvasFont> font = Select(c.face, c.height, 400, c.italic);
    canvas_->SetTextColor(0xFFFFFF);
    canvas_->SetBackground(Background::kTransparent);
    const std::string text = "30.0 fps gjpqy";
    auto drawn = [&](int32_t roomBelow) {
      Clear();
      RectI rect{0, 10, kWidth, 10 + c.height + roomBelow};
      canvas_->DrawText(text, rect, kTextSingleLine);
      return Snapshot();
    };
    EXPECT_EQ(drawn(0), drawn(40)) << c.face << " " << c.height << (c.italic ? " italic" : "");
  }
}

TEST_P(CanvasTest, TextIsClippedToItsRectangle) {
  std::unique_ptr<CanvasFont> font = Select("Arial", 40);
  canvas_->SetTextColor(0xFFFFFF);
  canvas_->SetBackgroundColor(0x808080);
  for (Background mode : {Background::kOpaque, Background::kTransparent}) {
    Clear();
    canvas_->SetBackground(mode);
    RectI rect{50, 20, 90, 40};
    canvas_->DrawText("WWWWWWWW", rect, kTextCenter);
    const Box ink = Ink();
    ASSERT_FALSE(ink.Empty());
    if (mode == Background::kOpaque) {
      EXPECT_EQ(ink.left, 50);
      EXPECT_EQ(ink.top, 20);
    }
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.right, 90);
    EXPECT_GE(ink.top, 20);
    EXPECT_EQ(ink.bottom, 40);  // the letters reach further down
  }
  Clear();
  canvas_->SetBackground(Background::kTransparent);
  RectI off{kWidth + 5, 10, kWidth + 100, 60};
  canvas_->DrawText("WWW", off, 0);
  RectI above{0, -100, kWidth, -50};
  canvas_->DrawText("WWW", above, kTextCenter);
  EXPECT_TRUE(LitPixels().empty());
  EXPECT_TRUE(GuardRowsClear());
}

// Lines are one pixel wide, not smoothed, and leave out their end point;
// halves go to the smaller coordinate whichever way a line runs.
TEST_P(CanvasTest, LinesLightExactlyTheirPixels) {
  const struct Case {
    PointI from, to;
    std::vector<PointI> lit;
  } cases[] = {
      {{10, 10}, {20, 10}, {{10, 10}, {11, 10}, {12, 10}, {13, 10}, {14, 10}, {15, 10}, {16, 10}, {17, 10}, {18, 10}, {19, 10}}},
      {{5, 8}, {5, 3}, {{5, 4}, {5, 5}, {5, 6}, {5, 7}, {5, 8}}},
      {{10, 10}, {14, 11}, {{10, 10}, {11, 10}, {12, 10}, {13, 11}}},
      {{14, 11}, {10, 10}, {{11, 10}, {12, 10}, {13, 11}, {14, 11}}},
      {{10, 10}, {13, 16}, {{10, 10}, {10, 11}, {11, 12}, {11, 13}, {12, 14}, {12, 15}}},
      {{10, 10}, {6, 9}, {{7, 9}, {8, 9}, {9, 10}, {10, 10}}},
      {{3, 3}, {7, 7}, {{3, 3}, {4, 4}, {5, 5}, {6, 6}}},
      {{0, 0}, {3, 0}, {{0, 0}, {1, 0}, {2, 0}}},                                      // the top (guard) row
      {{kWidth - 2, kRows - 1}, {kWidth + 3, kRows - 1}, {{kWidth - 2, kRows - 1}, {kWidth - 1, kRows - 1}}},
      {{-5, 2}, {2, 2}, {{0, 2}, {1, 2}}},                                              // clipped at the left
      {{30, 30}, {30, 30}, {}},                                                        // no length, no pixel
  };
  for (const Case& c : cases) {
    Clear();
    canvas_->SelectPen(StockPen::kWhite);
    canvas_->MoveTo(c.from.x, c.from.y);
    canvas_->LineTo(c.to.x, c.to.y);
    std::vector<PointI> lit = LitPixels();
    ASSERT_EQ(lit.size(), c.lit.size()) << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
    for (const PointI& p : c.lit) {
      EXPECT_EQ(Pixel(p.x, p.y), Stored(0xFFFFFF)) << p.x << "," << p.y;
    }
  }
}

TEST_P(CanvasTest, BlackPenDrawsBlackAndLinesChain) {
  canvas_->SelectPen(StockPen::kWhite);
  canvas_->MoveTo(2, 2);
  canvas_->LineTo(6, 2);
  canvas_->LineTo(6, 5);  // from where the last line ended
  std::vector<PointI> lit = LitPixels();
  ASSERT_EQ(lit.size(), 7u);
  EXPECT_EQ(Pixel(5, 2), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(6, 2), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(6, 4), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(6, 5), 0u);

  canvas_->SelectPen(StockPen::kBlack);
  canvas_->MoveTo(0, 2);
  canvas_->LineTo(10, 2);
  EXPECT_EQ(LitPixels().size(), 2u);
  EXPECT_EQ(Pixel(6, 2), 0u);
  EXPECT_EQ(Pixel(6, 3), Stored(0xFFFFFF));
}

// A polyline runs through its points, leaves out the last one, and neither
// uses nor moves the current position.
TEST_P(CanvasTest, PolylineRunsThroughItsPoints) {
  canvas_->SelectPen(StockPen::kWhite);
  canvas_->MoveTo(50, 50);
  const PointI points[] = {{2, 2}, {6, 2}, {6, 5}, {3, 5}};
  canvas_->Polyline(points, 4);
  EXPECT_EQ(LitPixels().size(), 10u);
  EXPECT_EQ(Pixel(2, 2), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(6, 4), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(4, 5), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(3, 5), 0u);
  canvas_->LineTo(50, 53);
  EXPECT_EQ(LitPixels().size(), 13u);
  EXPECT_EQ(Pixel(50, 50), Stored(0xFFFFFF));
  canvas_->Polyline(points, 1);
  EXPECT_EQ(LitPixels().size(), 13u);
}

// A rectangle's outline runs on its inside, right and bottom exclusive; the
// hollow brush leaves the inside alone, the starting brush paints it white.
TEST_P(CanvasTest, RectanglesAreOutlined) {
  const struct Case {
    RectI r;
    size_t lit;
  } cases[] = {{{5, 5, 8, 8}, 8}, {{8, 8, 5, 5}, 8}, {{5, 5, 6, 9}, 4}, {{5, 5, 5, 9}, 0}, {{10, 20, 30, 25}, 46}};
  canvas_->SelectPen(StockPen::kWhite);
  canvas_->SelectHollowBrush();
  for (const Case& c : cases) {
    Clear();
    std::memset(image_->Bits(), 0, stride_);  // nothing hidden in the bottom row either
    canvas_->Rectangle(c.r.left, c.r.top, c.r.right, c.r.bottom);
    EXPECT_EQ(LitPixels().size(), c.lit) << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
  }
  Clear();
  canvas_->Rectangle(5, 5, 8, 8);
  EXPECT_EQ(Pixel(5, 5), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(7, 7), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(6, 6), 0u);
  EXPECT_EQ(Pixel(8, 5), 0u);
  EXPECT_EQ(Pixel(5, 8), 0u);
}

TEST_P(CanvasTest, RectangleWithTheStartingBrushIsFilledWhite) {
  canvas_->SelectPen(StockPen::kBlack);
  canvas_->Rectangle(5, 5, 9, 8);
  std::vector<PointI> lit = LitPixels();
  ASSERT_EQ(lit.size(), 2u);
  EXPECT_EQ(Pixel(6, 6), Stored(0xFFFFFF));
  EXPECT_EQ(Pixel(7, 6), Stored(0xFFFFFF));
}

// Canvas rows count the whole bitmap from its top, as GDI addresses the
// bottom-up memory: rows 0 and 1 are the hidden guard rows (memory rows
// kRows - 1 and kRows - 2), row 2 the top row shown (memory row kHeight - 1)
// and row kRows - 1 the bottom one (memory row 0).
TEST_P(CanvasTest, DrawingLandsAtItsRowInTheBottomUpMemory) {
  canvas_->SelectPen(StockPen::kWhite);
  for (int32_t row : {0, 2, kRows - 1}) {
    canvas_->MoveTo(0, row);
    canvas_->LineTo(4, row);
  }
  const int32_t bytes = Bits() / 8;
  const uint8_t* bits = image_->Bits();
  auto lit = [&](int32_t memoryRow) { return bits[static_cast<size_t>(memoryRow) * stride_ + 3 * bytes] != 0; };
  EXPECT_TRUE(lit(kRows - 1));    // the first guard row
  EXPECT_FALSE(lit(kRows - 2));   // the second one
  EXPECT_TRUE(lit(kHeight - 1));  // the top row shown
  EXPECT_TRUE(lit(0));            // the bottom row
  EXPECT_EQ(bits[4 * bytes], 0);

  // Text at the top: its first two rows go into the guard rows.
  Clear();
  std::unique_ptr<CanvasFont> font = Select("Arial", 16);
  canvas_->SetTextColor(0xFFFFFF);
  canvas_->SetBackgroundColor(0x00FF00);
  canvas_->SetBackground(Background::kOpaque);
  RectI rect{0, 0, 100, 16};
  canvas_->DrawText(" Top", rect, 0);
  EXPECT_EQ(Pixel(0, 0), Stored(0x00FF00));
  EXPECT_EQ(Pixel(0, 15), Stored(0x00FF00));
  EXPECT_EQ(Pixel(0, 16), 0u);
  EXPECT_FALSE(GuardRowsClear());
}

#ifdef _WIN32
// Why GDI cannot draw the zodiac here, or empty when it can. Wine puts
// another face in for a Wingdings it does not have, and its own Wingdings
// has no glyphs at 0x5E..0x69.
std::string ZodiacUnavailable() {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontA(40, 0, 0, 0, 150, FALSE, FALSE, FALSE, 1, 4, 0x20, DEFAULT_QUALITY, DEFAULT_PITCH, "Wingdings");
  HGDIOBJ previous = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  WORD glyphs[12] = {};
  DWORD found = GetGlyphIndicesA(dc, "^_`abcdefghi", 12, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, previous);
  DeleteObject(font);
  DeleteDC(dc);
  if (lstrcmpiA(face, "Wingdings") != 0) return std::string("GDI puts \"") + face + "\" in for Wingdings";
  if (found != 12 || std::any_of(glyphs, glyphs + 12, [](WORD g) { return g == 0xFFFF; })) {
    return "this Wingdings has no glyphs at 0x5E..0x69";
  }
  return {};
}
#endif

// The twelve signs 0x5E..0x69 of "Wingdings" draw twelve different glyphs,
// none of them the empty box of a missing one.
TEST_P(CanvasTest, WingdingsDrawsTheZodiac) {
#ifdef _WIN32
  if (std::string reason = ZodiacUnavailable(); GetParam().makeImage == CreateCanvasFrameImage && !reason.empty()) {
    GTEST_SKIP() << "no zodiac signs through GDI here: " << reason
                 << " (Wine has no Wingdings with them; Windows has)";
  }
#endif
  std::unique_ptr<CanvasFont> font = Select("Wingdings", 40, 150);
  WhiteTransparentText();
  std::vector<std::vector<uint32_t>> signs;
  for (char code = 0x5E; code <= 0x69; ++code) {
    Clear();
    RectI box{60, 40, 108, 88};
    canvas_->DrawText(std::string(1, code), box, kTextCenter | kTextVCenter | kTextSingleLine);
    const Box ink = Ink();
    ASSERT_FALSE(ink.Empty()) << "sign " << int{code};
    EXPECT_GE(ink.right - ink.left, 12) << "sign " << int{code};
    EXPECT_GE(ink.bottom - ink.top, 12) << "sign " << int{code};
    EXPECT_NEAR(ink.CentreX2(), 60 + 108 - 1, 8) << "sign " << int{code};
    EXPECT_NEAR(ink.CentreY2(), 40 + 88 - 1, 16) << "sign " << int{code};
    int32_t edges = 0;
    for (int32_t x = ink.left; x < ink.right; ++x) edges += (Pixel(x, ink.top) != 0) + (Pixel(x, ink.bottom - 1) != 0);
    for (int32_t y = ink.top; y < ink.bottom; ++y) edges += (Pixel(ink.left, y) != 0) + (Pixel(ink.right - 1, y) != 0);
    const int32_t perimeter = 2 * (ink.right - ink.left) + 2 * (ink.bottom - ink.top);
    EXPECT_LT(edges, perimeter * 9 / 10) << "sign " << int{code} << " looks like a missing-glyph box";
    signs.push_back(Snapshot());
  }
  for (size_t i = 0; i < signs.size(); ++i) {
    for (size_t j = i + 1; j < signs.size(); ++j) EXPECT_FALSE(signs[i] == signs[j]) << i << " and " << j;
  }
}

const CanvasCase kPlatformCanvases[] = {{"Platform", CreateCanvasFrameImage, 24},
                                         {"Platform", CreateCanvasFrameImage, 16}};
const CanvasCase kBitmapCanvases[] = {{"Bitmap", CreateBitmapCanvasFrameImage, 24},
                                       {"Bitmap", CreateBitmapCanvasFrameImage, 16}};
INSTANTIATE_TEST_SUITE_P(Platform, CanvasTest, ::testing::ValuesIn(kPlatformCanvases), CaseName);
INSTANTIATE_TEST_SUITE_P(Bitmap, CanvasTest, ::testing::ValuesIn(kBitmapCanvases), CaseName);
INSTANTIATE_TEST_SUITE_P(Platform, PlatformCanvasTest, ::testing::ValuesIn(kPlatformCanvases), CaseName);

// The bitmap canvas's letters are the bitmap font's glyphs, each glyph pixel
// a block of cell / 8 pixels: an "H" is 5 blocks wide and 7 tall, and
// glyphs stand 6 blocks apart.
TEST(BitmapCanvas, LettersScaleWithTheCell) {
  for (int32_t cell : {8, 16, 20, 96}) {
    MemoryWindow window(400, 200, CreateBitmapCanvasFrameImage);
    MemorySurface24 surface;
    ASSERT_EQ(surface.Create(&window, nullptr), kOk);
    Canvas* canvas = surface.GetDrawingDC();
    ASSERT_NE(canvas, nullptr);
    std::unique_ptr<CanvasFont> font = canvas->CreateFont(FontSpec{"Arial", cell, 400, 0});
    canvas->SelectFont(font.get());
    EXPECT_EQ(canvas->TextExtent("HH").cx, 11 * cell / 8) << cell;
    EXPECT_EQ(canvas->TextExtent("HH").cy, cell);
    canvas->SetTextColor(0xFFFFFF);
    canvas->SetBackground(Background::kTransparent);
    RectI rect{10, 12, 390, 12 + cell};
    canvas->DrawText("H", rect, 0);
    canvas->SelectFont(nullptr);
    surface.ReleaseDrawingDC(canvas);
    // Canvas row 12 is the frame's row 10.
    int32_t left = 400, right = 0, top = 200, bottom = 0;
    for (int32_t y = 0; y < 200; ++y) {
      for (int32_t x = 0; x < 400; ++x) {
        if (surface.GetPixel(x, y) == 0) continue;
        EXPECT_EQ(surface.GetPixel(x, y), 0xFFFFFFu);
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
      }
    }
    EXPECT_EQ(left, 10) << cell;
    EXPECT_EQ(right, 10 + 5 * cell / 8) << cell;
    EXPECT_EQ(top, 10) << cell;
    EXPECT_EQ(bottom, 10 + 7 * cell / 8) << cell;
  }
}

// Bold widens each stroke to the right by a sixteenth of the cell; italic
// leans the top of a letter right of its foot; characters outside the font
// draw as '?'.
TEST(BitmapCanvas, BoldItalicAndUnknownCharacters) {
  constexpr int32_t kCell = 32;
  auto ink = [](const FontSpec& wanted, std::string_view text) {
    MemoryWindow window(200, 60, CreateBitmapCanvasFrameImage);
    MemorySurface24 surface;
    EXPECT_EQ(surface.Create(&window, nullptr), kOk);
    Canvas* canvas = surface.GetDrawingDC();
    std::unique_ptr<CanvasFont> font = canvas->CreateFont(wanted);
    canvas->SelectFont(font.get());
    canvas->SetTextColor(0xFFFFFF);
    canvas->SetBackground(Background::kTransparent);
    RectI rect{20, 4, 200, 4 + kCell};  // from frame row 2, the first one drawn on
    canvas->DrawText(text, rect, 0);
    canvas->SelectFont(nullptr);
    surface.ReleaseDrawingDC(canvas);
    std::vector<std::vector<int32_t>> rows(60);  // the lit columns of each row
    for (int32_t y = 0; y < 60; ++y) {
      for (int32_t x = 0; x < 200; ++x) {
        if (surface.GetPixel(x, y) != 0) rows[static_cast<size_t>(y)].push_back(x);
      }
    }
    return rows;
  };
  const auto plain = ink({"Arial", kCell, 400, 0}, "|");
  const auto bold = ink({"Arial", kCell, 700, 0}, "|");
  const auto italic = ink({"Arial", kCell, 400, 1}, "|");
  ASSERT_EQ(plain[2].size(), 4u);  // one block of the bar, cell / 8 wide
  EXPECT_EQ(bold[2].size(), 4u + kCell / 16);
  EXPECT_EQ(bold[2].front(), plain[2].front());
  EXPECT_GT(italic[2].front(), plain[2].front());
  EXPECT_EQ(italic[2 + 6 * 4].front(), plain[2 + 6 * 4].front());  // the foot, glyph row 6, stays
  EXPECT_EQ(ink({"Arial", kCell, 400, 0}, "\x80\x01"), ink({"Arial", kCell, 400, 0}, "??"));
}

// The renderer's window hands its surfaces frame images with a canvas when
// made with CreateCanvasFrameImage; a plain memory window has none.
TEST(CanvasFrameImage, GivesAMemoryWindowsSurfaceADrawingContext) {
  MemoryWindow window(40, 30, CreateCanvasFrameImage);
  MemorySurface24 surface;
  ASSERT_EQ(surface.Create(&window, nullptr), kOk);
  Canvas* canvas = surface.GetDrawingDC();
  ASSERT_NE(canvas, nullptr);
  // Canvas row 6 is the frame's row 4: the two hidden guard rows come first.
  canvas->SelectPen(StockPen::kWhite);
  canvas->MoveTo(3, 6);
  canvas->LineTo(8, 6);
  surface.ReleaseDrawingDC(canvas);
  EXPECT_EQ(surface.GetPixel(3, 4), 0xFFFFFFu);
  EXPECT_EQ(surface.GetPixel(8, 4), 0u);
  surface.Present(&window);
  const uint8_t* shown = window.Rgb().data() + (4 * 40 + 7) * 3;
  EXPECT_EQ(shown[0], 255);
  EXPECT_EQ(shown[3], 0);

  MemoryWindow plain(40, 30);
  MemorySurface24 other;
  ASSERT_EQ(other.Create(&plain, nullptr), kOk);
  EXPECT_EQ(other.GetDrawingDC(), nullptr);
}

}  // namespace
}  // namespace brindlemar
