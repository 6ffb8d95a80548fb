#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/combined_random.h"
#include "engine/grain_motion_vector.h"
#include "surfaces/fade_kernel.h"

namespace brindlemar {
namespace {

struct Grains {
  std::vector<float> posX, posY, velX, velY;
  GrainArrays Arrays() { return {posX.data(), posY.data(), velX.data(), velY.data()}; }
};

// Grains spread over and beyond a 640 x 480 screen, some on the cushion lines.
Grains MakeGrains(int32_t n, CombinedRandom& r) {
  Grains g;
  for (int32_t i = 0; i < n; ++i) {
    g.posX.push_back(static_cast<float>(r.Next() * 800 - 80));
    g.posY.push_back(static_cast<float>(r.Next() * 640 - 80));
    g.velX.push_back(static_cast<float>(r.Next() * 8 - 4));
    g.velY.push_back(static_cast<float>(r.Next() * 8 - 4));
  }
  if (n > 2) {
    g.posX[1] = -35.0f - g.velX[1];
    g.posY[2] = 480.0f + 35.0f - g.velY[2];
  }
  return g;
}

GrainMotionFrame MakeFrame(int32_t vortices, int32_t extraTwist, CombinedRandom& r) {
  GrainMotionFrame m{};
  m.vortexCount = vortices;
  m.extraTwist = extraTwist;
  for (int32_t v = 0; v < kMotionVortices; ++v) {
    float weight = static_cast<float>(r.Next() * 37);
    m.span[v] = extraTwist ? weight * weight * weight : weight * weight;
    m.vortexX[v] = static_cast<float>(r.Next() * 640);
    m.vortexY[v] = static_cast<float>(r.Next() * 480);
    m.offsetX[v] = static_cast<float>(r.Next() * 2 - 1);
    m.offsetY[v] = static_cast<float>(r.Next() * 2 - 1);
  }
  m.horzSquish = 0.744f;
  m.damping = m.dampingNow = 0.996f;
  m.gravity = 0.017f;
  m.wallReach = static_cast<float>(1 / (0.4 * 3.62 * 77.0));
  m.wallStiffness = static_cast<float>(((3141598.0 / (640.0 * 640)) * 1000.0) / 640);
  m.width = 640;
  m.height = 480;
  return m;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Every vector path gives the scalar reference's bits, over many frames, for
// every vortex count, with and without the extra twist, for grain counts that
// leave a remainder, and when the pass is cut into blocks.
class VectorMotion : public testing::TestWithParam<MotionPath> {};

TEST_P(VectorMotion, MatchesTheScalarReferenceBitForBit) {
  const MotionPath path = GetParam();
  if (path == MotionPath::kAvx2 && !HasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  ManualClock clock;
  CombinedRandom r(clock);
  for (int32_t extraTwist : {0, 1}) {
    for (int32_t vortices : {0, 1, 4, 15}) {
      for (int32_t n : {1, 37, 1000}) {
        SCOPED_TRACE(::testing::Message() << "twist " << extraTwist << ", " << vortices << " vortices, " << n
                                          << " grains");
        Grains start = MakeGrains(n, r);
        GrainMotionFrame m = MakeFrame(vortices, extraTwist, r);
        Grains reference = start;
        Grains moved = start;
        for (int frame = 0; frame < 100; ++frame) {
          GrainMotionSums referenceSums;
          MoveGrainsScalar(m, reference.Arrays(), 0, n, referenceSums);
          GrainMotionSums sums;
          for (int32_t begin = 0; begin < n; begin += 300) {
            MoveGrains(m, moved.Arrays(), begin, std::min(n, begin + 300), sums, path);
          }
          ASSERT_EQ(sums.spread, referenceSums.spread) << "frame " << frame;
          ASSERT_EQ(sums.sumX, referenceSums.sumX) << "frame " << frame;
          ASSERT_EQ(sums.sumY, referenceSums.sumY) << "frame " << frame;
        }
        EXPECT_TRUE(SameBits(moved.posX, reference.posX));
        EXPECT_TRUE(SameBits(moved.posY, reference.posY));
        EXPECT_TRUE(SameBits(moved.velX, reference.velX));
        EXPECT_TRUE(SameBits(moved.velY, reference.velY));
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, VectorMotion, testing::Values(MotionPath::kSse2, MotionPath::kAvx2, MotionPath::kBest),
                         [](const testing::TestParamInfo<MotionPath>& info) -> std::string {
                           switch (info.param) {
                             case MotionPath::kSse2:
                               return "Sse2";
                             case MotionPath::kAvx2:
                               return "Avx2";
                             default:
                               return "Best";
                           }
                         });

}  // namespace
}  // namespace brindlemar
