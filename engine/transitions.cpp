// Transitions and pop-up messages: the state machines that zoom the picture
// out, switch favorites, and spell a message in grains before letting them
// go again.
#include <algorithm>
#include <cmath>

#include "engine/show_steps.h"
#include "engine/transition_interval.h"
#include "overlays/message_overlay.h"
#include "settings/load_parameters.h"

namespace brindlemar {
namespace {

inline constexpr uint32_t kSeedBrightness = 0x00C8C8C8u;

// Draws the current message into the frame; false when the surface has no
// canvas.
bool DrawCurrentMessage(ParticleField& f) {
  Canvas* canvas = f.surface->GetDrawingDC();
  if (!canvas) return false;
  DrawMessage(f, *canvas);
  f.surface->ReleaseDrawingDC(canvas);
  return true;
}

}  // namespace

void ChooseMessageIndex(ParticleField& f) {
  int32_t m;
  do {
    m = static_cast<int32_t>(std::pow(f.random.Next(), 1.4) * f.messageCount);
  } while (f.messageCount >= 2 && m == f.messageIndex);
  f.messageIndex = m;
}

void TransitionStep(ParticleField& f, int32_t parked) {
  const uint32_t now = f.GetClock().TickMs();
  if (f.transitionState == kZoomingOut) {
    if (now - f.phaseTick > f.transitionInterval || parked >= f.liveGrains) {
      f.phaseTick = now;
      ChooseMessageIndex(f);
      f.transitionState = kSwitching;
    }
    return;
  }
  if (!f.showMessages && f.randomFavorites) {
    LoadParameters(f, f.Store(), true);
    f.transitionState = kRunning;
    f.frameCount = 0;
    f.adjustTick = now;
    f.lastFps = 0;
    f.phaseTick = now;
  } else if (now - f.phaseTick > kSwitchPauseMs) {
    f.phaseTick = now;
    f.transitionState = kRunning;
    f.messagePhase = MessagePhase::kSeeding;
  }
}

void MessageSeedingStep(ParticleField& f) {
  DrawCurrentMessage(f);
  const RectI& r = f.messageRect;
  int32_t& cursor = f.seedCursor;
  const int32_t n = f.liveGrains;
  const int32_t end = std::min(cursor + kSeedsPerFrame, n);
  for (; cursor < end; ++cursor) {
    const int32_t i = cursor;
    double x = 0, y = 0;
    for (int32_t probe = 0; probe < kSeedProbes; ++probe) {
      x = f.random.Next() * (r.right - r.left) + r.left;
      y = f.random.Next() * (r.bottom - r.top) + r.top;
      if (f.surface->GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)) >= kSeedBrightness) break;
    }
    f.posX[i] = static_cast<float>(x);
    f.posY[i] = static_cast<float>(y);
    const double speed = (f.random.Next() - 0.5) * f.speedScale;
    const double a = (f.random.Next() - 0.5) * 6.283185307179586;
    f.velX[i] = static_cast<float>(std::sin(a) * speed);
    f.velY[i] = static_cast<float>(std::cos(a) * speed);
    f.color0[i] = f.color1[i] = f.color2[i] = 255.0f;
  }
  if (cursor >= n) {
    cursor = 0;
    f.messagePhase = MessagePhase::kHolding;
  }
}

bool MessageHoldStep(ParticleField& f) {
  if (f.GetClock().TickMs() - f.phaseTick < kMessageHoldMs) {
    DrawCurrentMessage(f);
    return false;
  }
  f.messagePhase = MessagePhase::kNone;
  if (f.randomFavorites) {
    LoadParameters(f, f.Store(), true);
    f.frameCount = 0;
  }
  return true;
}

void TransitionTimer(ParticleField& f) {
  const uint32_t now = f.GetClock().TickMs();
  if (f.transitionInterval == 0 || now - f.phaseTick <= f.transitionInterval) return;
  f.phaseTick = now;
  if ((f.showMessages || f.randomFavorites) && f.passwordPrompt == 0) {
    f.transitionState = kZoomingOut;
    int32_t minTime, maxTime;
    ReadTransitionTimes(f.Store(), minTime, maxTime);
    f.transitionInterval = TransitionIntervalMs(f.random.Next(), minTime, maxTime);
  }
}

}  // namespace brindlemar
