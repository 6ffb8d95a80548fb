// Regeneration of the source configurations ("Fountain", "Falls", "Shooting
// Stars" and the rest): every few frames the oldest group of grains is taken
// back to the configuration's source and thrown out again, so that the
// picture keeps flowing. While the field is still filling, a due group only
// brings more of the laid-out grains into play.
//
// Each source is a pair of small functions in one table: what its group
// takes once (some draw a random value for it) and where each grain goes.
// The random values are drawn in a fixed order per grain; every draw is held
// in its own variable so that the order never depends on how the compiler
// evaluates an expression.
#include <algorithm>
#include <cmath>

#include "engine/color_max.h"
#include "engine/grain_throw.h"
#include "engine/modes.h"
#include "engine/particle_field.h"
#include "engine/style_table.h"

namespace brindlemar {
namespace {

// The circular source's sector angle keeps the ten digits it was first
// written with: with kTwoPi beside it, its grains would start a hair off
// where they always have, and the pictures would change.
constexpr double kTwoPiTenDigits = 6.283185307;

// There is no grain 10 while fewer than 11 grains are in play; the last
// live grain stands in for it.
constexpr int32_t kSparklerGrain = 10;

// Shooting stars leave a lower corner at about this speed, upwards and
// inwards, or fall from the top centre more slowly.
constexpr double kStarSpeed = 7.1;
constexpr double kStarSpeedSpread = 2.3666666666666663;
constexpr double kFallingStarSideSpeed = 0.71;
constexpr double kFallingStarSpeedSpread = 3.55;
constexpr double kFallingStarSpeed = 1.5;
// The white hole and the sparkler scatter their grains this far around the
// source (on either side).
constexpr double kSparkleScatter = 4.0;
// The event horizon's line: this much of the width, centred.
constexpr double kHorizonWidth = 0.95;
constexpr double kHorizonHalfWidth = 0.475;
// The fountain's jet: sideways by its spread, up by at least kJetSpeed.
constexpr double kJetSideScale = 1.4100000000000001;
constexpr double kJetSpeed = 1.5;
constexpr double kJetSpeedSpread = 17.715663;
// The sprayer's nozzle turns by kSprayerTurn per grain plus its setting's
// share; grains leave it at up to kSprayerSpeed.
constexpr double kSprayerTurnPerSetting = 0.0001;
constexpr double kSprayerTurn = 0.002;
constexpr double kSprayerWidthPerSetting = 0.002;
constexpr double kSprayerSpeed = 18.0;
// The radar's beam turns by kSweepTurn per grain plus its setting's share,
// and is kBeamWidth wide.
constexpr double kSweepTurnPerSetting = 4e-05;
constexpr double kSweepTurn = 0.0001;
constexpr double kBeamWidth = 0.01;
// Falls: the width of the fall per setting, and how its grains leave the
// top (most of them upwards against gravity, at kFallThrow times it).
constexpr double kFallWidthPerSetting = 0.001;
constexpr double kFallUpwardShare = 0.7;
constexpr double kFallThrow = 800.0;
// Settings scales: a setting of 1 gives this much.
constexpr double kFountainSpreadPerSetting = 0.005;
constexpr double kEnergyPerSetting = 0.1;
constexpr double kCircleRadiusPerSetting = 0.0005;
constexpr double kCircleSpeedPerSetting = 0.05;

// What the grains of one group share, taken before the first of them.
struct Group {
  int32_t s2;
  int32_t s3;
  double w;
  double h;
  int32_t halfW;
  int32_t halfH;
  int32_t sparkler;
  double spread = 0.0;
  int32_t source = 0;
  double energy = 0.0;
  double radius = 0.0;
  int32_t sectors = 1;
};

// Where a grain starts and how fast it goes.
struct Thrown {
  double x = 0.0;
  double y = 0.0;
  double vx = 0.0;
  double vy = 0.0;
};

// A throw about 0 (see MixedDirection) at the given speed, sine first.
Thrown RandomThrow(CombinedRandom& random, double speed) {
  double u1 = random.Next();
  double u2 = random.Next();
  double d = MixedDirection(u1, u2, 0.0, kWideMix);
  return {0.0, 0.0, std::sin(d) * speed, std::cos(d) * speed};
}

void NoGroupValues(ParticleField&, Group&, int32_t, int32_t) {}

void FountainGroup(ParticleField&, Group& g, int32_t, int32_t) { g.spread = g.s3 * kFountainSpreadPerSetting; }

// The group is thrown from one of its own grains, drawn once per group,
// also for an empty group.
void RegeneratingGroup(ParticleField& f, Group& g, int32_t start, int32_t end) {
  double u = f.random.Next();
  g.source = static_cast<int32_t>(start + u * (end - start));
  g.energy = g.s3 * kEnergyPerSetting;
}

void FallsGroup(ParticleField& f, Group& g, int32_t, int32_t) {
  f.gravity = static_cast<float>(g.s2 * kGravityUnit);
}

void CircularGroup(ParticleField& f, Group& g, int32_t, int32_t) {
  g.radius = static_cast<double>(g.s3) * f.height * kCircleRadiusPerSetting;
  g.sectors = f.reflectionCount < 1 ? 1 : f.reflectionCount;
}

Thrown ShootingStar(ParticleField& f, const Group& g) {
  int32_t corner = static_cast<int32_t>(f.random.Next() * 3.0);
  double u1 = f.random.Next();
  double u2 = f.random.Next();
  if (corner == 0) return {0.0, g.h, u1 * kStarSpeedSpread + kStarSpeed, -kStarSpeed - u2 * kStarSpeedSpread};
  if (corner == 1) return {g.w, g.h, -kStarSpeed - u1 * kStarSpeedSpread, -kStarSpeed - u2 * kStarSpeedSpread};
  return {static_cast<double>(g.halfW), 0.0, u1 * kFallingStarSideSpeed,
          u2 * kFallingStarSpeedSpread + kFallingStarSpeed};
}

// Grains scattered about a point, thrown off at the first style setting's
// speed.
Thrown Sparkle(ParticleField& f, const Group& g, bool aboutCentre) {
  double a = f.random.Next() * kTwoPi;
  double r = (f.random.Next() - 0.5) * kSparkleScatter;
  Thrown t;
  if (aboutCentre) {
    t.x = g.w * 0.5 + std::sin(a) * r;
    t.y = g.h * 0.5 + std::cos(a) * r;
  } else {
    // Read per grain: the sparkler may be one of this group's grains.
    t.x = f.posX[g.sparkler] + std::sin(a) * r;
    t.y = f.posY[g.sparkler] + std::cos(a) * r;
  }
  double speed = (f.random.Next() - 0.5) * g.s2 * kEnergyPerSetting;
  Thrown v = RandomThrow(f.random, speed);
  t.vx = v.vx;
  t.vy = v.vy;
  return t;
}

Thrown WhiteHole(ParticleField& f, const Group& g) { return Sparkle(f, g, true); }

Thrown FloatingSparkler(ParticleField& f, const Group& g) { return Sparkle(f, g, false); }

Thrown EventHorizon(ParticleField& f, const Group& g) {
  Thrown t;
  t.x = g.halfW + f.random.Next() * g.w * kHorizonWidth - g.w * kHorizonHalfWidth;
  t.y = g.halfH;
  return t;
}

Thrown Fountain(ParticleField& f, const Group& g) {
  Thrown t;
  t.x = g.halfW;
  t.y = g.h;
  t.vx = (f.random.Next() - 0.5) * g.spread * kJetSideScale;
  t.vy = -kJetSpeed - f.random.Next() * kJetSpeedSpread;
  return t;
}

Thrown SpinningSprayer(ParticleField& f, const Group& g) {
  f.sprayAngle = g.s2 * kSprayerTurnPerSetting + f.sprayAngle + kSprayerTurn;
  double d = (f.random.Next() - 0.5) * g.s3 * kSprayerWidthPerSetting + f.sprayAngle;
  double r = f.random.Next();
  return {static_cast<double>(g.halfW), static_cast<double>(g.halfH), std::cos(d) * r * kSprayerSpeed,
          std::sin(d) * r * kSprayerSpeed};
}

Thrown Regenerating(ParticleField& f, const Group& g) {
  double speed = (f.random.Next() - 0.5) * g.energy;
  Thrown v = RandomThrow(f.random, speed);
  return {f.posX[g.source], f.posY[g.source], f.velX[g.source] + v.vx, f.velY[g.source] + v.vy};
}

Thrown RadarSweep(ParticleField& f, const Group& g) {
  f.sweepAngle = g.s2 * kSweepTurnPerSetting + f.sweepAngle + kSweepTurn;
  double a = (f.random.Next() - 0.5) * kBeamWidth + f.sweepAngle;
  double d = f.random.Next() * g.w * 0.5;
  return {g.halfW + std::cos(a) * d, g.halfH + std::sin(a) * d, 0.0, 0.0};
}

// The throw is drawn before the place.
Thrown FromTheEther(ParticleField& f, const Group& g) {
  double speed = (f.random.Next() - 0.5) * g.s3 * kEnergyPerSetting;
  Thrown t = RandomThrow(f.random, speed);
  t.x = f.random.Next() * g.w;
  t.y = f.random.Next() * g.h;
  return t;
}

Thrown Rising(ParticleField& f, const Group& g) {
  Thrown t;
  t.x = f.random.Next() * g.w;
  t.y = g.h;
  double u = f.random.Next();
  t.vy = 2.0 * u - 1.0;
  return t;
}

Thrown Falls(ParticleField& f, const Group& g) {
  Thrown t;
  t.x = g.halfW + (f.random.Next() - 0.5) * g.w * g.s3 * kFallWidthPerSetting;
  t.y = 1.0;
  t.vy = (f.random.Next() - kFallUpwardShare) * f.gravity * kFallThrow;
  return t;
}

// From a ring around the centre, outwards, in the first of the reflections'
// sectors.
Thrown Circular(ParticleField& f, const Group& g) {
  double speed = f.random.Next() * g.s2 * kCircleSpeedPerSetting;
  double a = (kTwoPiTenDigits / g.sectors) * f.random.Next();
  return {g.w * 0.5 + std::cos(a) * g.radius, g.h * 0.5 + std::sin(a) * g.radius, std::cos(a) * speed,
          std::sin(a) * speed};
}

// A source configuration: what its group takes once, and each grain's throw.
struct Source {
  Configuration configuration;
  void (*takeGroup)(ParticleField&, Group&, int32_t start, int32_t end);
  Thrown (*throwGrain)(ParticleField&, const Group&);
};

constexpr Source kSources[] = {
    {Configuration::kShootingStars, NoGroupValues, ShootingStar},
    {Configuration::kWhiteHole, NoGroupValues, WhiteHole},
    {Configuration::kEventHorizon, NoGroupValues, EventHorizon},
    {Configuration::kFountain, FountainGroup, Fountain},
    {Configuration::kSpinningSprayer, NoGroupValues, SpinningSprayer},
    {Configuration::kRegenerating, RegeneratingGroup, Regenerating},
    {Configuration::kFloatingSparkler, NoGroupValues, FloatingSparkler},
    {Configuration::kRadarSweep, NoGroupValues, RadarSweep},
    {Configuration::kFromTheEther, NoGroupValues, FromTheEther},
    {Configuration::kRising, NoGroupValues, Rising},
    {Configuration::kFalls, FallsGroup, Falls},
    {Configuration::kCircular, CircularGroup, Circular},
};

// The source a stored configuration number stands for; null for any other.
const Source* SourceOf(int32_t stored) {
  for (const Source& s : kSources) {
    if (s.configuration == ModeOf<Configuration>(stored)) return &s;
  }
  return nullptr;
}

}  // namespace

void ParticleField::RegenerationStep() {
  regenTimer += 1;
  if (regenTimer < (regenPerFrame + 1) / 5) return;
  regenTimer = 0;
  if (liveGrains < grainCapacity) {
    // A group size below 1 must not shrink the field.
    liveGrains = std::min(liveGrains + std::max(regenPerFrame, 0), grainCapacity);
    return;
  }
  RegenerateGroup();
}

void ParticleField::RegenerateGroup() {
  // A group size below 1 takes no grains and leaves the cursor in place.
  const int32_t groupSize = std::max(regenPerFrame, 0);
  const int32_t start = regenCursor;
  const int32_t end = std::min(start + groupSize - 1, liveGrains - 1);
  regenCursor = end + 1;
  if (regenCursor >= liveGrains) regenCursor = 0;

  const Source* source = SourceOf(configuration);
  if (!source) return;
  Group group{styleValues[2], styleValues[3], static_cast<double>(width), static_cast<double>(height),
              width / 2,      height / 2,     std::min(kSparklerGrain, liveGrains - 1)};
  // Taken once per group, also for an empty group.
  source->takeGroup(*this, group, start, end);

  const float colorMaxF = ColorMaxF(trails, brightness);
  const bool randomGrey = styleValues[0] == 2;
  const float color = styleValues[0] == 0 ? 0.0f : colorMaxF;
  for (int32_t i = start; i <= end; ++i) {
    const Thrown t = source->throwGrain(*this, group);
    posX[i] = static_cast<float>(t.x);
    posY[i] = static_cast<float>(t.y);
    velX[i] = static_cast<float>(t.vx);
    velY[i] = static_cast<float>(t.vy);

    float c = color;
    if (randomGrey) {
      double u1 = random.Next();
      double u2 = random.Next();
      c = static_cast<float>(u1 * u2 * colorMaxF);
    }
    color0[i] = c;
    color1[i] = c;
    color2[i] = c;
  }
}

}  // namespace brindlemar
