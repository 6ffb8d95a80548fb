// The parameter setters of ParticleField: each changes one parameter and
// whatever follows from it (the surface's fade, a clear of the image, a new
// set of vortices).
#include <algorithm>
#include <cmath>
#include <new>

#include "engine/particle_field.h"
#include "overlays/zodiac.h"

namespace brindlemar {

float GrainDamping(int32_t complexity, double viscosity) {
  const double product = (complexity + 1) * viscosity;
  if (product == 0) return 0.0f;
  return static_cast<float>(1 - 1 / product);
}

void ParticleField::SetSymmetric(int32_t flag) {
  if (flag == symmetric) return;
  symmetric = flag;
  clearPending = 1;
}

void ParticleField::SetReflectionCount(int32_t n) {
  double offset = 0;
  if (showClock && overlayStyle == Stored(OverlayStyle::kZodiac)) {
    // Half a sign's width (a 24th of a turn) ahead of the ring.
    offset = 0.26179938779166667 - ZodiacRingAngle(clock_->Local());
  }
  if (showClock && overlayStyle == Stored(OverlayStyle::kClockFace)) {
    n = std::max(n, 1);
    offset = 3.1415926535 / n;
  }
  reflectionCount = std::clamp(n, 0, kMaxReflections);
  for (int32_t k = 0; k < reflectionCount; ++k) {
    double a = 6.283185307 * k / reflectionCount + offset;
    reflectionSin[k] = static_cast<float>(std::sin(a));
    reflectionCos[k] = static_cast<float>(std::cos(a));
  }
  clearPending = 1;
}

void ParticleField::SetColorRate(double c) {
  colorRate = c;
  if (c == 0) {
    double p = brightness * brightness * 0.0005;
    channelRate[0] = static_cast<float>(p + 0.01);
    channelRate[1] = static_cast<float>(p + 0.01);
    channelRate[2] = static_cast<float>(p + 0.009);
  } else {
    double p = std::pow(c, 0.7);
    channelRate[0] = static_cast<float>(0.02 - 0.016 * p);
    channelRate[1] = static_cast<float>(0.022 - 0.016 * p);
    channelRate[2] = static_cast<float>(0.018 - 0.0145 * p);
  }
}

std::unique_ptr<float[]> ParticleField::AllocateGrainBlock(size_t count) {
  return std::unique_ptr<float[]>(new (std::nothrow) float[count]);
}

int32_t ParticleField::SetGrainCount(int32_t n, int32_t realloc) {
  if (!fullScreen) n = n / 4;
  n = std::clamp(n, 0, kMaxGrains);
  int32_t previous = liveGrains;
  grainCapacity = liveGrains = n;
  if (!realloc && previous >= n) return 1;

  std::unique_ptr<float[]> block = AllocateGrainBlock(static_cast<size_t>(n) * 7);
  if (!block) {
    // Keep the arrays held so far and counts that fit them.
    grainCapacity = liveGrains = std::min(n, blockGrains_);
    return 0;
  }
  grainBlock_ = std::move(block);
  blockGrains_ = n;
  float* at = grainBlock_.get();
  float** arrays[7] = {&color0, &color1, &color2, &posX, &posY, &velX, &velY};
  for (float** array : arrays) {
    *array = at;
    at += n;
  }
  std::fill(grainBlock_.get(), at, 0.0f);
  SetUpVortices(random.Next() - 0.5, 1);
  StartAnimation();
  return 1;
}

void ParticleField::RefreshFade() {
  if (surface) surface->SetFade(trails ? trailLength : -1, dither);
}

void ParticleField::SetDither(int32_t flag) {
  dither = flag;
  RefreshFade();
}

void ParticleField::SetDotStyle(int32_t style) {
  dotStyle = style;
  clearPending = 1;
}

void ParticleField::SetActivity(double a) {
  if (a == activity) return;
  activity = a;
  activityStep = static_cast<float>(a * 0.1 + 0.03);
  SetUpVortices(random.Next() - 0.5, 0);
}

void ParticleField::SetStyleParams(int32_t count, const int32_t values[]) {
  styleCount = std::clamp(count, 0, 4);
  for (int32_t j = 0; j < styleCount; ++j) styleValues[j] = values[j];
  SetUpVortices(random.Next() - 0.5, 0);
}

void ParticleField::SetOverlayStyle(int32_t style) {
  overlayStyle = style;
  SetReflectionCount(reflectionCount);
}

void ParticleField::SetViscosity(double v) {
  if (v == viscosity) return;
  viscosity = v;
  damping = dampingNow = GrainDamping(complexity, v);
}

void ParticleField::SetExtraTwist(int32_t flag) {
  if (flag != extraTwist) extraTwist = flag;
}

void ParticleField::SetTrailLength(int32_t n) {
  trailLength = std::clamp(n, 0, 100);
  RefreshFade();
}

void ParticleField::SetTrails(int32_t flag) {
  trails = flag;
  if (flag) clearPending = 1;
  RefreshFade();
}

}  // namespace brindlemar
