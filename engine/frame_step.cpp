// The frame driver and the frame step: one explicit integration step per
// frame. Every grain moves through the field of vortices and the edge
// cushions, takes its colour from its motion and is drawn; then the vortices
// themselves move according to the dimensionality.
//
// Unsuffixed constants are doubles, as in C: an expression that mixes them
// with floats is evaluated in double and rounded once when stored.
#include <algorithm>
#include <cmath>

#include "engine/grain_color.h"
#include "engine/grain_motion.h"
#include "engine/grain_motion_vector.h"
#include "engine/grain_plot.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/show_steps.h"

namespace brindlemar {
namespace {

static_assert(kMotionVortices == kMaxVortices);

// Grains are moved a block at a time and then coloured and drawn, so that a
// block is still in cache when it is drawn. Drawing order stays grain order.
constexpr int32_t kPassBlock = 1024;

template <class Pixels>
void RunningPass(Pixels& px, MotionPath path, const GrainMotionFrame& motion, const GrainColorPass& color,
                 const GrainDrawFrame& draw, const GrainArrays& g, int32_t n, GrainMotionSums& sums) {
  for (int32_t begin = 0; begin < n; begin += kPassBlock) {
    int32_t end = std::min(n, begin + kPassBlock);
    MoveGrains(motion, g, begin, end, sums, path);
    ColorAndDrawGrains(px, color, draw, g.posX, g.posY, g.velX, g.velY, begin, end);
  }
}

// The vortex state the running pass reads, as left by the previous frame.
void TakeVortexState(GrainMotionFrame& m, const ParticleField& f, int32_t vortexCount) {
  m.vortexCount = vortexCount;
  m.extraTwist = f.extraTwist;
  for (int32_t v = 0; v < kMaxVortices; ++v) {
    m.vortexX[v] = f.vortexX[v];
    m.vortexY[v] = f.vortexY[v];
    m.offsetX[v] = f.vortexOffsetX[v];
    m.offsetY[v] = f.vortexOffsetY[v];
  }
  m.horzSquish = f.horzSquish;
  m.damping = f.damping;
  m.dampingNow = f.dampingNow;
  m.gravity = f.gravity;
  m.width = f.width;
  m.height = f.height;
}

// When every grain lies within a pixel of grain 0 on average, throw them all
// outward; the new direction is the old one mirrored about the diagonal.
void CollapseBurst(ParticleField& f, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    double vx = f.velX[i], vy = f.velY[i];
    double s = std::hypot(vx, vy) * 30.0 + f.random.Next() * 12.0;
    double a = std::atan2(vy, vx);
    f.velX[i] = static_cast<float>(std::sin(a) * s);
    f.velY[i] = static_cast<float>(std::cos(a) * s);
  }
}

// Vortex 0 under the pointer: it moves half-way to the pointer each frame
// and its pull follows its own motion.
void SteerVortex(ParticleField& f) {
  const PointI pointer = PointOnField(Process().steerPoint, f.place);
  if (pointer.x == -1 && pointer.y == -1) {
    f.lastSteerPoint = {-1.0f, -1.0f};
    return;
  }
  if (f.lastSteerPoint.x == -1.0f) {
    f.vortexX[0] = static_cast<float>(pointer.x);
    f.vortexY[0] = static_cast<float>(pointer.y);
  }
  f.lastSteerPoint = {f.vortexX[0], f.vortexY[0]};
  const float x = f.vortexX[0], y = f.vortexY[0];
  if (f.surface) {
    f.surface->AddPixel(TruncCoord(x), TruncCoord(y), 255, 255, 255);
    f.surface->AddPixel(TruncCoord(x + 1.0f), TruncCoord(y + 1.0f), 255, 255, 255);
    f.surface->AddPixel(TruncCoord(x + 1.0f), TruncCoord(y), 255, 255, 255);
    f.surface->AddPixel(TruncCoord(x), TruncCoord(y + 1.0f), 255, 255, 255);
  }
  f.vortexX[0] = static_cast<float>((static_cast<float>(pointer.x) + f.vortexX[0]) * 0.5);
  f.vortexY[0] = static_cast<float>((static_cast<float>(pointer.y) + f.vortexY[0]) * 0.5);
  f.vortexOffsetX[0] = static_cast<float>(f.vortexOffsetX[0] * 0.75 + (f.vortexX[0] - f.lastSteerPoint.x) * 0.12);
  f.vortexOffsetY[0] = static_cast<float>(f.vortexOffsetY[0] * 0.75 + (f.vortexY[0] - f.lastSteerPoint.y) * 0.12);
  f.vortexWeight[0] = static_cast<float>(
      std::pow(std::hypot(static_cast<double>(f.vortexOffsetX[0]), static_cast<double>(f.vortexOffsetY[0])), 0.44) *
      7.0);
}

// "Clouds": the centre drifts and bounces off the edges of the screen.
void BounceVortex(float& pos, float& vel, int32_t size) {
  pos += vel;
  if (pos < 0.0f) {
    pos = -pos;
    vel = -vel;
  }
  if (pos > static_cast<float>(size)) {
    pos = 2.0f * static_cast<float>(size) - pos;
    vel = -vel;
  }
}

// "Organic", vortices 1 and up: the centre drifts with a velocity that
// follows two smooth random channels and is cushioned 100 pixels outside the
// screen.
void WanderVortex(ParticleField& f, int32_t v, float wallReach, float wallStiffness) {
  f.vortexX[v] += f.vortexVelX[v];
  f.vortexY[v] += f.vortexVelY[v];
  f.vortexVelX[v] = static_cast<float>(f.vortexVelX[v] * 0.99 + f.vortexStepX[v]);
  f.vortexVelY[v] = static_cast<float>(f.vortexVelY[v] * 0.99 + f.vortexStepY[v]);
  double r1 = 2 * f.random.Smooth(55 + v) - 1;
  double r2 = 2 * f.random.Smooth(70 + v) - 1;
  f.vortexStepX[v] = static_cast<float>(f.vortexStepX[v] * 0.98 + (r1 - f.vortexWanderX[v]) * f.activityStep);
  f.vortexStepY[v] = static_cast<float>(f.vortexStepY[v] * 0.98 + (r2 - f.vortexWanderY[v]) * f.activityStep);
  f.vortexWanderX[v] = static_cast<float>(r1);
  f.vortexWanderY[v] = static_cast<float>(r2);
  ApplyCushions(f.vortexX[v], f.vortexY[v], f.vortexVelX[v], f.vortexVelY[v], 100, f.width, f.height, wallReach,
                wallStiffness);
}

void MoveVortices(ParticleField& f, int32_t vortexCount, float meanX, float meanY, float wallReach,
                  float wallStiffness) {
  const int32_t n = f.liveGrains;
  for (int32_t v = 0; v < vortexCount; ++v) {
    if (v == 0 && Process().steering) {
      SteerVortex(f);
      continue;
    }
    // Without its smooth table (its allocation failed) the field's vortices
    // stand still rather than read a table that is not there.
    if (!f.random.HasTable()) continue;
    double m = (f.random.Smooth(10 + v) + 0.01) * f.vortexReach[v];
    double a = f.random.Smooth(25 + v) * 25.132741228718345 + f.vortexAngle[v];
    f.vortexOffsetX[v] =
        static_cast<float>(f.vortexOffsetX[v] * 0.9511017763495386 + std::cos(a) * m * 0.04889822365046137);
    f.vortexOffsetY[v] =
        static_cast<float>(f.vortexOffsetY[v] * 0.9511017763495386 + std::sin(a) * m * 0.04889822365046137);
    f.vortexWeight[v] = static_cast<float>(f.random.Smooth(40 + v) * 35.0 + f.vortexWeight[v] * 0.04889822365046136);
    switch (ModeOf<Dimensionality>(f.dimensionality)) {
      case Dimensionality::kAurora:  // a small random walk
        f.vortexX[v] = static_cast<float>(f.vortexX[v] + (f.random.Next() - 0.5) * 0.1);
        f.vortexY[v] = static_cast<float>(f.vortexY[v] + (f.random.Next() - 0.5) * 0.1);
        break;
      case Dimensionality::kClouds:
        BounceVortex(f.vortexX[v], f.vortexVelX[v], f.width);
        BounceVortex(f.vortexY[v], f.vortexVelY[v], f.height);
        break;
      case Dimensionality::kOrganic:  // vortex 0 follows the crowd, the others wander
        if (v == 0) {
          f.vortexX[0] = static_cast<float>(f.vortexX[0] + (meanX - f.vortexX[0]) * 0.05);
          f.vortexY[0] = static_cast<float>(f.vortexY[0] + (meanY - f.vortexY[0]) * 0.05);
        } else {
          WanderVortex(f, v, wallReach, wallStiffness);
        }
        break;
      case Dimensionality::kRecursive:  // the vortex chases a grain
        if (n > 0) {
          // With fewer than two grains the chosen index would lie past the
          // last grain; the last one is chased instead.
          int32_t k = std::clamp(((n - 2) * v) / vortexCount + 1, 0, n - 1);
          f.vortexX[v] = static_cast<float>(f.vortexX[v] + (f.posX[k] - f.vortexX[v]) * 0.04);
          f.vortexY[v] = static_cast<float>(f.vortexY[v] + (f.posY[k] - f.vortexY[v]) * 0.04);
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace

void ParticleField::DriveFrame() {
  if (!stepping || !animating) return;
  StepFrame();
  const bool fading = trails && surface;
  if (fading) surface->UseTableFade(framePath == FramePath::kReference);
  if (fading && framePath == FramePath::kFast) {
    // Shown and faded in one pass over the image where the target allows.
    surface->PresentAndFade(window);
  } else if (surface) {
    surface->Present(window);
  }
  if (frameCount == 0) firstFrameTick = GetClock().TickMs();
  ++frameCount;
  if (fading && framePath == FramePath::kReference) surface->Fade();
}

void ParticleField::StepFrame() {
  // A field without a surface has nothing to show a frame in.
  if (!surface) return;
  if (!trails || clearPending) {
    surface->Clear();
    clearPending = 0;
  }

  // Values that do not depend on the grain.
  GrainMotionFrame motion;
  motion.wallReach = static_cast<float>(1 / (0.4 * activity * 77.0));
  motion.wallStiffness =
      static_cast<float>(((3141598.0 / (static_cast<double>(width) * width)) * 1000.0) / width);
  for (int32_t v = 0; v < kMaxVortices; ++v) {
    const float w = vortexWeight[v];
    motion.span[v] = extraTwist ? w * w * w : w * w;
  }
  GrainColorFrame colorFrame = ComputeGrainColorFrame(*this);
  // With no grain in play there is no mean; it stays at the origin, as in a
  // zoom-out frame.
  float meanX = 0.0f, meanY = 0.0f;

  if (transitionState != kRunning) {
    const GrainColorPass color = MakeGrainColorPass(colorFrame, *this);
    const GrainDrawFrame draw = MakeGrainDrawFrame(*this);
    int32_t parked = 0;
    if (framePath == FramePath::kReference) {
      VirtualPixels px(*surface);
      parked = ZoomOutPass(*this, px, color, draw);
    } else {
      WithPixelSink(*surface, [&](auto& px) { parked = ZoomOutPass(*this, px, color, draw); });
    }
    TransitionStep(*this, parked);
  } else {
    if (messagePhase == MessagePhase::kHolding) {
      // The grains leave the letters under the new favorite's colours.
      if (MessageHoldStep(*this) && randomFavorites) TakeChannelRoles(colorFrame, channelOrder);
    } else if (messagePhase == MessagePhase::kSeeding) {
      MessageSeedingStep(*this);
    } else if (regenerating) {
      RegenerationStep();
    }
    if (messagePhase != MessagePhase::kNone) return;

    const int32_t n = liveGrains;
    GrainMotionSums sums;
    TakeVortexState(motion, *this, std::clamp(complexity, 0, kMaxVortices));
    const GrainColorPass color = MakeGrainColorPass(colorFrame, *this);
    const GrainDrawFrame draw = MakeGrainDrawFrame(*this);
    const GrainArrays grains = {posX, posY, velX, velY};
    if (framePath == FramePath::kReference) {
      VirtualPixels px(*surface);
      RunningPass(px, MotionPath::kScalar, motion, color, draw, grains, n, sums);
    } else {
      WithPixelSink(*surface,
                    [&](auto& px) { RunningPass(px, MotionPath::kBest, motion, color, draw, grains, n, sums); });
    }
    if (sums.spread < n && n == grainCapacity) CollapseBurst(*this, n);
    if (n > 0) {
      meanX = sums.sumX / static_cast<float>(n);
      meanY = sums.sumY / static_cast<float>(n);
    }
  }

  MoveVortices(*this, std::clamp(complexity, 0, kMaxVortices), meanX, meanY, motion.wallReach,
               motion.wallStiffness);
  TransitionTimer(*this);
  OverlayStep(*this);
}

}  // namespace brindlemar
