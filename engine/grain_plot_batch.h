// Grains drawn in batches on a 24-bit memory surface. The PlotGrain calls of
// a pass are recorded as stamps (position and channel values) and drawn
// eight at a time with AVX2: one vector holds the same pattern pixel of all
// eight grains, and each pixel is read and written as a whole 32-bit word.
// Eight grains go together only when their patterns lie wholly on the
// writable area and are far enough apart not to share a byte, so that no
// pixel sees its additions in another order than grain by grain; any other
// stretch is drawn one grain at a time through PlotGrain. The bytes are those
// of AddPixel either way.
//
// Used only where the processor has AVX2 and every pixel offset fits in 32
// bits (CanDrawGrainBatches); the batch kernel lives in its own translation
// unit, compiled for AVX2.
#pragma once

#include <cstdint>

#include "engine/grain_color.h"
#include "engine/modes.h"
#include "surfaces/draw_surface.h"

namespace brindlemar {

// A run of PlotGrain calls, in call order.
struct GrainStamps {
  static constexpr int32_t kCapacity = 1024;
  int32_t count = 0;
  alignas(32) int32_t x[kCapacity];
  alignas(32) int32_t y[kCapacity];
  alignas(32) int32_t c0[kCapacity];
  alignas(32) int32_t c1[kCapacity];
  alignas(32) int32_t c2[kCapacity];
};

// The image as the batch kernel sees it: plain values, so that the kernel
// calls nothing of the surface's.
struct StampImage {
  uint8_t* bits;
  int32_t stride;
  int32_t width;
  int32_t height;
};

bool CanDrawGrainBatches(const MemorySurface24& surface);

// Draws the stamps in order, eight at a time where they allow it.
void DrawGrainStamps(MemorySurface24& surface, int32_t dotStyle, const GrainStamps& stamps);

// Stamps begin + j for each bit j of lanes (j < 8), in order, one by one.
void PlotGrainStamps(MemorySurface24& surface, int32_t dotStyle, const GrainStamps& stamps, int32_t begin,
                     uint32_t lanes);

// The colour update of grains begin.. and their stamps for drawing without
// reflections, eight grains at a time while eight more fit in the record;
// their rows are brought into the cache meanwhile. Returns the first grain
// not done. Exactly UpdateGrainColor, DrawnChannel and TruncCoord per grain.
int32_t ColorAndStampGrainsAvx2(const GrainColorPass& color, const StampImage& image, int32_t reach,
                                const float* posX, const float* posY, const float* velX, const float* velY,
                                int32_t begin, int32_t end, GrainStamps& stamps);

// The AVX2 kernel behind DrawGrainStamps; drawn is DrawnDotStyle(dotStyle).
void DrawGrainStampsAvx2(const StampImage& image, MemorySurface24& surface, int32_t dotStyle, DotStyle drawn,
                         const GrainStamps& stamps);

// A pixel sink that records each PlotGrain call as a stamp and draws the
// record whenever it is full, when the dot style changes, and at Flush.
class StampedPixels {
 public:
  explicit StampedPixels(MemorySurface24& surface) : surface_(&surface) {}
  StampedPixels(const StampedPixels&) = delete;
  StampedPixels& operator=(const StampedPixels&) = delete;

  void Add(int32_t dotStyle, int32_t x, int32_t y, int32_t c0, int32_t c1, int32_t c2) {
    if (stamps_.count == GrainStamps::kCapacity || dotStyle != dotStyle_) {
      Flush();
      dotStyle_ = dotStyle;
    }
    const int32_t k = stamps_.count++;
    stamps_.x[k] = x;
    stamps_.y[k] = y;
    stamps_.c0[k] = c0;
    stamps_.c1[k] = c1;
    stamps_.c2[k] = c2;
  }
  void Flush() {
    if (stamps_.count > 0) DrawGrainStamps(*surface_, dotStyle_, stamps_);
    stamps_.count = 0;
  }
  // The rows of a grain still to be recorded are brought into the cache;
  // a record of them stays there until it is drawn.
  void Prefetch(int32_t x, int32_t y, int32_t reach) const { surface_->Prefetch(x, y, reach); }

  // Colour update and stamps of grains begin..end - 1 drawn once each in
  // dotStyle with pattern reach, eight at a time; returns the first grain
  // left for the one-by-one way (fewer than eight).
  int32_t ColorAndStamp(const GrainColorPass& color, int32_t dotStyle, int32_t reach, const float* posX,
                        const float* posY, const float* velX, const float* velY, int32_t begin, int32_t end) {
    if (dotStyle != dotStyle_) {
      Flush();
      dotStyle_ = dotStyle;
    }
    const StampImage image = {surface_->Bits(), static_cast<int32_t>(surface_->Stride()), surface_->Width(),
                              surface_->Height()};
    int32_t i = begin;
    while (end - i >= 8) {
      if (stamps_.count + 8 > GrainStamps::kCapacity) Flush();
      i = ColorAndStampGrainsAvx2(color, image, reach, posX, posY, velX, velY, i, end, stamps_);
    }
    return i;
  }

 private:
  MemorySurface24* surface_;
  int32_t dotStyle_ = 0;
  GrainStamps stamps_;
};

inline void PlotGrain(StampedPixels& px, int32_t dotStyle, int32_t x, int32_t y, int32_t c0, int32_t c1, int32_t c2) {
  px.Add(dotStyle, x, y, c0, c1, c2);
}

}  // namespace brindlemar
