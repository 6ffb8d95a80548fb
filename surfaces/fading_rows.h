// The order in which a window target shows a picture and fades its image in
// one pass: rows in memory order, in bands small enough to stay in the cache
// between the two.
#pragma once

#include <algorithm>
#include <cstdint>

#include "surfaces/heap_frame_image.h"
#include "surfaces/window_target.h"

namespace brindlemar {

// Walks the visible rows of an image in memory order, the bottom row of the
// picture first, in bands: show(y) for each of the top rowsShown rows (y
// counted from the top), and after each band fader.Through the band's end.
// Rows below those shown go to the fader at once. What lies past the visible
// rows is left for the caller to finish.
template <class ShowRow>
void ShowRowsFading(const BitmapHeader& header, int32_t rowsShown, ImageFader& fader, ShowRow&& show) {
  constexpr int32_t kBandRows = 16;
  const int32_t visibleRows = std::max(header.height - 2, 0);
  const uint32_t stride = RowStride(header.width, header.bitCount);
  int32_t row = visibleRows - std::clamp(rowsShown, 0, visibleRows);
  fader.Through(static_cast<uint32_t>(row) * stride);
  while (row < visibleRows) {
    const int32_t bandEnd = std::min(row + kBandRows, visibleRows);
    for (; row < bandEnd; ++row) show(visibleRows - 1 - row);
    fader.Through(static_cast<uint32_t>(bandEnd) * stride);
  }
}

}  // namespace brindlemar
