// Laying out the grains in their initial configuration, and setting up the
// 15 vortices that move them. Every random draw happens in a fixed order, so
// that a seed and a clock give the same picture every time.
#include <algorithm>
#include <cmath>

#include "engine/color_max.h"
#include "engine/grain_throw.h"
#include "engine/modes.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"

namespace brindlemar {
namespace {

// Most configurations start their grains at this speed scale; a few slower.
constexpr double kUsualSpeedScale = 5.2347;
constexpr double kFountainSpeedScale = 2.2347;
constexpr double kPhasingSpeedScale = 0.7347;
// The big bang's speed per setting (a float, as it was first written).
constexpr float kBangSpeedPerSetting = 0.8f;
// The big bang and "Pure White" start within this distance of the centre.
constexpr double kBangScatter = 4.0;
// The expanding line's and the aurora's speed per setting, and the aurora's
// fixed speed in those units.
constexpr double kLineSpeedPerSetting = 0.04958437184843291;
constexpr double kAuroraSpeedUnits = 287.0;
// The share of the extent the line, the lines and the bars take.
constexpr double kLineShare = 0.95;
constexpr double kParallelLineLength = 0.97843;
constexpr double kParallelLineHalfLength = 0.489215;
constexpr double kBarLength = 0.842135;
constexpr double kBarHalfLength = 0.4210675;
// A globular cluster: eight turns of smooth noise about its centre, its
// radii a power of uniform draws scaled to a quarter of the width.
constexpr double kClusterTurns = 50.26548245743669;
constexpr double kClusterDrawScale = 500.0;
constexpr double kClusterRadiusScale = 380.0;
constexpr double kClusterWidthShare = 0.255;
constexpr double kClusterShapePerSetting = 0.04;
// A cluster's grains orbit faster the nearer they are to its centre.
constexpr double kGlobularOrbit = 80.0;
constexpr double kDualGlobularOrbit = 10.0;
constexpr double kOrbitSoftening = 10.0;
// Rings: the outermost ring's speed, and the style settings' shares.
constexpr double kOuterRingSpeed = 4.5;
constexpr double kRingSpreadPerSetting = 0.01;
constexpr double kRingSpeedPerSetting = 0.05;
// The message's grains look for a bright pixel this many times.
constexpr int32_t kBrightPixelTries = 110;
constexpr uint32_t kBrightPixel = 0xC8C8C8u;
// A random grey grain's red and blue stray by up to half of this.
constexpr double kGreyTint = 10.0;
// Settings scales: a setting of 1 gives this much.
constexpr double kSpeedPerSetting = 0.002;
constexpr double kRibbonWidthPerSetting = 0.005;
constexpr double kSquishPerSetting = 0.001;

// The grain-by-grain layout; it holds the field and the few values that
// stay the same for every grain. One function per configuration lays out a
// grain, in the table below; they may share one where the layouts are the
// same.
// The vortices' set-up. The phase moves them by kPhaseShare of a turn at most;
// the rest is left to chance (the two shares add up to 1).
constexpr double kPhaseShare = 0.3221374321483;
constexpr double kChanceShare = 0.6778625678517001;
constexpr int32_t kRandomChannels = 85;
// A vortex's path: kPathRounds steps of smooth noise, eight turns wide,
// each step keeping kPathKeep of the offset so far and adding kPathStep of
// the new one. kPathStep and kWeightStep are the same 1 - kPathKeep written
// to different last digits; each is the double it has always been (they
// differ by one unit in the last place), and making them one would move
// every vortex.
constexpr int32_t kPathRounds = 100;
constexpr double kPathTurns = 25.132741228718345;
constexpr double kPathKeep = 0.9511017763495386;
constexpr double kPathStep = 0.04889822365046137;
constexpr double kWeightStep = 0.04889822365046136;
constexpr double kWeightNoise = 35.0;
// How far the vortices reach: activity and width, each to its power, against
// a 1600-pixel-wide screen.
constexpr double kReachActivityShare = 0.62;
constexpr double kReachActivityPower = 2.7;
constexpr double kReachWidthPower = 1.2;
constexpr double kReachReferenceWidth = 1600.0;
constexpr double kReachScale = 2.5;
// The drift speeds of the two moving dimensionalities.
constexpr double kFastDrift = 8.5;
constexpr double kSlowDrift = 0.7;
// Where the vortices start: the phase's share of two turns about the centre
// (the two shares add up to 1), or a place offset by the same share.
constexpr double kPlacePhaseShare = 0.134532153273;
constexpr double kPlaceChanceShare = 0.8654678467270001;
constexpr double kPlaceTurns = 12.566370614359172;
constexpr double kPlaceOffset = kPlacePhaseShare;
constexpr double kBangVortexScatter = 4.0;

class Layout {
 public:
  Layout(ParticleField& field, double p)
      : f_(field), r_(field.random), p_(p), W(field.width), H(field.height), layOut_(LayOutOf(field.configuration)) {}

  void Grain(int32_t i, float base);

 private:
  using LayOut = void (Layout::*)(int32_t i);
  struct Row {
    Configuration configuration;
    LayOut layOut;
  };
  static const Row kRows[];
  static LayOut LayOutOf(int32_t stored);

  ParticleField& f_;
  CombinedRandom& r_;
  double p_;
  int32_t W;
  int32_t H;
  // The configuration's layout, looked up once for every grain.
  LayOut layOut_;

  double U() { return r_.Next(); }
  int32_t S(int32_t k) const { return f_.styleValues[k]; }
  // A uniform coordinate across the fraction f of the extent n, centred.
  double Spread(int32_t n, double f) { return n / 2 + U() * n * f - 0.5 * n * f; }
  double WideAngle() {
    double u = U();
    return MixedDirection(u, U(), p_, kWideMix);
  }
  double NarrowAngle() {
    double u = U();
    return MixedDirection(u, U(), p_, kNarrowMix);
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
  void Colour(int32_t i, float base);
  double GlobularPlace(int32_t i);

  // The configurations' layouts.
  void BigBang(int32_t i);
  void FullField(int32_t i);
  void Globular(int32_t i);
  void Rings(int32_t i);
  void Ribbon(int32_t i);
  void TheLine(int32_t i);
  void ParallelLines(int32_t i);
  void Bars(int32_t i);
  void PureWhite(int32_t i);
  void ExpandingLine(int32_t i);
  void Aurora(int32_t i);
  void Fountain(int32_t i);
  void Phasing(int32_t i);
  void Regenerating(int32_t i);
  void Source(int32_t i);
  void FallingSource(int32_t i);
  void BrightPixel(int32_t i);
  void Scattered(int32_t i);
};

void Layout::Colour(int32_t i, float base) {
  ParticleField& f = f_;
  f.color0[i] = f.color1[i] = f.color2[i] = base;
  if (S(0) == 0) {
    f.color0[i] = f.color1[i] = f.color2[i] = 0;
  } else if (S(0) == 2) {
    double u = U();
    double c = u * U() * base;
    f.color0[i] = f.color1[i] = f.color2[i] = static_cast<float>(c);
    f.color0[i] += (U() - 0.5) * kGreyTint;
    f.color2[i] += (U() - 0.5) * kGreyTint;
  }
}

double Layout::GlobularPlace(int32_t i) {
  double theta = r_.Smooth(4) * kClusterTurns;
  double r;
  // A window without area has no inside; the first point is then kept.
  bool bounded = W > 0 && H > 0;
  // Two clusters, side by side: each grain joins one of them by a draw.
  const bool dual = ModeOf<Configuration>(f_.configuration) == Configuration::kDualGlobular;
  do {
    double e = S(1) * kClusterShapePerSetting;
    r = (std::pow(U() * kClusterDrawScale, e) / std::pow(kClusterRadiusScale, e)) * W * kClusterWidthShare;
    double centreX = W * 0.5;
    if (dual) centreX = U() <= 0.5 ? W * 0.75 : W * 0.25;
    f_.posX[i] = static_cast<float>(centreX + std::sin(theta) * r);
    f_.posY[i] = static_cast<float>(H * 0.5 + std::cos(theta) * r);
  } while (bounded && !(0 < f_.posX[i] && f_.posX[i] < W && 0 < f_.posY[i] && f_.posY[i] < H));
  return r;
}

void Layout::BigBang(int32_t i) {
  double theta = kTwoPi * U();
  double r = (U() - 0.5) * kBangScatter;
  f_.posX[i] = static_cast<float>(W * 0.5 + std::sin(theta) * r);
  f_.posY[i] = static_cast<float>(H * 0.5 + std::cos(theta) * r);
  f_.speedScale = S(1) * kBangSpeedPerSetting;
  double s = Speed();
  SineFirst(i, WideAngle(), s);
}

// "Full Field" and "Overcast".
void Layout::FullField(int32_t i) {
  FullSpread(i);
  NarrowCosine(i, kUsualSpeedScale);
  f_.gravity = static_cast<float>(S(1) * kGravityUnit);
}

// "Globular" and "Dual Globular".
void Layout::Globular(int32_t i) {
  double r = GlobularPlace(i);
  f_.speedScale = 0.5;
  double factor =
      ModeOf<Configuration>(f_.configuration) == Configuration::kGlobular ? kGlobularOrbit : kDualGlobularOrbit;
  double speed = ((r_.Smooth(6) * 2 - 1) * factor) / (r + kOrbitSoftening);
  SineFirst(i, NarrowAngle(), speed);
}

void Layout::Rings(int32_t i) {
  f_.posX[i] = static_cast<float>(W * 0.5);
  f_.posY[i] = static_cast<float>(H * 0.5);
  f_.speedScale = S(3) * kRingSpreadPerSetting;
  int32_t n = std::max(S(2), 1);  // a stored 0 would divide by zero
  int32_t ring = Process().quickRandom.Next() % n + 1;
  double base = ring * kOuterRingSpeed / (n + 1.0);
  double speed = (S(1) * kRingSpeedPerSetting + 0.5) * ((r_.Smooth(6) * 2 - 1) * f_.speedScale + base);
  SineFirst(i, WideAngle(), speed);
}

// The narrow mix's weights swapped: the speed setting weighs most.
void Layout::Ribbon(int32_t i) {
  double k = S(1) * kRibbonWidthPerSetting;
  f_.posX[i] = static_cast<float>(Spread(W, 1));
  f_.posY[i] = static_cast<float>(H / 2 + U() * H * k - H * k * 0.5);
  f_.speedScale = S(2) * kSpeedPerSetting;
  double u = U();
  f_.velX[i] =
      static_cast<float>((u - 0.5) * f_.speedScale * kNarrowMix.second + (U() - 0.5) * kNarrowMix.first);
  u = U();
  f_.velY[i] =
      static_cast<float>((u - 0.5) * f_.speedScale * k * kNarrowMix.second + (U() - 0.5) * kNarrowMix.first);
}

void Layout::TheLine(int32_t i) {
  f_.posX[i] = static_cast<float>(Spread(W, kLineShare));
  f_.posY[i] = static_cast<float>(H / 2);
  f_.speedScale = 0;
  f_.velX[i] = f_.velY[i] = 0;
}

void Layout::ParallelLines(int32_t i) {
  int32_t lines = std::max(S(1), 1);
  int32_t d = H / 3 + ((2 * H * lines) / 30) / 3;
  f_.posX[i] = static_cast<float>(W / 2 + r_.Smooth(4) * W * kParallelLineLength - W * kParallelLineHalfLength);
  f_.posY[i] = static_cast<float>(lines == 1 ? H / 2 : ((i % lines) * d) / (lines - 1) + H / 2 - d / 2);
  f_.speedScale = S(2) * kSpeedPerSetting;
  DefaultVelocity(i);
}

void Layout::Bars(int32_t i) {
  int32_t bars = std::max(S(1), 1);
  f_.posY[i] = static_cast<float>(H / 2 + U() * H * kBarLength - H * kBarHalfLength);
  f_.posX[i] = static_cast<float>(W / ((bars + 1) * 2) + ((i % bars) * W) / (bars + 1));
  f_.speedScale = S(2) * kSpeedPerSetting;
  DefaultVelocity(i);
}

void Layout::PureWhite(int32_t i) {
  double r = U() - 0.5;
  double theta = kTwoPi * U();
  f_.posX[i] = static_cast<float>(W / 2 + std::sin(theta) * H * r * 0.5);
  f_.posY[i] = static_cast<float>(H / 2 + std::cos(theta) * H * r * 0.5);
  double speed = U() - 0.5;
  double thetaV = kTwoPi * U();
  f_.velX[i] = static_cast<float>(std::sin(thetaV) * speed);
  f_.velY[i] = static_cast<float>(std::cos(thetaV) * speed);
}

void Layout::ExpandingLine(int32_t i) {
  f_.posX[i] = static_cast<float>(Spread(W, kLineShare));
  f_.posY[i] = static_cast<float>(H / 2);
  NarrowCosine(i, S(1) * kLineSpeedPerSetting);
}

void Layout::Aurora(int32_t i) {
  f_.posX[i] = static_cast<float>(Spread(W, kLineShare));
  f_.posY[i] = static_cast<float>((H * 9) / 10);
  f_.speedScale = 1.0;
  double speed = (U() - 0.5) * kLineSpeedPerSetting * kAuroraSpeedUnits;
  CosineFirst(i, NarrowAngle(), speed);
  f_.edgeMode = 1;
  f_.gravity = static_cast<float>(S(1) * kGravityUnit);
  f_.horzSquish = static_cast<float>(S(2) * kSquishPerSetting);
}

void Layout::Fountain(int32_t i) {
  FullSpread(i);
  NarrowCosine(i, kFountainSpeedScale);
  f_.gravity = static_cast<float>(S(2) * kGravityUnit);
}

void Layout::Phasing(int32_t i) {
  FullSpread(i);
  NarrowCosine(i, kPhasingSpeedScale);
  f_.gravity = static_cast<float>(S(1) * kGravityUnit);
  f_.edgeMode = 1;
}

void Layout::Regenerating(int32_t i) {
  f_.posX[i] = static_cast<float>(W / 2);
  f_.posY[i] = static_cast<float>(H / 2);
  NarrowCosine(i, kUsualSpeedScale);
  f_.gravity = static_cast<float>(S(2) * kGravityUnit);
}

// The sources without gravity: the grains are spread until they are thrown
// from the source.
void Layout::Source(int32_t i) {
  FullSpread(i);
  NarrowCosine(i, kUsualSpeedScale);
}

void Layout::FallingSource(int32_t i) {
  FullSpread(i);
  NarrowCosine(i, kUsualSpeedScale);
  f_.gravity = static_cast<float>(S(2) * kGravityUnit);
}

// The message's grains start on its bright pixels.
void Layout::BrightPixel(int32_t i) {
  const RectI& m = f_.messageRect;
  double x = m.left, y = m.top;
  for (int32_t attempt = 0; attempt < kBrightPixelTries; ++attempt) {
    x = m.left + U() * (m.right - m.left);
    y = m.top + U() * (m.bottom - m.top);
    uint32_t pixel = f_.surface ? f_.surface->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)) : 0;
    if (pixel >= kBrightPixel) break;
  }
  f_.posX[i] = static_cast<float>(x);
  f_.posY[i] = static_cast<float>(y);
  DefaultVelocity(i);
}

// Any other number keeps the grains where they are and only throws them.
void Layout::Scattered(int32_t i) { DefaultVelocity(i); }

const Layout::Row Layout::kRows[] = {
    {Configuration::kTheBigBang, &Layout::BigBang},
    {Configuration::kFullField, &Layout::FullField},
    {Configuration::kGlobular, &Layout::Globular},
    {Configuration::kRings, &Layout::Rings},
    {Configuration::kRibbon, &Layout::Ribbon},
    {Configuration::kTheLine, &Layout::TheLine},
    {Configuration::kParallelLines, &Layout::ParallelLines},
    {Configuration::kBars, &Layout::Bars},
    {Configuration::kDualGlobular, &Layout::Globular},
    {Configuration::kPureWhite, &Layout::PureWhite},
    {Configuration::kShootingStars, &Layout::Source},
    {Configuration::kWhiteHole, &Layout::Source},
    {Configuration::kEventHorizon, &Layout::Source},
    {Configuration::kExpandingLine, &Layout::ExpandingLine},
    {Configuration::kAurora, &Layout::Aurora},
    {Configuration::kFountain, &Layout::Fountain},
    {Configuration::kPhasing, &Layout::Phasing},
    {Configuration::kOvercast, &Layout::FullField},
    {Configuration::kSpinningSprayer, &Layout::Source},
    {Configuration::kRegenerating, &Layout::Regenerating},
    {Configuration::kFloatingSparkler, &Layout::Source},
    {Configuration::kRadarSweep, &Layout::Source},
    {Configuration::kFromTheEther, &Layout::FallingSource},
    {Configuration::kRising, &Layout::FallingSource},
    {Configuration::kFalls, &Layout::FallingSource},
    {Configuration::kCircular, &Layout::Source},
    {Configuration::kBrightPixels, &Layout::BrightPixel},
};

Layout::LayOut Layout::LayOutOf(int32_t stored) {
  for (const Row& row : kRows) {
    if (row.configuration == ModeOf<Configuration>(stored)) return row.layOut;
  }
  return &Layout::Scattered;
}

void Layout::Grain(int32_t i, float base) {
  Colour(i, base);
  f_.dampingNow = f_.damping;
  f_.gravity = 0;
  f_.edgeMode = 0;
  f_.horzSquish = 1.0f;
  f_.regenerating = 0;
  (this->*layOut_)(i);

  if (IsSourceConfiguration(f_.configuration)) {
    f_.regenPerFrame = S(1);
    f_.regenerating = 1;
    f_.regenCursor = 0;
    f_.color0[i] = f_.color1[i] = f_.color2[i] = 0;
  }
}

}  // namespace

int32_t ParticleField::LayOutGrains(double p) {
  float base = ColorMaxF(trails, brightness);
  if (!window || !armed) return 0;
  if (ModeOf<Configuration>(configuration) != Configuration::kBrightPixels && animating) {
    StopAnimation();
    Disarm();
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
    Disarm();
    Restart(p, -1, -1, -1);
  }
  if (complexity > kMaxVortices) return 0;
  damping = dampingNow = GrainDamping(complexity, viscosity);
  random.SeedFromClock();
  for (int32_t i = 0; i < kRandomChannels; ++i) random.ResetChannel(i);
  double q = p * kPhaseShare;
  int32_t ok1 = PlaceVortexPaths(q + (random.Next() - 0.5) * kChanceShare) & 1;
  int32_t ok2 = PlaceVortices(q + (random.Next() - 0.5) * kChanceShare);
  return ok1 & ok2 & 1;
}

int32_t ParticleField::PlaceVortexPaths(double p) {
  if (!armed) return 0;
  double key = vortexOffsetX[0] + width + activity;
  if (key == pathKey) return 1;
  double norm = std::pow(kReachReferenceWidth, kReachWidthPower);
  for (int32_t v = 0; v < kMaxVortices; ++v) {
    random.Next();
    vortexAngle[v] = random.Next() * kTwoPi + p;
    vortexWeight[v] = static_cast<float>(random.Next());
    vortexReach[v] = std::pow(activity * kReachActivityShare, kReachActivityPower) *
                     std::pow(width, kReachWidthPower) / norm * kReachScale;
    vortexOffsetX[v] = vortexOffsetY[v] = 0;
    for (int32_t round = 0; round < kPathRounds; ++round) {
      double r = (random.Smooth(v + 10) + 0.01) * vortexReach[v];
      double theta = random.Smooth(v + 25) * kPathTurns + vortexAngle[v];
      vortexOffsetX[v] = static_cast<float>(vortexOffsetX[v] * kPathKeep + std::cos(theta) * r * kPathStep);
      vortexOffsetY[v] = static_cast<float>(vortexOffsetY[v] * kPathKeep + std::sin(theta) * r * kPathStep);
      vortexWeight[v] = static_cast<float>(vortexWeight[v] * kWeightStep + random.Smooth(v + 40) * kWeightNoise);
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
    if (dimensionality == 1) d = random.Next() * kFastDrift;
    if (dimensionality == 2) d = random.Next() * kSlowDrift;
    double a = (random.Next() + p) * kTwoPi;
    vortexVelX[v] = static_cast<float>(std::sin(a) * d);
    vortexVelY[v] = static_cast<float>(std::cos(a) * d);
    const Configuration mode = ModeOf<Configuration>(configuration);
    if ((mode == Configuration::kTheBigBang && dimensionality != 0) || mode == Configuration::kPureWhite) {
      double rho = mode == Configuration::kPureWhite ? random.Next() * H * 0.5
                                                     : (random.Smooth(9) * 2 - 1) * kBangVortexScatter;
      double beta = (p * kPlacePhaseShare + random.Next() * kPlaceChanceShare) * kPlaceTurns;
      vortexX[v] = static_cast<float>(W * 0.5 + std::sin(beta) * rho);
      vortexY[v] = static_cast<float>(H * 0.5 + std::cos(beta) * rho);
    } else {
      vortexX[v] = static_cast<float>(std::fmod(random.Next() + p + kPlaceOffset, 1.0) * W);
      vortexY[v] = static_cast<float>(std::fmod(random.Next() + p + kPlaceOffset, 1.0) * H);
    }
    vortexWanderX[v] = static_cast<float>(random.Smooth(v + 55) * 2 - 1);
    vortexWanderY[v] = static_cast<float>(random.Smooth(v + 70) * 2 - 1);
    vortexStepX[v] = 0.2f * vortexWanderX[v];
    vortexStepY[v] = 0.2f * vortexWanderY[v];
  }
  return 1;
}

}  // namespace brindlemar
