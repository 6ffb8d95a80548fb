// Small plain geometry types shared by the engine, the overlays and the shell.
#pragma once

#include <cstdint>

namespace brindlemar {

struct PointI {
  int32_t x;
  int32_t y;
};

struct PointF {
  float x;
  float y;
};

struct RectI {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// The pointer as a field over place sees it: relative to the place's corner,
// or (-1, -1), no pointer, when it is elsewhere or there is none.
inline PointI PointOnField(PointI point, const RectI& place) {
  const bool on = point.x >= place.left && point.x < place.right && point.y >= place.top && point.y < place.bottom;
  if (!on || (point.x == -1 && point.y == -1)) return {-1, -1};
  return {point.x - place.left, point.y - place.top};
}

}  // namespace brindlemar
