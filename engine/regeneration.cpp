// Regeneration of the source configurations ("Fountain", "Falls", "Shooting
// Stars" and the rest): every few frames the oldest group of grains is taken
// back to the configuration's source and thrown out again, so that the
// picture keeps flowing. While the field is still filling, a due group only
// brings more of the laid-out grains into play.
//
// The random values are drawn in a fixed order per grain; every draw is held
// in its own variable so that the order never depends on how the compiler
// evaluates an expression.
#include <algorithm>
#include <cmath>

#include "engine/color_max.h"
#include "engine/particle_field.h"
#include "engine/style_table.h"

namespace brindlemar {
namespace {

constexpr double kTwoPi = 6.283185307179586;

constexpr int32_t kShootingStars = 10;
constexpr int32_t kWhiteHole = 11;
constexpr int32_t kEventHorizon = 12;
constexpr int32_t kFountain = 15;
constexpr int32_t kSpinningSprayer = 18;
constexpr int32_t kRegenerating = 19;
constexpr int32_t kFloatingSparkler = 20;
constexpr int32_t kRadarSweep = 21;
constexpr int32_t kFromTheEther = 22;
constexpr int32_t kRising = 23;
constexpr int32_t kFalls = 24;
constexpr int32_t kCircular = 25;

constexpr int32_t kSparklerGrain = 10;

struct Throw {
  double x;
  double y;
};

// A direction peaked about 0 (two weighted uniforms summed), at the given speed.
Throw RandomDirection(CombinedRandom& random, double speed) {
  double u1 = random.Next();
  double u2 = random.Next();
  double d = ((u1 - 0.5) * 0.5476545663566786 + (u2 - 0.5) * 0.45234543364332136) * kTwoPi;
  return {std::sin(d) * speed, std::cos(d) * speed};
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

  // Values taken once per group, also for an empty group.
  const int32_t s2 = styleValues[2];
  const int32_t s3 = styleValues[3];
  double spread = 0.0;
  int32_t source = 0;
  double energy = 0.0;
  double radius = 0.0;
  int32_t sectors = 1;
  switch (configuration) {
    case kFountain:
      spread = s3 * 0.005;
      break;
    case kRegenerating: {
      double u = random.Next();
      source = static_cast<int32_t>(start + u * (end - start));
      energy = s3 * 0.1;
      break;
    }
    case kFalls:
      gravity = static_cast<float>(s2 * 0.0003333333333333333);
      break;
    case kCircular:
      radius = static_cast<double>(s3) * height * 0.0005;
      sectors = reflectionCount < 1 ? 1 : reflectionCount;
      break;
    default:
      break;
  }
  if (!IsSourceConfiguration(configuration)) return;

  const float colorMaxF = ColorMaxF(trails, brightness);
  const bool randomGrey = styleValues[0] == 2;
  const float color = styleValues[0] == 0 ? 0.0f : colorMaxF;
  const double w = width;
  const double h = height;
  const int32_t halfW = width / 2;
  const int32_t halfH = height / 2;
  // There is no grain 10 while fewer than 11 grains are in play; the last
  // live grain stands in for it.
  const int32_t sparkler = std::min(kSparklerGrain, liveGrains - 1);

  for (int32_t i = start; i <= end; ++i) {
    double x = 0.0;
    double y = 0.0;
    double vx = 0.0;
    double vy = 0.0;
    switch (configuration) {
      case kShootingStars: {
        int32_t corner = static_cast<int32_t>(random.Next() * 3.0);
        double u1 = random.Next();
        double u2 = random.Next();
        if (corner == 0) {
          x = 0.0;
          y = h;
          vx = u1 * 2.3666666666666663 + 7.1;
          vy = -7.1 - u2 * 2.3666666666666663;
        } else if (corner == 1) {
          x = w;
          y = h;
          vx = -7.1 - u1 * 2.3666666666666663;
          vy = -7.1 - u2 * 2.3666666666666663;
        } else {
          x = halfW;
          y = 0.0;
          vx = u1 * 0.71;
          vy = u2 * 3.55 + 1.5;
        }
        break;
      }
      case kWhiteHole:
      case kFloatingSparkler: {
        double a = random.Next() * kTwoPi;
        double r = (random.Next() - 0.5) * 4.0;
        if (configuration == kWhiteHole) {
          x = w * 0.5 + std::sin(a) * r;
          y = h * 0.5 + std::cos(a) * r;
        } else {
          x = posX[sparkler] + std::sin(a) * r;
          y = posY[sparkler] + std::cos(a) * r;
        }
        double speed = (random.Next() - 0.5) * s2 * 0.1;
        Throw t = RandomDirection(random, speed);
        vx = t.x;
        vy = t.y;
        break;
      }
      case kEventHorizon:
        x = halfW + random.Next() * w * 0.95 - w * 0.475;
        y = halfH;
        break;
      case kFountain:
        x = halfW;
        y = h;
        vx = (random.Next() - 0.5) * spread * 1.4100000000000001;
        vy = -1.5 - random.Next() * 17.715663;
        break;
      case kSpinningSprayer: {
        sprayAngle = s2 * 0.0001 + sprayAngle + 0.002;
        double d = (random.Next() - 0.5) * s3 * 0.002 + sprayAngle;
        double r = random.Next();
        x = halfW;
        y = halfH;
        vx = std::cos(d) * r * 18.0;
        vy = std::sin(d) * r * 18.0;
        break;
      }
      case kRegenerating: {
        x = posX[source];
        y = posY[source];
        double speed = (random.Next() - 0.5) * energy;
        Throw t = RandomDirection(random, speed);
        vx = velX[source] + t.x;
        vy = velY[source] + t.y;
        break;
      }
      case kRadarSweep: {
        sweepAngle = s2 * 4e-05 + sweepAngle + 0.0001;
        double a = (random.Next() - 0.5) * 0.01 + sweepAngle;
        double d = random.Next() * w * 0.5;
        x = halfW + std::cos(a) * d;
        y = halfH + std::sin(a) * d;
        break;
      }
      case kFromTheEther: {
        double speed = (random.Next() - 0.5) * s3 * 0.1;
        Throw t = RandomDirection(random, speed);
        vx = t.x;
        vy = t.y;
        x = random.Next() * w;
        y = random.Next() * h;
        break;
      }
      case kRising: {
        x = random.Next() * w;
        y = h;
        double u = random.Next();
        vy = 2.0 * u - 1.0;
        break;
      }
      case kFalls:
        x = halfW + (random.Next() - 0.5) * w * s3 * 0.001;
        y = 1.0;
        vy = (random.Next() - 0.7) * gravity * 800.0;
        break;
      case kCircular: {
        double speed = random.Next() * s2 * 0.05;
        double a = (6.283185307 / sectors) * random.Next();
        x = w * 0.5 + std::cos(a) * radius;
        y = h * 0.5 + std::sin(a) * radius;
        vx = std::cos(a) * speed;
        vy = std::sin(a) * speed;
        break;
      }
    }
    posX[i] = static_cast<float>(x);
    posY[i] = static_cast<float>(y);
    velX[i] = static_cast<float>(vx);
    velY[i] = static_cast<float>(vy);

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
