// The pattern of each dot style: the pixels drawn around a grain and the right
// shift of the grain's channel values at each. One table for every way of
// drawing grains (through a pixel sink, by address on a 24-bit surface, eight
// at a time with AVX2), and the pattern's reach derived from it.
//
// Only constexpr data and functions evaluated at compile time: the AVX2
// translation unit reads it, and must not call inline code it would share
// with code built for the baseline processor.
#pragma once

#include <cstdint>

#include "engine/modes.h"

namespace brindlemar {

struct PatternPixel {
  int32_t dx;
  int32_t dy;  // rows further down the screen
  int32_t shift;
};

struct DotPattern {
  int32_t count;
  PatternPixel pixels[9];
};

// By stored dot style. The pixels of a pattern are distinct, so the order is
// free; it is row by row, each row left to right, as the AVX2 kernel needs
// (a pixel is written back as a 32-bit word whose fourth byte is the next
// pixel's first, and that pixel's own write must come later).
inline constexpr DotPattern kDotPatterns[kDotStyleCount] = {
    {1, {{0, 0, 0}}},  // Dots
    {9,                // Sparkles
     {{0, -2, 2}, {0, -1, 1}, {-2, 0, 2}, {-1, 0, 1}, {0, 0, 0}, {1, 0, 1}, {2, 0, 2}, {0, 1, 1}, {0, 2, 2}}},
    {9,  // Fuzzies
     {{-1, -1, 2}, {0, -1, 1}, {1, -1, 2}, {-1, 0, 1}, {0, 0, 0}, {1, 0, 1}, {-1, 1, 2}, {0, 1, 1}, {1, 1, 2}}},
    {4, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}},  // Large Dots
    {7, {{0, -3, 3}, {0, -2, 2}, {0, -1, 1}, {0, 0, 0}, {0, 1, 1}, {0, 2, 2}, {0, 3, 3}}},  // Vertical Bars
};

// The style whose pattern a stored dot style draws: 0 and below a single
// pixel, any number past the list the fuzzy pattern.
constexpr DotStyle DrawnDotStyle(int32_t dotStyle) {
  if (dotStyle <= 0) return DotStyle::kDots;
  return dotStyle < kDotStyleCount ? ModeOf<DotStyle>(dotStyle) : DotStyle::kFuzzies;
}

constexpr const DotPattern& PatternOf(DotStyle style) { return kDotPatterns[Stored(style)]; }

// The pattern's extent around the grain, in pixels.
struct PatternBounds {
  int32_t left, right, top, bottom;
};

constexpr PatternBounds BoundsOf(const DotPattern& pattern) {
  PatternBounds b = {0, 0, 0, 0};
  for (int32_t q = 0; q < pattern.count; ++q) {
    const PatternPixel& p = pattern.pixels[q];
    b.left = p.dx < b.left ? p.dx : b.left;
    b.right = p.dx > b.right ? p.dx : b.right;
    b.top = p.dy < b.top ? p.dy : b.top;
    b.bottom = p.dy > b.bottom ? p.dy : b.bottom;
  }
  return b;
}

// How far the pattern reaches from the grain in any direction.
constexpr int32_t ReachOf(const DotPattern& pattern) {
  const PatternBounds b = BoundsOf(pattern);
  int32_t reach = -b.left;
  for (int32_t side : {b.right, -b.top, b.bottom}) reach = side > reach ? side : reach;
  return reach;
}

struct PatternReaches {
  int32_t of[kDotStyleCount];
};

constexpr PatternReaches ReachesOf(const DotPattern (&patterns)[kDotStyleCount]) {
  PatternReaches r = {};
  for (int32_t s = 0; s < kDotStyleCount; ++s) r.of[s] = ReachOf(patterns[s]);
  return r;
}

inline constexpr PatternReaches kPatternReach = ReachesOf(kDotPatterns);

// Row by row and left to right within a row, each pixel once.
constexpr bool RowByRow(const DotPattern& pattern) {
  for (int32_t q = 1; q < pattern.count; ++q) {
    const PatternPixel& a = pattern.pixels[q - 1];
    const PatternPixel& b = pattern.pixels[q];
    if (a.dy > b.dy || (a.dy == b.dy && a.dx >= b.dx)) return false;
  }
  return true;
}
static_assert(RowByRow(kDotPatterns[0]) && RowByRow(kDotPatterns[1]) && RowByRow(kDotPatterns[2]) &&
              RowByRow(kDotPatterns[3]) && RowByRow(kDotPatterns[4]));

constexpr int32_t PatternReach(int32_t dotStyle) { return kPatternReach.of[Stored(DrawnDotStyle(dotStyle))]; }

}  // namespace brindlemar
