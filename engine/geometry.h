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

}  // namespace brindlemar
