// The scalar grain motion of the running pass.
#include "engine/grain_motion.h"

namespace brindlemar {

void MoveGrainsScalar(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end,
                      GrainMotionSums& sums) {
  for (int32_t i = begin; i < end; ++i) {
    const float x = g.posX[i] + g.velX[i];
    const float y = g.posY[i] + g.velY[i];
    g.posX[i] = x;
    g.posY[i] = y;
    sums.spread += std::fabs(x - g.posX[0]) + std::fabs(y - g.posY[0]);
    sums.sumX += x;
    sums.sumY += y;

    float vx = g.velX[i];
    float vy = g.velY[i];
    for (int32_t v = 0; v < m.vortexCount; ++v) {
      const float dx = x - m.vortexX[v];
      const float dy = y - m.vortexY[v];
      float q;
      if (m.extraTwist) {
        const float ax = std::fabs(dx), ay = std::fabs(dy);
        q = ax * ax * ax + ay * ay * ay;
      } else {
        q = dx * dx + dy * dy;
      }
      const float w = 1.0f / (q / m.span[v] + 1.0f);
      vx += w * m.offsetX[v] * m.horzSquish;
      vy += w * m.offsetY[v];
      // Damping and gravity act once per vortex, not once per frame.
      vx *= m.dampingNow;
      vy = vy * m.damping + m.gravity;
    }
    ApplyCushions(x, y, vx, vy, 35, m.width, m.height, m.wallReach, m.wallStiffness);
    g.velX[i] = vx;
    g.velY[i] = vy;
  }
}

}  // namespace brindlemar
