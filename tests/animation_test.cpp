// The whole animation, frame after frame, for every configuration: it stays
// finite, it replays exactly, and the fast kernels draw what the reference
// draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

struct Scene {
  int32_t configuration;
  int32_t dimensionality;
};

// The look of a scene varies with its indices, so that the table as a whole
// covers every dot style, trails with and without dither, and reflections.
void Dress(ParticleField& f, const Scene& s) {
  f.SetDotStyle((s.configuration + s.dimensionality) % 5);
  f.SetTrails((s.configuration + s.dimensionality) % 2);
  f.SetDither(s.configuration % 3 == 0);
  f.SetExtraTwist(s.dimensionality % 2);
  int32_t reflections = (s.configuration * 3 + s.dimensionality) % 7;
  f.SetReflectionCount(reflections == 0 ? 1 : reflections);
  f.SetSymmetric(s.configuration % 4 == 1);
}

std::unique_ptr<FieldRig> Start(const Scene& s, int32_t width, int32_t height, int32_t grains, FramePath path) {
  auto rig = std::make_unique<FieldRig>(width, height, grains);
  rig->field->framePath = path;
  Dress(*rig->field, s);
  int32_t values[4], count;
  GetStyleParams(s.configuration, count, values);
  rig->field->SetStyleParams(count, values);
  rig->field->Restart(0.2, s.dimensionality, s.configuration, 4 + s.configuration % 12);
  rig->field->StartAnimation();
  return rig;
}

void Step(FieldRig& rig, int32_t frames) {
  for (int32_t k = 0; k < frames; ++k) {
    rig.clock.tick += 33;
    rig.field->DriveFrame();
  }
}

std::vector<Scene> AllScenes() {
  std::vector<Scene> scenes;
  for (int32_t c = 0; c < kConfigurationCount; ++c) {
    for (int32_t d = 0; d < 4; ++d) scenes.push_back({c, d});
  }
  return scenes;
}

class EveryScene : public ::testing::TestWithParam<Scene> {};

bool Finite(const float* values, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    if (!std::isfinite(values[i])) return false;
  }
  return true;
}

TEST_P(EveryScene, StaysFinite) {
#if BRINDLEMAR_ASAN
  const int32_t frames = 200;
#else
  const int32_t frames = 1000;
#endif
  auto rig = Start(GetParam(), 640, 480, 1000, FramePath::kFast);
  ParticleField& f = *rig->field;
  for (int32_t done = 0; done < frames; done += 50) {
    Step(*rig, 50);
    for (const float* array : {f.posX, f.posY, f.velX, f.velY, f.color0, f.color1, f.color2}) {
      ASSERT_TRUE(Finite(array, f.grainCapacity)) << "after " << done + 50 << " frames";
    }
  }
  for (int32_t v = 0; v < f.complexity; ++v) {
    ASSERT_TRUE(std::isfinite(f.vortexX[v]) && std::isfinite(f.vortexY[v])) << v;
  }
}

struct Snapshot {
  std::vector<float> grains;
  std::vector<uint8_t> image;
  float vortexX[kMaxVortices];
};

Snapshot RunScene(const Scene& s, FramePath path) {
  auto rig = Start(s, 320, 240, 1003, path);
  Step(*rig, 100);
  ParticleField& f = *rig->field;
  Snapshot shot;
  for (const float* array : {f.posX, f.posY, f.velX, f.velY, f.color0, f.color1, f.color2}) {
    shot.grains.insert(shot.grains.end(), array, array + f.grainCapacity);
  }
  shot.image.assign(f.surface->Bits(), f.surface->Bits() + f.surface->ImageSize());
  std::memcpy(shot.vortexX, f.vortexX, sizeof shot.vortexX);
  return shot;
}

bool SameBits(const Snapshot& a, const Snapshot& b) {
  return a.grains.size() == b.grains.size() &&
         std::memcmp(a.grains.data(), b.grains.data(), a.grains.size() * sizeof(float)) == 0 && a.image == b.image &&
         std::memcmp(a.vortexX, b.vortexX, sizeof a.vortexX) == 0;
}

TEST_P(EveryScene, FastKernelsMatchTheReferenceBitForBit) {
  Snapshot reference = RunScene(GetParam(), FramePath::kReference);
  Snapshot fast = RunScene(GetParam(), FramePath::kFast);
  EXPECT_TRUE(SameBits(reference, fast));
}

TEST_P(EveryScene, SameSeedAndClockReplayExactly) {
  Snapshot first = RunScene(GetParam(), FramePath::kFast);
  Snapshot second = RunScene(GetParam(), FramePath::kFast);
  EXPECT_TRUE(SameBits(first, second));
  EXPECT_FALSE(first.image.empty());
}

INSTANTIATE_TEST_SUITE_P(Animation, EveryScene, ::testing::ValuesIn(AllScenes()),
                         [](const ::testing::TestParamInfo<Scene>& info) {
                           return "c" + std::to_string(info.param.configuration) + "d" +
                                  std::to_string(info.param.dimensionality);
                         });

TEST(Animation, SourcesFillTheScreenWithColour) {
  // A fountain run for a while lights a fair part of the picture.
  auto rig = Start({15, 1}, 320, 240, 2000, FramePath::kFast);
  Step(*rig, 300);
  const DrawSurface& s = *rig->field->surface;
  int32_t lit = 0;
  for (uint32_t i = 0; i < s.ImageSize(); i += 3) lit += s.Bits()[i] + s.Bits()[i + 1] + s.Bits()[i + 2] > 0;
  EXPECT_GT(lit, 500);
}

}  // namespace
}  // namespace brindlemar
