// The choice of the batch path and the one-grain-at-a-time path it falls back
// to; compiled for the baseline processor.
#include "engine/grain_plot_batch.h"

#include <cstdint>

#include "engine/grain_plot.h"
#include "surfaces/fade_kernel.h"

namespace brindlemar {

bool CanDrawGrainBatches(const MemorySurface24& surface) {
  // The kernel addresses pixels by 32-bit signed offsets from the image start.
  const uint64_t span = static_cast<uint64_t>(surface.Stride()) * static_cast<uint64_t>(surface.Height());
  return HasAvx2() && surface.Bits() && span < (uint64_t{1} << 31);
}

void DrawGrainStamps(MemorySurface24& surface, int32_t dotStyle, const GrainStamps& stamps) {
  if (CanDrawGrainBatches(surface)) {
    const StampImage image = {surface.Bits(), static_cast<int32_t>(surface.Stride()), surface.Width(),
                              surface.Height()};
    DrawGrainStampsAvx2(image, surface, dotStyle, DrawnDotStyle(dotStyle), stamps);
    return;
  }
  for (int32_t i = 0; i < stamps.count; ++i) {
    PlotGrain(surface, dotStyle, stamps.x[i], stamps.y[i], stamps.c0[i], stamps.c1[i], stamps.c2[i]);
  }
}

void PlotGrainStamps(MemorySurface24& surface, int32_t dotStyle, const GrainStamps& stamps, int32_t begin,
                     uint32_t lanes) {
  for (int32_t j = 0; j < 8; ++j) {
    if (!(lanes >> j & 1)) continue;
    const int32_t i = begin + j;
    PlotGrain(surface, dotStyle, stamps.x[i], stamps.y[i], stamps.c0[i], stamps.c1[i], stamps.c2[i]);
  }
}

}  // namespace brindlemar
