// Grain motion of the running pass: each grain moves by its velocity, is
// pushed by every vortex in use and by the four edge cushions. This is the
// scalar reference: it works on plain arrays and a block of per-frame
// constants, so that a vectorised version can be checked against it bit for
// bit. Motion of a grain depends only on that grain and the constants; only
// spread and the position sums run across grains, in index order.
//
// Unsuffixed constants are doubles, as in C: an expression that mixes them
// with floats is evaluated in double and rounded once when stored.
#pragma once

#include <cmath>
#include <cstdint>

namespace brindlemar {

inline constexpr int32_t kMotionVortices = 15;

struct GrainMotionFrame {
  int32_t vortexCount;  // 0..15
  int32_t extraTwist;
  float span[kMotionVortices];  // weight squared, or cubed with extraTwist
  float vortexX[kMotionVortices];
  float vortexY[kMotionVortices];
  float offsetX[kMotionVortices];
  float offsetY[kMotionVortices];
  float horzSquish;
  float damping;
  float dampingNow;
  float gravity;
  float wallReach;
  float wallStiffness;
  int32_t width;
  int32_t height;
};

struct GrainArrays {
  float* posX;
  float* posY;
  float* velX;
  float* velY;
};

struct GrainMotionSums {
  double spread = 0.0;  // summed distance of every grain from grain 0
  float sumX = 0.0f;
  float sumY = 0.0f;
};

// Distance of pos into the cushion whose line is at `line`, on the side
// towards lower coordinates (left, top): 0 on and beyond the line.
inline float CushionDepthLow(float pos, float line, float wallReach) {
  return pos <= line ? 0.0f : std::fabs(pos - line) * wallReach;
}

// The same for the right and bottom cushions.
inline float CushionDepthHigh(float pos, float line, float wallReach) {
  return pos >= line ? 0.0f : std::fabs(pos - line) * wallReach;
}

// The push at depth d: 2 on the line, falling off with the cube of d.
inline double CushionPush(float d, float wallStiffness) { return 1 / (d * d * d * wallStiffness + 0.5); }

// The four cushions in their order (left, right, top, bottom) on a velocity,
// with the lines at -margin and size + margin.
inline void ApplyCushions(float x, float y, float& vx, float& vy, int32_t margin, int32_t width, int32_t height,
                          float wallReach, float wallStiffness) {
  const float low = static_cast<float>(-margin);
  vx = static_cast<float>(vx + CushionPush(CushionDepthLow(x, low, wallReach), wallStiffness));
  vx = static_cast<float>(
      vx - CushionPush(CushionDepthHigh(x, static_cast<float>(width + margin), wallReach), wallStiffness));
  vy = static_cast<float>(vy + CushionPush(CushionDepthLow(y, low, wallReach), wallStiffness));
  vy = static_cast<float>(
      vy - CushionPush(CushionDepthHigh(y, static_cast<float>(height + margin), wallReach), wallStiffness));
}

// Moves grains begin..end-1. Blocks must be passed in index order starting
// at 0: spread measures from grain 0 after it has moved.
void MoveGrainsScalar(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end,
                      GrainMotionSums& sums);

}  // namespace brindlemar
