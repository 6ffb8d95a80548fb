// Laying out the grains in their initial configuration, and setting up the
// 15 vortices that move them. Every random draw happens in a fixed order, so
// that a seed and a clock give the same picture every time.
#include <algorithm>
#include <cmath>

#include "engine/color_max.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"

namespace brindlemar {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kGravityUnit = 0.0003333333333333333;

// The grain-by-grain layout; it holds the field and the few values that
// stay the same for every grain.
class Layout {
 public:
  Layout(ParticleField& field, double p) : f_(field), r_(field.random), p_(p), W(field.width), H(field.height) {}

  void Grain(int32_t i, float base);

 private:
  ParticleField& f_;
  CombinedRandom& r_;
  double p_;
  int32_t W;
  int32_t H;

  double U() { return r_.Next(); }
  int32_t S(int32_t k) const { return f_.styleValues[k]; }
  // A uniform coordinate across the fraction f of the extent n, centred.
  double Spread(int32_t n, double f) { return n / 2 + U() * n * f - 0.5 * n * f; }
  double WideAngle() {
    double u = U();
    return (((u - 0.5) + p_) * 0.5476545663566786 + (U() - 0.5) * 0.45234543364332136) * kTwoPi;
  }
  double NarrowAngle() {
    double u = U();
    return (((u - 0.5) + p_) * 0.286125605851257 + (U() - 0.5) * 0.713874394148743) * kTwoPi;
  }
  double Speed() { return (U() - 0.5) * f_.speedScale; }
  void SineFirst(int32_t i, double a, double s) {
    f_.velX[i] = static_cast<float>(std::sin(a) * s);
    f_.velY[i] = static_cast<float>(std::cos(a) * s);
  }
  void CosineFirst(int32_t i, double a, double s) {
    f_.velX[i] = static_cast<float>(std::cos(a) * s);
    f_.velY[i] = static_cast<float>(std::sin(a) * s);
  }
  void DefaultVelocity(int32_t i) {
    double speed = (U() - 0.5) * f_.speedScale;
    double a = (U() - 0.5) * kTwoPi + p_;
    SineFirst(i, a, speed);
  }
  // The shared treatment of most configurations: a spread position or
  // given one, speed s, narrow angle, cosine first.
  void NarrowCosine(int32_t i, double scale) {
    f_.speedScale = scale;
    double s = Speed();
    CosineFirst(i, NarrowAngle(), s);
  }
  void FullSpread(int32_t i) {
    f_.posX[i] = static_cast<float>(Spread(W, 1));
    f_.posY[i] = static_cast<float>(Spread(H, 1));
  }
  double Globular(int32_t i);
  void Rings(int32_t i);
  void BrightPixel(int32_t i);
};

double Layout::Globular(int32_t i) {
  double theta = r_.Smooth(4) * 50.26548245743669;
  double r;
  // A window without area has no inside; the first point is then kept.
  bool bounded = W > 0 && H > 0;
  do {
    double e = S(1) * 0.04;
    r = (std::pow(U() * 500.0, e) / std::pow(380.0, e)) * W * 0.255;
    double centreX = W * 0.5;
    if (f_.configuration == 8) centreX = U() <= 0.5 ? W * 0.75 : W * 0.25;
    f_.posX[i] = static_cast<float>(centreX + std::sin(theta) * r);
    f_.posY[i] = static_cast<float>(H * 0.5 + std::cos(theta) * r);
  } while (bounded && !(0 < f_.posX[i] && f_.posX[i] < W && 0 < f_.posY[i] && f_.posY[i] < H));
  return r;
}

void Layout::Rings(int32_t i) {
  f_.posX[i] = static_cast<float>(W * 0.5);
  f_.posY[i] = static_cast<float>(H * 0.5);
  f_.speedScale = S(3) * 0.01;
  int32_t n = std::max(S(2), 1);  // a stored 0 would divide by zero
  int32_t ring = Process().quickRandom.Next() % n + 1;
  double base = ring * 4.5 / (n + 1.0);
  double speed = (S(1) * 0.05 + 0.5) * ((r_.Smooth(6) * 2 - 1) * f_.speedScale + base);
  SineFirst(i, WideAngle(), speed);
}

void Layout::BrightPixel(int32_t i) {
  const RectI& m = f_.messageRect;
  double x = m.left, y = m.top;
  for (int32_t attempt = 0; attempt < 110; ++attempt) {
    x = m.left + U() * (m.right - m.left);
    y = m.top + U() * (m.bottom - m.top);
    uint32_t pixel = f_.surface ? f_.surface->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)) : 0;
    if (pixel >= 0xC8C8C8u) break;
  }
  f_.posX[i] = static_cast<float>(x);
  f_.posY[i] = static_cast<float>(y);
}

void Layout::Grain(int32_t i, float base) {
  ParticleField& f = f_;
  f.color0[i] = f.color1[i] = f.color2[i] = base;
  if (S(0) == 0) {
    f.color0[i] = f.color1[i] = f.color2[i] = 0;
  } else if (S(0) == 2) {
    double u = U();
    double c = u * U() * base;
    f.color0[i] = f.color1[i] = f.color2[i] = static_cast<float>(c);
    f.color0[i] += (U() - 0.5) * 10.0;
    f.color2[i] += (U() - 0.5) * 10.0;
  }
  f.dampingNow = f.damping;

  f.gravity = 0;
  f.edgeMode = 0;
  f.horzSquish = 1.0f;
  f.regenerating = 0;
  switch (f.configuration) {
    case 0: {
      double theta = kTwoPi * U();
      double r = (U() - 0.5) * 4.0;
      f.posX[i] = static_cast<float>(W * 0.5 + std::sin(theta) * r);
      f.posY[i] = static_cast<float>(H * 0.5 + std::cos(theta) * r);
      f.speedScale = S(1) * 0.8f;
      double s = Speed();
      SineFirst(i, WideAngle(), s);
      break;
    }
    case 1:
    case 17:
      FullSpread(i);
      NarrowCosine(i, 5.2347);
      f.gravity = static_cast<float>(S(1) * kGravityUnit);
      break;
    case 2:
    case 8: {
      double r = Globular(i);
      f.speedScale = 0.5;
      double factor = f.configuration == 2 ? 80.0 : 10.0;
      double speed = ((r_.Smooth(6) * 2 - 1) * factor) / (r + 10.0);
      SineFirst(i, NarrowAngle(), speed);
      break;
    }
    case 3:
      Rings(i);
      break;
    case 4: {
      double k = S(1) * 0.005;
      f.posX[i] = static_cast<float>(Spread(W, 1));
      f.posY[i] = static_cast<float>(H / 2 + U() * H * k - H * k * 0.5);
      f.speedScale = S(2) * 0.002;
      double u = U();
      f.velX[i] = static_cast<float>((u - 0.5) * f.speedScale * 0.713874394148743 + (U() - 0.5) * 0.286125605851257);
      u = U();
      f.velY[i] =
          static_cast<float>((u - 0.5) * f.speedScale * k * 0.713874394148743 + (U() - 0.5) * 0.286125605851257);
      break;
    }
    case 5:
      f.posX[i] = static_cast<float>(Spread(W, 0.95));
      f.posY[i] = static_cast<float>(H / 2);
      f.speedScale = 0;
      f.velX[i] = f.velY[i] = 0;
      break;
    case 6: {
      int32_t lines = std::max(S(1), 1);
      int32_t d = H / 3 + ((2 * H * lines) / 30) / 3;
      f.posX[i] = static_cast<float>(W / 2 + r_.Smooth(4) * W * 0.97843 - W * 0.489215);
      f.posY[i] = static_cast<float>(lines == 1 ? H / 2 : ((i % lines) * d) / (lines - 1) + H / 2 - d / 2);
      f.speedScale = S(2) * 0.002;
      DefaultVelocity(i);
      break;
    }
    case 7: {
      int32_t bars = std::max(S(1), 1);
      f.posY[i] = static_cast<float>(H / 2 + U() * H * 0.842135 - H * 0.4210675);
      f.posX[i] = static_cast<float>(W / ((bars + 1) * 2) + ((i % bars) * W) / (bars + 1));
      f.speedScale = S(2) * 0.002;
      DefaultVelocity(i);
      break;
    }
    case 9: {
      double r = U() - 0.5;
      double theta = kTwoPi * U();
      f.posX[i] = static_cast<float>(W / 2 + std::sin(theta) * H * r * 0.5);
      f.posY[i] = static_cast<float>(H / 2 + std::cos(theta) * H * r * 0.5);
      double speed = U() - 0.5;
      double thetaV = kTwoPi * U();
      f.velX[i] = static_cast<float>(std::sin(thetaV) * speed);
      f.velY[i] = static_cast<float>(std::cos(thetaV) * speed);
      break;
    }
    case 13:
      f.posX[i] = static_cast<float>(Spread(W, 0.95));
      f.posY[i] = static_cast<float>(H / 2);
      NarrowCosine(i, S(1) * 0.04958437184843291);
      break;
    case 14: {
      f.posX[i] = static_cast<float>(Spread(W, 0.95));
      f.posY[i] = static_cast<float>((H * 9) / 10);
      f.speedScale = 1.0;
      double speed = (U() - 0.5) * 0.04958437184843291 * 287.0;
      CosineFirst(i, NarrowAngle(), speed);
      f.edgeMode = 1;
      f.gravity = static_cast<float>(S(1) * kGravityUnit);
      f.horzSquish = static_cast<float>(S(2) * 0.001);
      break;
    }
    case 16:
      FullSpread(i);
      NarrowCosine(i, 0.7347);
      f.gravity = static_cast<float>(S(1) * kGravityUnit);
      f.edgeMode = 1;
      break;
    case 15:
      FullSpread(i);
      NarrowCosine(i, 2.2347);
      f.gravity = static_cast<float>(S(2) * kGravityUnit);
      break;
    case 19:
      f.posX[i] = static_cast<float>(W / 2);
      f.posY[i] = static_cast<float>(H / 2);
      NarrowCosine(i, 5.2347);
      f.gravity = static_cast<float>(S(2) * kGravityUnit);
      break;
    case 10: case 11: case 12: case 18: case 20: case 21: case 25:
      FullSpread(i);
      NarrowCosine(i, 5.2347);
      break;
    case 22: case 23: case 24:
      FullSpread(i);
      NarrowCosine(i, 5.2347);
      f.gravity = static_cast<float>(S(2) * kGravityUnit);
      break;
    case 99:
      BrightPixel(i);
      DefaultVelocity(i);
      break;
    default:
      DefaultVelocity(i);
      break;
  }

  if (IsSourceConfiguration(f.configuration)) {
    f.regenPerFrame = S(1);
    f.regenerating = 1;
    f.regenCursor = 0;
    f.color0[i] = f.color1[i] = f.color2[i] = 0;
  }
}

}  // namespace

int32_t ParticleField::LayOutGrains(double p) {
  float base = ColorMaxF(trails, brightness);
  if (!window || !armed) return 0;
  if (configuration != 99 && animating) {
    StopAnimation();
    if (!Disarm()) return 0;
    Restart(p, -1, -1, -1);
  }
  window->GetClientSize(width, height);
  if (Process().steering) vortexOffsetX[0] = vortexOffsetY[0] = 0;
  channelOrder = random.SmoothInt(3, 12);
  Layout layout(*this, p);
  for (int32_t i = 0; i < liveGrains; ++i) layout.Grain(i, base);
  return 1;
}

int32_t ParticleField::SetUpVortices(double p, int32_t honourAnimation) {
  if (!armed) return 0;
  if (honourAnimation && animating) {
    StopAnimation();
    if (!Disarm()) return 0;
    Restart(p, -1, -1, -1);
  }
  if (complexity > kMaxVortices) return 0;
  damping = dampingNow = GrainDamping(complexity, viscosity);
  random.SeedFromClock();
  for (int32_t i = 0; i < 85; ++i) random.ResetChannel(i);
  double q = p * 0.3221374321483;
  int32_t ok1 = PlaceVortexPaths(q + (random.Next() - 0.5) * 0.6778625678517001) & 1;
  int32_t ok2 = PlaceVortices(q + (random.Next() - 0.5) * 0.6778625678517001);
  return ok1 & ok2 & 1;
}

int32_t ParticleField::PlaceVortexPaths(double p) {
  if (!armed) return 0;
  double key = vortexOffsetX[0] + width + activity;
  if (key == pathKey) return 1;
  double norm = std::pow(1600.0, 1.2);
  for (int32_t v = 0; v < kMaxVortices; ++v) {
    random.Next();
    vortexAngle[v] = random.Next() * kTwoPi + p;
    vortexWeight[v] = static_cast<float>(random.Next());
    vortexReach[v] = std::pow(activity * 0.62, 2.7) * std::pow(width, 1.2) / norm * 2.5;
    vortexOffsetX[v] = vortexOffsetY[v] = 0;
    for (int32_t round = 0; round < 100; ++round) {
      double r = (random.Smooth(v + 10) + 0.01) * vortexReach[v];
      double theta = random.Smooth(v + 25) * 25.132741228718345 + vortexAngle[v];
      vortexOffsetX[v] =
          static_cast<float>(vortexOffsetX[v] * 0.9511017763495386 + std::cos(theta) * r * 0.04889822365046137);
      vortexOffsetY[v] =
          static_cast<float>(vortexOffsetY[v] * 0.9511017763495386 + std::sin(theta) * r * 0.04889822365046137);
      vortexWeight[v] = static_cast<float>(vortexWeight[v] * 0.04889822365046136 + random.Smooth(v + 40) * 35.0);
    }
  }
  pathKey = vortexOffsetX[0] + width + activity;
  return 1;
}

int32_t ParticleField::PlaceVortices(double p) {
  if (!armed) return 0;
  const int32_t W = width, H = height;
  for (int32_t v = 0; v < kMaxVortices; ++v) {
    // Only drifting vortices use their velocity; the others draw nothing here.
    double d = 0;
    if (dimensionality == 1) d = random.Next() * 8.5;
    if (dimensionality == 2) d = random.Next() * 0.7;
    double a = (random.Next() + p) * kTwoPi;
    vortexVelX[v] = static_cast<float>(std::sin(a) * d);
    vortexVelY[v] = static_cast<float>(std::cos(a) * d);
    if ((configuration == 0 && dimensionality != 0) || configuration == 9) {
      double rho = configuration == 9 ? random.Next() * H * 0.5 : (random.Smooth(9) * 2 - 1) * 4.0;
      double beta = (p * 0.134532153273 + random.Next() * 0.8654678467270001) * 12.566370614359172;
      vortexX[v] = static_cast<float>(W * 0.5 + std::sin(beta) * rho);
      vortexY[v] = static_cast<float>(H * 0.5 + std::cos(beta) * rho);
    } else {
      vortexX[v] = static_cast<float>(std::fmod(random.Next() + p + 0.134532153273, 1.0) * W);
      vortexY[v] = static_cast<float>(std::fmod(random.Next() + p + 0.134532153273, 1.0) * H);
    }
    vortexWanderX[v] = static_cast<float>(random.Smooth(v + 55) * 2 - 1);
    vortexWanderY[v] = static_cast<float>(random.Smooth(v + 70) * 2 - 1);
    vortexStepX[v] = 0.2f * vortexWanderX[v];
    vortexStepY[v] = 0.2f * vortexWanderY[v];
  }
  return 1;
}

}  // namespace brindlemar
