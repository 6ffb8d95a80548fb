// Drawing grains: one pixel or a small pattern per grain according to the dot
// style, once or several times around the centre of the screen according to
// the reflections. Drawing is additive through the surface's AddPixel.
//
// The hot path is a template over a pixel sink: the two memory surface kinds
// pass themselves and their non-virtual AddPixelInline, any other kind goes
// through VirtualPixels. A 24-bit memory surface is drawn in batches through
// StampedPixels where the processor allows (engine/grain_plot_batch.h).
// WithPixelSink picks the sink once per frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "engine/dot_patterns.h"
#include "engine/grain_color.h"
#include "engine/grain_plot_batch.h"
#include "surfaces/draw_surface.h"

namespace brindlemar {

class ParticleField;

// Float pixel coordinate to int, truncating towards zero. Coordinates are
// held to +-2^29 first: far beyond any image, and small enough that the
// reflection offsets and pattern steps added afterwards cannot overflow.
inline int32_t TruncCoord(float v) {
  constexpr float kLimit = 536870912.0f;
  if (v > -kLimit && v < kLimit) return static_cast<int32_t>(v);
  return v >= kLimit ? 536870912 : -536870912;  // NaN lands off the image too
}

// A pixel sink for surface kinds the frame step does not know by type.
class VirtualPixels {
 public:
  explicit VirtualPixels(DrawSurface& surface) : surface_(&surface) {}
  void AddPixelInline(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) {
    surface_->AddPixel(x, y, blue, green, red);
  }

 private:
  DrawSurface* surface_;
};

// Calls fn with the sink that draws into surface: the recording sink or the
// surface itself as its memory kind where it is one, VirtualPixels otherwise.
// Everything fn draws is on the surface when this returns.
template <class Fn>
void WithPixelSink(DrawSurface& surface, Fn&& fn) {
  if (auto* s24 = dynamic_cast<MemorySurface24*>(&surface)) {
    if (CanDrawGrainBatches(*s24)) {
      StampedPixels stamps(*s24);
      fn(stamps);
      stamps.Flush();
    } else {
      fn(*s24);
    }
  } else if (auto* s16 = dynamic_cast<MemorySurface16*>(&surface)) {
    fn(*s16);
  } else {
    VirtualPixels pixels(surface);
    fn(pixels);
  }
}

// The pattern of style drawn through a pixel sink at (x, y).
template <DotStyle kStyle, class Pixels>
inline void PlotPattern(Pixels& px, int32_t x, int32_t y, int32_t c0, int32_t c1, int32_t c2) {
  constexpr const DotPattern& kPattern = PatternOf(kStyle);
#pragma GCC unroll 16
  for (int32_t q = 0; q < kPattern.count; ++q) {
    const PatternPixel& p = kPattern.pixels[q];
    px.AddPixelInline(x + p.dx, y + p.dy, c0 >> p.shift, c1 >> p.shift, c2 >> p.shift);
  }
}

// The same by address on a 24-bit memory surface, p the grain's pixel: the
// caller has made sure the whole pattern lies on the writable area.
template <DotStyle kStyle>
inline void PlotPatternAt(uint8_t* at, ptrdiff_t stride, int32_t c0, int32_t c1, int32_t c2) {
  constexpr const DotPattern& kPattern = PatternOf(kStyle);
#pragma GCC unroll 16
  for (int32_t q = 0; q < kPattern.count; ++q) {
    const PatternPixel& p = kPattern.pixels[q];
    // A row further down the screen lies a stride lower in memory.
    MemorySurface24::AddAt(at + 3 * p.dx - p.dy * stride, c0 >> p.shift, c1 >> p.shift, c2 >> p.shift);
  }
}

// Calls fn with the dot style of dotStyle's pattern as a compile-time value.
template <class Fn>
inline void WithDotStyle(int32_t dotStyle, Fn&& fn) {
  switch (DrawnDotStyle(dotStyle)) {
    case DotStyle::kDots:
      fn(std::integral_constant<DotStyle, DotStyle::kDots>{});
      break;
    case DotStyle::kSparkles:
      fn(std::integral_constant<DotStyle, DotStyle::kSparkles>{});
      break;
    case DotStyle::kFuzzies:
      fn(std::integral_constant<DotStyle, DotStyle::kFuzzies>{});
      break;
    case DotStyle::kLargeDots:
      fn(std::integral_constant<DotStyle, DotStyle::kLargeDots>{});
      break;
    case DotStyle::kVerticalBars:
      fn(std::integral_constant<DotStyle, DotStyle::kVerticalBars>{});
      break;
  }
}

// One grain at (x, y) with channel values c0, c1, c2 (blue, green, red) in
// the pattern of dotStyle; pattern pixels carry the values shifted right.
template <class Pixels>
inline void PlotGrain(Pixels& px, int32_t dotStyle, int32_t x, int32_t y, int32_t c0, int32_t c1, int32_t c2) {
  WithDotStyle(dotStyle, [&](auto style) { PlotPattern<decltype(style)::value>(px, x, y, c0, c1, c2); });
}

// The same on a 24-bit memory surface: a grain whose whole pattern lies on
// the writable area is drawn by address, without a coordinate test per pixel.
// Each pixel of a pattern is distinct, so the sums are the same.
inline void PlotGrain(MemorySurface24& s, int32_t dotStyle, int32_t x, int32_t y, int32_t c0, int32_t c1, int32_t c2) {
  WithDotStyle(dotStyle, [&](auto style) {
    if (s.WritableAround(x, y, kPatternReach.of[Stored(decltype(style)::value)])) {
      PlotPatternAt<decltype(style)::value>(s.Address(x, y), static_cast<ptrdiff_t>(s.Stride()), c0, c1, c2);
    } else {
      PlotPattern<decltype(style)::value>(s, x, y, c0, c1, c2);
    }
  });
}

// The drawing settings of one pass.
struct GrainDrawFrame {
  int32_t dotStyle;
  int32_t reflectionCount;  // 0..60
  int32_t symmetric;
  int32_t halfW;
  int32_t halfH;
  const float* reflectionCos;
  const float* reflectionSin;
};

GrainDrawFrame MakeGrainDrawFrame(const ParticleField& field);

// Draws a grain at (x, y) once, or turned by each reflection angle about the
// centre of the screen and, when symmetric, mirrored as well.
template <class Pixels>
inline void DrawGrain(Pixels& px, const GrainDrawFrame& d, float x, float y, int32_t c0, int32_t c1, int32_t c2) {
  if (d.reflectionCount == 1 && !d.symmetric) {
    PlotGrain(px, d.dotStyle, TruncCoord(x), TruncCoord(y), c0, c1, c2);
    return;
  }
  const float dx = x - static_cast<float>(d.halfW);
  const float dy = y - static_cast<float>(d.halfH);
  // Adding 10000 before truncating rounds every coordinate above -10000
  // downwards instead of towards zero.
  for (int32_t k = 0; k < d.reflectionCount; ++k) {
    const float c = d.reflectionCos[k];
    const float s = d.reflectionSin[k];
    PlotGrain(px, d.dotStyle, TruncCoord(dx * c + dy * s + 10000.0f) + d.halfW - 10000,
              TruncCoord(dy * c - dx * s + 10000.0f) + d.halfH - 10000, c0, c1, c2);
    if (d.symmetric) {
      PlotGrain(px, d.dotStyle, TruncCoord(dy * s - dx * c + 10000.0f) + d.halfW - 10000,
                TruncCoord(dx * s + dy * c + 10000.0f) + d.halfH - 10000, c0, c1, c2);
    }
  }
}

// Colour update and drawing of grains begin..end-1 in index order, from
// their positions and velocities after this frame's motion.
template <class Pixels>
inline void ColorAndDrawGrains(Pixels& px, const GrainColorPass& color, const GrainDrawFrame& draw,
                               const float* posX, const float* posY, const float* velX, const float* velY,
                               int32_t begin, int32_t end) {
  // Grains lie anywhere on a large image, so nearly every one misses the
  // cache; asking for a grain's rows a few grains ahead overlaps the misses.
  constexpr int32_t kAhead = 16;
  const bool plain = draw.reflectionCount == 1 && !draw.symmetric;
  const int32_t reach = PatternReach(draw.dotStyle);
  int32_t i = begin;
  if constexpr (std::is_same_v<Pixels, StampedPixels>) {
    if (plain) i = px.ColorAndStamp(color, draw.dotStyle, reach, posX, posY, velX, velY, begin, end);
  }
  for (; i < end; ++i) {
    if constexpr (requires { px.Prefetch(0, 0, 0); }) {
      if (plain && i + kAhead < end) px.Prefetch(TruncCoord(posX[i + kAhead]), TruncCoord(posY[i + kAhead]), reach);
    }
    UpdateGrainColor(color, i, velX[i], velY[i]);
    DrawGrain(px, draw, posX[i], posY[i], DrawnChannel(color.channels[0][i], color.colorMax),
              DrawnChannel(color.channels[1][i], color.colorMax), DrawnChannel(color.channels[2][i], color.colorMax));
  }
}

}  // namespace brindlemar
