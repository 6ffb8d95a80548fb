// The overlays: pop-up message fitting and placement, the clock face with its
// numerals and hourly alarm, and the zodiac ring, first on a recording canvas
// with exactly known text sizes, then on the platform's own canvas (Cairo and
// Pango, or GDI under Windows), where the drawn pixels are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "overlays/clock_face.h"
#include "overlays/message_overlay.h"
#include "overlays/zodiac.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "support/recording_canvas.h"
#include "surfaces/draw_surface.h"
#include "surfaces/memory_window.h"

namespace brindlemar {

// Comparison and printing for the plain geometry types, found by argument-
// dependent lookup from inside the standard containers and GoogleTest.
static bool operator==(PointI a, PointI b) { return a.x == b.x && a.y == b.y; }
static bool operator==(RectI a, RectI b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static void PrintTo(PointI p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
static void PrintTo(const RectI& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

using testing::RecordingCanvas;

// A field of the given frame size over an empty store and a manual clock,
// with a recording canvas to draw on.
struct OverlayRig {
  explicit OverlayRig(int32_t w = 800, int32_t h = 600) {
    clock.tick = 5000;
    field = std::make_unique<ParticleField>(store, clock);
    field->width = w;
    field->height = h;
  }

  void SetMessage(const char* name, const std::string& text) {
    store.CreateKey(kMessagesKey, nullptr);
    WriteString(store, kMessagesKey, name, text);
  }

  std::vector<int32_t> HeightsTried() const {
    std::vector<int32_t> heights;
    for (const FontSpec& f : canvas.fonts) heights.push_back(f.height);
    return heights;
  }

  // The one text drawn for display, after the measuring calls.
  const RecordingCanvas::TextCall& Drawn() const { return canvas.texts.back(); }

  MemoryStore store;
  ManualClock clock;
  std::unique_ptr<ParticleField> field;
  RecordingCanvas canvas;
};

// The point at length from (cx, cy) in the direction that is deg degrees
// clockwise from straight up.
PointI Toward(int32_t cx, int32_t cy, double deg, double length, double* x = nullptr) {
  const double a = deg * std::numbers::pi / 180;
  const double px = cx + length * std::sin(a);
  if (x) *x = px;
  return PointI{static_cast<int32_t>(std::lround(px)), static_cast<int32_t>(std::lround(cy - length * std::cos(a)))};
}

::testing::AssertionResult PointNear(PointI p, PointI want) {
  if (std::abs(p.x - want.x) <= 1 && std::abs(p.y - want.y) <= 1) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ") is not within a pixel of (" << want.x << ", "
                                       << want.y << ")";
}

// --- Pop-up messages ---------------------------------------------------------

const std::vector<int32_t> kAllHeights = {96, 86, 77, 69, 62, 55, 49, 44, 39, 35, 31, 27,
                                          24, 21, 18, 16, 14, 12, 10, 9,  8,  7,  6};

TEST(MessageOverlay, FontStepsDownByTenthsUntilTheTextFits) {
  struct Case {
    std::string text;
    int32_t width;
    std::vector<int32_t> heights;
  };
  // Every character is half as wide as the font is high; the text must fit
  // in width - 20.
  const Case cases[] = {
      {"Hi", 800, {96}},
      {"0123456789", 500, {96}},      // exactly 480 wide
      {"0123456789", 499, {96, 86}},  // one pixel too wide at 96
      {std::string(40, 'x'), 800, {96, 86, 77, 69, 62, 55, 49, 44, 39}},
      {std::string(300, 'x'), 800, kAllHeights},  // too wide even at 6: drawn at 6
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    OverlayRig rig(c.width, 600);
    rig.SetMessage("Message1", c.text);
    DrawMessage(*rig.field, rig.canvas);
    EXPECT_EQ(rig.HeightsTried(), c.heights);
    EXPECT_EQ(rig.Drawn().fontHeight, c.heights.back());
    EXPECT_EQ(rig.Drawn().format, kTextCenter);
    EXPECT_EQ(rig.Drawn().text, c.text);
    for (size_t k = 0; k + 1 < rig.canvas.texts.size(); ++k) {
      EXPECT_EQ(rig.canvas.texts[k].format, kTextCenter | kTextCalcRect);
    }
  }
}

TEST(MessageOverlay, BackslashRBreaksTheLine) {
  struct Case {
    std::string stored;
    std::string drawn;
    int32_t lines;
  };
  const Case cases[] = {
      {"Hello\\rWorld", "Hello\r World", 2},
      {"a\\rb\\rc", "a\r b\r c", 3},
      {"\\r\\r", "\r \r ", 3},
      {"C:\\new\\", "C:\\new\\", 1},  // no other escape; a trailing backslash stays
      {"R\\R", "R\\R", 1},            // only a lower-case r breaks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    OverlayRig rig(800, 600);
    rig.SetMessage("Message1", c.stored);
    DrawMessage(*rig.field, rig.canvas);
    EXPECT_EQ(rig.Drawn().text, c.drawn);
    // The first measurement sizes the block as lines times one line's height.
    const RectI& first = rig.canvas.texts.front().rect;
    EXPECT_EQ(first.bottom - first.top, 96 * c.lines);
    EXPECT_EQ(first.top, 300 - 96 * c.lines / 2);
  }
}

TEST(MessageOverlay, TwoLinesAreCentredAsOneBlockWithALeadingBlank) {
  OverlayRig rig(800, 600);
  rig.SetMessage("Message1", "Hello\\rWorld");
  DrawMessage(*rig.field, rig.canvas);
  ASSERT_EQ(rig.HeightsTried(), std::vector<int32_t>{96});
  EXPECT_EQ(RecordingCanvas::Lines(rig.Drawn().text), (std::vector<std::string>{"Hello", " World"}));
  // 2 x 96 measured, plus 6, centred on 300.
  EXPECT_EQ(rig.Drawn().rect, (RectI{10, 201, 790, 399}));
  EXPECT_EQ(rig.field->messageRect, (RectI{10, 191, 790, 409}));
}

TEST(MessageOverlay, MessageRectIsTwentyNarrowerThanTheFrameAndTenBeyondTheBlock) {
  struct Case {
    int32_t width;
    int32_t height;
    std::string text;
    int32_t top;  // of the drawn block
    int32_t bottom;
  };
  const Case cases[] = {
      {800, 600, "Short", 249, 351},
      {801, 601, "Short", 249, 351},               // odd sizes: integer halves
      {640, 480, std::string(60, 'w'), 227, 254},  // fits at 21: 21 + 6 = 27
      {320, 200, "a\\rb\\rc\\rd", -95, 295},       // taller than the frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    OverlayRig rig(c.width, c.height);
    rig.SetMessage("Message1", c.text);
    DrawMessage(*rig.field, rig.canvas);
    EXPECT_EQ(rig.Drawn().rect, (RectI{10, c.top, c.width - 10, c.bottom}));
    EXPECT_EQ(rig.field->messageRect, (RectI{10, c.top - 10, c.width - 10, c.bottom + 10}));
  }
}

TEST(MessageOverlay, ReadsTheValueOfMessageIndexPlusOne) {
  OverlayRig rig;
  rig.SetMessage("Message1", "first");
  rig.SetMessage("Message3", "third");
  const struct {
    int32_t index;
    const char* text;
  } cases[] = {{0, "first"}, {2, "third"}, {1, "Your message goes here!"}};
  for (const auto& c : cases) {
    rig.field->messageIndex = c.index;
    DrawMessage(*rig.field, rig.canvas);
    EXPECT_EQ(rig.Drawn().text, c.text) << c.index;
  }
}

TEST(MessageOverlay, MissingKeyGivesTheDefaultTextInArial) {
  OverlayRig rig;
  DrawMessage(*rig.field, rig.canvas);
  EXPECT_EQ(rig.Drawn().text, "Your message goes here!");
  ASSERT_FALSE(rig.canvas.fonts.empty());
  EXPECT_EQ(rig.canvas.fonts[0].face, "Arial");
  EXPECT_EQ(rig.canvas.fonts[0].weight, 700);
  EXPECT_EQ(rig.canvas.fonts[0].italic, 1);
}

TEST(MessageOverlay, FaceAndStyleComeFromTheStoreAndTheField) {
  OverlayRig rig;
  rig.SetMessage("Message1", std::string(40, 'x'));
  rig.SetMessage("Font", "Courier New");
  rig.field->fontWeight = 400;
  rig.field->fontItalic = 0;
  DrawMessage(*rig.field, rig.canvas);
  ASSERT_GT(rig.canvas.fonts.size(), 1u);
  for (const FontSpec& f : rig.canvas.fonts) {
    EXPECT_EQ(f.face, "Courier New");
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(f.italic, 0);
  }
}

// A message is read whole up to the longest line the messages dialog
// stores (its whole text box); only a longer value keeps the default.
TEST(MessageOverlay, ValuesBeyondTheirBuffersKeepTheDefaults) {
  OverlayRig rig;
  rig.SetMessage("Message1", std::string(16384, 'x'));  // 16385 bytes with the NUL
  rig.SetMessage("Font", std::string(256, 'f'));
  DrawMessage(*rig.field, rig.canvas);
  EXPECT_EQ(rig.Drawn().text, "Your message goes here!");
  EXPECT_EQ(rig.canvas.fonts[0].face, "Arial");

  for (size_t length : {size_t{512}, size_t{600}, size_t{16383}}) {
    SCOPED_TRACE(length);
    rig.SetMessage("Message1", std::string(length, 'x'));
    rig.SetMessage("Font", std::string(255, 'f'));
    DrawMessage(*rig.field, rig.canvas);
    EXPECT_EQ(rig.Drawn().text, std::string(length, 'x'));
    EXPECT_EQ(rig.canvas.fonts.back().face, std::string(255, 'f'));
  }
}

TEST(MessageOverlay, ReadsTheStoreAfreshOnEveryCall) {
  OverlayRig rig;
  rig.SetMessage("Message1", "before");
  DrawMessage(*rig.field, rig.canvas);
  rig.SetMessage("Message1", "after");
  DrawMessage(*rig.field, rig.canvas);
  EXPECT_EQ(rig.Drawn().text, "after");
}

TEST(MessageOverlay, DrawsWhiteOnTransparentAndGivesBackTheCanvasAsFound) {
  OverlayRig rig;
  rig.SetMessage("Message1", std::string(40, 'x'));
  std::unique_ptr<CanvasFont> own = rig.canvas.CreateFont(FontSpec{"Own", 12, 400, 0});
  rig.canvas.fonts.clear();
  rig.canvas.SelectFont(own.get());
  DrawMessage(*rig.field, rig.canvas);
  EXPECT_EQ(rig.canvas.fonts.size(), 9u);
  EXPECT_EQ(rig.canvas.selected, own.get());
  EXPECT_EQ(rig.canvas.liveFonts, 1);  // every font made here is gone again
  EXPECT_EQ(rig.canvas.pen, StockPen::kWhite);
  EXPECT_EQ(rig.Drawn().color, 0xFFFFFFu);
  EXPECT_EQ(rig.canvas.background, Background::kTransparent);
  EXPECT_NE(rig.Drawn().font, own.get());
}

// --- Clock face --------------------------------------------------------------

LocalTime At(int32_t hour, int32_t minute, int32_t second, int32_t month = 1, int32_t day = 1) {
  LocalTime t;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

// Paths in drawing order: second hand, minute hand, hour hand, then the
// numerals 1 to 12 (10, 11 and 12 with two strokes each).
constexpr size_t kSecondHand = 0;
constexpr size_t kMinuteHand = 1;
constexpr size_t kHourHand = 2;

TEST(ClockFace, HandsPointAtTheTime) {
  struct Case {
    LocalTime time;
    double second, minute, hour;  // degrees clockwise from straight up
  };
  const Case cases[] = {
      {At(12, 0, 0), 0, 0, 0},  {At(3, 0, 0), 0, 0, 90},           {At(6, 30, 0), 0, 180, 195},
      {At(15, 0, 0), 0, 0, 90}, {At(9, 45, 30), 180, 273, 292.75}, {At(0, 0, 15), 90, 1.5, 0.125},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.time.hour << ":" << c.time.minute << ":" << c.time.second);
    OverlayRig rig(960, 540);
    DrawClockFace(*rig.field, rig.canvas, c.time, 1, 0);
    const auto& paths = rig.canvas.paths;
    ASSERT_EQ(paths.size(), 3u + 15u);
    const PointI centre{480, 270};

    ASSERT_EQ(paths[kSecondHand].size(), 2u);
    EXPECT_EQ(paths[kSecondHand][0], centre);
    EXPECT_TRUE(PointNear(paths[kSecondHand][1], Toward(480, 270, c.second, 216)));

    struct Hand {
      size_t path;
      double deg, spread, shoulder, tip;
    };
    const Hand hands[] = {{kMinuteHand, c.minute, 0.07, 81, 216}, {kHourHand, c.hour, 0.15, 54, 135}};
    for (const Hand& h : hands) {
      const auto& p = paths[h.path];
      ASSERT_EQ(p.size(), 5u);
      EXPECT_EQ(p[0], centre);
      const double spread = h.spread * 180 / std::numbers::pi;
      EXPECT_TRUE(PointNear(p[1], Toward(480, 270, h.deg - spread, h.shoulder)));
      EXPECT_TRUE(PointNear(p[2], Toward(480, 270, h.deg, h.tip)));
      EXPECT_TRUE(PointNear(p[3], Toward(480, 270, h.deg + spread, h.shoulder)));
      EXPECT_EQ(p[4], centre);
    }
  }
}

TEST(ClockFace, AtMidnightEveryHandStandsStraightUpToItsLength) {
  OverlayRig rig(960, 540);
  DrawClockFace(*rig.field, rig.canvas, At(0, 0, 0), 0, 0);
  const auto& paths = rig.canvas.paths;
  ASSERT_EQ(paths.size(), 3u);  // no numerals without the flag
  EXPECT_EQ(paths[kSecondHand], (std::vector<PointI>{{480, 270}, {480, 54}}));
  EXPECT_EQ(paths[kMinuteHand][2], (PointI{480, 54}));
  EXPECT_EQ(paths[kHourHand][2], (PointI{480, 135}));
}

TEST(ClockFace, NumeralsOfSizeTwentyOnARadiusOf243) {
  OverlayRig rig(960, 540);
  DrawClockFace(*rig.field, rig.canvas, At(12, 0, 0), 1, 0);
  size_t next = kHourHand + 1;
  for (int32_t n = 1; n <= 12; ++n) {
    SCOPED_TRACE(n);
    double cx = 0;
    const PointI centre = Toward(480, 270, n * 30.0, 243, &cx);
    RecordingCanvas expected;
    DrawNumeral(expected, cx, 270 - 243 * std::cos(n * std::numbers::pi / 6), n, 20);
    int32_t top = 1 << 30, bottom = -(1 << 30);
    for (const auto& want : expected.paths) {
      ASSERT_LT(next, rig.canvas.paths.size());
      const auto& got = rig.canvas.paths[next++];
      ASSERT_EQ(got.size(), want.size());
      for (size_t k = 0; k < got.size(); ++k) {
        EXPECT_TRUE(PointNear(got[k], want[k]));
        top = std::min(top, got[k].y);
        bottom = std::max(bottom, got[k].y);
      }
    }
    EXPECT_NEAR(bottom - top, 40, 1);
    EXPECT_NEAR((top + bottom) / 2.0, centre.y, 1);
  }
  EXPECT_EQ(next, rig.canvas.paths.size());
}

TEST(ClockFace, FiveSecondsBeforeTheHourStartsATransition) {
  struct Case {
    LocalTime time;
    int32_t numerals;
    int32_t stateBefore;
    int32_t stateAfter;
  };
  const Case cases[] = {
      {At(10, 59, 55), 1, 0, 1}, {At(10, 59, 54), 1, 0, 0}, {At(10, 59, 56), 1, 0, 0},
      {At(23, 59, 55), 1, 0, 1}, {At(10, 59, 55), 0, 0, 0},  // no alarm without the numerals
      {At(10, 59, 55), 1, 2, 2},                             // a transition is already running
  };
  for (const Case& c : cases) {
    OverlayRig rig(960, 540);
    rig.field->transitionState = c.stateBefore;
    rig.field->phaseTick = 77;
    rig.clock.tick = 123456;
    DrawClockFace(*rig.field, rig.canvas, c.time, c.numerals, 0);
    EXPECT_EQ(rig.field->transitionState, c.stateAfter) << c.time.second << " " << c.numerals;
    EXPECT_EQ(rig.field->phaseTick, c.stateAfter != c.stateBefore ? 123456u : 77u);
  }
}

TEST(ClockFace, NumeralGlyphsLeanRightAndTruncateTowardZero) {
  struct Case {
    double cx, cy;
    int32_t numeral, size;
    std::vector<std::vector<PointI>> paths;
  };
  const Case cases[] = {
      {100, 200, 7, 20, {{{91, 180}, {111, 180}, {108, 220}}}},
      {100, 200, 1, 20, {{{101, 180}, {98, 220}}}},
      {100, 200, 10, 20, {{{89, 180}, {86, 220}}, {{103, 180}, {123, 180}, {120, 220}, {100, 220}, {103, 180}}}},
      {100, 200, 11, 20, {{{89, 180}, {86, 220}}, {{113, 180}, {110, 220}}}},
      {100.5, 50.5, 4, 10, {{{96, 40}, {95, 50}, {105, 50}, {106, 40}, {104, 60}}}},
      // Left of and above the frame: -9.7 becomes -9, not -10.
      {-10.5, -20.5, 1, 10, {{{-9, -30}, {-11, -10}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.numeral);
    RecordingCanvas canvas;
    DrawNumeral(canvas, c.cx, c.cy, c.numeral, c.size);
    EXPECT_EQ(canvas.paths, c.paths);
  }
  for (int32_t outside : {0, 13, -1}) {
    RecordingCanvas canvas;
    DrawNumeral(canvas, 100, 100, outside, 20);
    EXPECT_TRUE(canvas.paths.empty()) << outside;
  }
}

TEST(ClockFace, EveryNumeralHasItsStrokeCount) {
  const size_t points[12][2] = {{2, 0}, {6, 0}, {7, 0}, {5, 0}, {6, 0}, {6, 0},
                                {3, 0}, {7, 0}, {6, 0}, {2, 5}, {2, 2}, {2, 6}};
  for (int32_t n = 1; n <= 12; ++n) {
    RecordingCanvas canvas;
    DrawNumeral(canvas, 0, 0, n, 10);
    ASSERT_EQ(canvas.paths.size(), points[n - 1][1] ? 2u : 1u) << n;
    EXPECT_EQ(canvas.paths[0].size(), points[n - 1][0]) << n;
    if (points[n - 1][1]) {
      EXPECT_EQ(canvas.paths[1].size(), points[n - 1][1]) << n;
    }
  }
}

// --- Zodiac ------------------------------------------------------------------

struct ZodiacRig : OverlayRig {
  ZodiacRig() : OverlayRig(960, 540) { wingdings = canvas.CreateFont(FontSpec{"Wingdings", 540 / 13, 150, 0}); }
  std::unique_ptr<CanvasFont> wingdings;
};

TEST(Zodiac, RingStandsByTheDate) {
  struct Case {
    LocalTime time;
    double ariesDeg;  // clockwise from straight up
  };
  const Case cases[] = {
      {At(0, 0, 0, 1, 6), 270},  // 6 January: Aries straight left
      {At(6, 0, 0, 4, 7), 0},    // a quarter year later: straight up
      {At(0, 0, 0, 1, 1), 270 - 5 * 360 / 365.0},
      {At(12, 0, 0, 7, 6), 270 + 181.5 * 360 / 365.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ariesDeg);
    ZodiacRig rig;
    rig.clock.local = c.time;
    DrawZodiac(*rig.field, rig.canvas, rig.wingdings.get());
    ASSERT_EQ(rig.canvas.texts.size(), 12u);
    for (int32_t i = 0; i < 12; ++i) {
      const auto& t = rig.canvas.texts[i];
      EXPECT_EQ(t.text, std::string(1, static_cast<char>(0x5E + i)));
      EXPECT_EQ(t.format, kTextCenter | kTextVCenter | kTextSingleLine);
      EXPECT_EQ(t.font, rig.wingdings.get());
      EXPECT_EQ(t.rect.right - t.rect.left, 2 * (960 / 28));
      EXPECT_EQ(t.rect.bottom - t.rect.top, 2 * (960 / 28));
      // Each later sign 30 degrees further counter-clockwise, on a radius of
      // 0.35 of the width.
      const PointI centre{(t.rect.left + t.rect.right) / 2, (t.rect.top + t.rect.bottom) / 2};
      EXPECT_TRUE(PointNear(centre, Toward(480, 270, c.ariesDeg - 30 * i, 336))) << i;
    }
  }
}

TEST(Zodiac, SixthOfJanuaryExactly) {
  ZodiacRig rig;
  rig.clock.local = At(0, 0, 0, 1, 6);
  DrawZodiac(*rig.field, rig.canvas, rig.wingdings.get());
  EXPECT_EQ(rig.canvas.texts[0].rect, (RectI{144 - 34, 270 - 34, 144 + 34, 270 + 34}));
  EXPECT_EQ(rig.canvas.texts[3].rect, (RectI{480 - 34, 606 - 34, 480 + 34, 606 + 34}));
  EXPECT_EQ(rig.canvas.texts[6].rect, (RectI{816 - 34, 270 - 34, 816 + 34, 270 + 34}));
}

TEST(Zodiac, ColoursDriftWithTheTickAndDifferBySign) {
  ZodiacRig rig;
  rig.clock.tick = 0;
  DrawZodiac(*rig.field, rig.canvas, rig.wingdings.get());
  // All phases 0: the first sign has 255 x 0.5^0.38 in every channel.
  EXPECT_EQ(rig.canvas.texts[0].color, 0xC3C3C3u);

  auto colours = [&](uint32_t tick) {
    rig.clock.tick = tick;
    rig.canvas.texts.clear();
    DrawZodiac(*rig.field, rig.canvas, rig.wingdings.get());
    std::vector<uint32_t> c;
    for (const auto& t : rig.canvas.texts) c.push_back(t.color);
    return c;
  };
  for (uint32_t tick : {1u, 66000u, 1234567u, 4000000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(tick);
    const std::vector<uint32_t> first = colours(tick);
    const double t = tick / 66000.0;
    const ZodiacPhases phases = ZodiacColourPhases(tick);
    EXPECT_NEAR(phases.blue, t * 29.3, 1e-6 * (1 + t));
    EXPECT_NEAR(phases.green, t * -18.10839587, 1e-6 * (1 + t));
    EXPECT_NEAR(phases.red, t * 11.19160413, 1e-6 * (1 + t));
    EXPECT_EQ(colours(tick), first);
    EXPECT_EQ(first.size(), 12u);
    for (uint32_t c : first) EXPECT_EQ(c & 0xFF000000u, 0u);
    for (int32_t i = 1; i < 12; ++i) EXPECT_NE(first[i], first[0]) << i;
    EXPECT_NE(colours(tick + 66000), first);
  }
}

TEST(Zodiac, SetsUpTheCanvasAndRestoresTheFont) {
  ZodiacRig rig;
  std::unique_ptr<CanvasFont> before = rig.canvas.CreateFont(FontSpec{"Before", 10, 400, 0});
  rig.canvas.SelectFont(before.get());
  DrawZodiac(*rig.field, rig.canvas, rig.wingdings.get());
  EXPECT_EQ(rig.canvas.selected, before.get());
  EXPECT_EQ(rig.canvas.pen, StockPen::kWhite);
  EXPECT_EQ(rig.canvas.backgroundColor, 0u);
  EXPECT_EQ(rig.canvas.background, Background::kTransparent);
  EXPECT_TRUE(rig.canvas.paths.empty());
}

TEST(Zodiac, FiveSecondsBeforeTheHourStartsATransitionAndTurnsTheReflections) {
  struct Case {
    LocalTime time;
    int32_t stateBefore;
    bool fires;
  };
  const Case cases[] = {
      {At(10, 59, 55, 3, 14), 0, true},
      {At(10, 59, 54, 3, 14), 0, false},
      {At(10, 0, 55, 3, 14), 0, false},
      {At(10, 59, 55, 3, 14), 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time.second);
    ZodiacRig rig;
    rig.field->showClock = 1;
    rig.field->overlayStyle = 1;
    rig.field->reflectionCount = 3;
    rig.field->reflectionCos[0] = 0;
    rig.field->clearPending = 0;
    rig.field->transitionState = c.stateBefore;
    rig.field->phaseTick = 77;
    rig.clock.local = c.time;
    rig.clock.tick = 99999;
    DrawZodiac(*rig.field, rig.canvas, rig.wingdings.get());
    EXPECT_EQ(rig.field->transitionState, c.fires ? 1 : c.stateBefore);
    EXPECT_EQ(rig.field->phaseTick, c.fires ? 99999u : 77u);
    EXPECT_EQ(rig.field->clearPending, c.fires ? 1 : 0);
    EXPECT_EQ(rig.field->reflectionCount, 3);
    EXPECT_EQ(rig.field->reflectionCos[0] != 0, c.fires);
  }
}

// --- On the platform's own canvas --------------------------------------------

// A field drawing into a 24-bit memory surface whose frame image carries the
// platform's canvas (Cairo and Pango, or GDI under Windows), watched through a
// recorder that passes every call on.
struct PlatformCanvasRig {
  PlatformCanvasRig(int32_t w, int32_t h) : window(w, h, CreateCanvasFrameImage) {
    clock.tick = 5000;
    field = std::make_unique<ParticleField>(store, clock);
    field->BindWindow(&window, 1);
    field->CreateMemorySurface24();
    if (field->surface) canvas = field->surface->GetDrawingDC();
    if (canvas) recorder = std::make_unique<RecordingCanvas>(canvas);
  }
  ~PlatformCanvasRig() {
    if (canvas) field->surface->ReleaseDrawingDC(canvas);
  }

  void SetMessage(const char* name, const std::string& text) {
    store.CreateKey(kMessagesKey, nullptr);
    WriteString(store, kMessagesKey, name, text);
  }

  // The canvas counts the frame's two hidden guard rows first, so the
  // frame's row y is the canvas's row y + 2.
  static constexpr int32_t kGuardRows = 2;

  // The lit pixels of the frame, in canvas coordinates.
  std::vector<PointI> LitPixels() const {
    std::vector<PointI> lit;
    for (int32_t y = 0; y < field->height; ++y) {
      for (int32_t x = 0; x < field->width; ++x) {
        if (field->surface->GetPixel(x, y) != 0) lit.push_back(PointI{x, y + kGuardRows});
      }
    }
    return lit;
  }
  // The frame's colour at a point given in canvas coordinates.
  uint32_t CanvasPixel(int32_t x, int32_t y) const { return field->surface->GetPixel(x, y - kGuardRows); }

  MemoryStore store;
  ManualClock clock;
  MemoryWindow window;
  std::unique_ptr<ParticleField> field;
  Canvas* canvas = nullptr;
  std::unique_ptr<RecordingCanvas> recorder;
};

bool Inside(PointI p, const RectI& r) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

TEST(MessageOverlayOnCanvas, HeightsStepDownUntilThePlatformSaysTheTextFits) {
  struct Case {
    std::string text;
    size_t fewest, most;  // heights tried
  };
  const Case cases[] = {
      {"Hi", 1, 1},
      {"Grains of light settle on every letter of this long line of text", 3, kAllHeights.size() - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PlatformCanvasRig rig(800, 600);
    ASSERT_NE(rig.recorder, nullptr);
    rig.SetMessage("Message1", c.text);
    DrawMessage(*rig.field, *rig.recorder);
    const auto& fonts = rig.recorder->fonts;
    ASSERT_GE(fonts.size(), c.fewest);
    ASSERT_LE(fonts.size(), c.most);
    for (size_t k = 0; k < fonts.size(); ++k) EXPECT_EQ(fonts[k].height, kAllHeights[k]);
    // One measurement per height: only the last one fits.
    const auto& texts = rig.recorder->texts;
    ASSERT_EQ(texts.size(), fonts.size() + 1);
    for (size_t k = 0; k < fonts.size(); ++k) {
      EXPECT_EQ(texts[k].result.left, 10);
      EXPECT_EQ(texts[k].result.right <= 790, k + 1 == fonts.size()) << k;
    }
    EXPECT_EQ(texts.back().fontHeight, fonts.back().height);
    EXPECT_EQ(rig.recorder->liveFonts, 0);
  }
}

TEST(MessageOverlayOnCanvas, TwoLinesMeasureAsTwoLinesAndDrawInTwoBands) {
  PlatformCanvasRig rig(800, 600);
  ASSERT_NE(rig.recorder, nullptr);
  rig.SetMessage("Message1", "Hello\\rWorld");
  DrawMessage(*rig.field, *rig.recorder);
  const auto& texts = rig.recorder->texts;
  ASSERT_EQ(texts.size(), 2u);
  const int32_t measured = texts[0].rect.bottom - texts[0].rect.top;  // 2 x the extent's height
  EXPECT_EQ(texts[0].result.bottom - texts[0].result.top, measured);
  const RectI drawn = texts[1].rect;
  EXPECT_EQ(drawn.bottom - drawn.top, measured + 6);
  EXPECT_EQ(drawn.top, 300 - (measured + 6) / 2);

  const int32_t split = drawn.top + measured / 2;
  int32_t upper = 0, lower = 0;
  for (PointI p : rig.LitPixels()) (p.y < split ? upper : lower) += 1;
  EXPECT_GT(upper, 50);
  EXPECT_GT(lower, 50);
}

// Words, so that the text has glyphs and gaps all along.
const std::string kLongestLine = [] {
  std::string line;
  while (line.size() < 16383) line += "Long line ";
  return line.substr(0, 16383);
}();

TEST(MessageOverlayOnCanvas, WhitePixelsLieInsideMessageRect) {
  const struct {
    int32_t width, height;
    const char* text;
  } cases[] = {{800, 600, "Your message goes here!"},
               {640, 480, "Two\\rlines"},
               {321, 241, "Narrow frame, long text"},
               // The longest line the messages dialog stores: drawn at the
               // smallest height and cut off by the frame.
               {800, 600, kLongestLine.c_str()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text).substr(0, 40));
    PlatformCanvasRig rig(c.width, c.height);
    ASSERT_NE(rig.recorder, nullptr);
    rig.SetMessage("Message1", c.text);
    DrawMessage(*rig.field, *rig.recorder);
    const RectI drawn = rig.recorder->texts.back().rect;
    const RectI& m = rig.field->messageRect;
    EXPECT_EQ(m, (RectI{10, drawn.top - 10, c.width - 10, drawn.bottom + 10}));
    const std::vector<PointI> lit = rig.LitPixels();
    EXPECT_GT(lit.size(), 100u);
    int32_t bright = 0;
    for (PointI p : lit) {
      EXPECT_TRUE(Inside(p, m)) << p.x << ", " << p.y;
      if (rig.CanvasPixel(p.x, p.y) >= 0xC8C8C8u) ++bright;
    }
    EXPECT_GT(bright, 50);
  }
}

double DistanceToSegment(PointI p, PointI a, PointI b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

TEST(ClockFaceOnCanvas, LinesLandWhereTheFaceDrawsThem) {
  for (const LocalTime& time : {At(0, 0, 0), At(9, 45, 30), At(6, 30, 0)}) {
    SCOPED_TRACE(::testing::Message() << time.hour << ":" << time.minute << ":" << time.second);
    PlatformCanvasRig rig(960, 540);
    ASSERT_NE(rig.recorder, nullptr);
    rig.recorder->SelectPen(StockPen::kWhite);
    DrawClockFace(*rig.field, *rig.recorder, time, 1, 0);
    const auto& paths = rig.recorder->paths;
    ASSERT_EQ(paths.size(), 18u);
    const std::vector<PointI> lit = rig.LitPixels();
    for (PointI p : lit) {
      double nearest = 1e9;
      for (const auto& path : paths) {
        for (size_t k = 1; k < path.size(); ++k) {
          nearest = std::min(nearest, DistanceToSegment(p, path[k - 1], path[k]));
        }
      }
      EXPECT_LE(nearest, 1.0) << p.x << ", " << p.y;
    }
    // The middle of every stroke is drawn, in white.
    for (const auto& path : paths) {
      for (size_t k = 1; k < path.size(); ++k) {
        const PointI mid{(path[k - 1].x + path[k].x) / 2, (path[k - 1].y + path[k].y) / 2};
        bool found = false;
        for (int32_t dy = -1; dy <= 1 && !found; ++dy) {
          for (int32_t dx = -1; dx <= 1 && !found; ++dx) {
            found = rig.CanvasPixel(mid.x + dx, mid.y + dy) == 0xFFFFFFu;
          }
        }
        EXPECT_TRUE(found) << mid.x << ", " << mid.y;
      }
    }
  }
}

}  // namespace
}  // namespace brindlemar
