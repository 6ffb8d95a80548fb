// The show around the grains, as steps of the frame: the zoom-out that blows
// the picture up about the centre before a transition, the transition and
// pop-up message state machines, the timer that starts transitions, and the
// overlay step (clock face or zodiac, password prompt, favorite caption,
// frame-rate control and frame-rate text).
//
// transitionState: 0 running, 1 zooming out, 2 switching.
// messagePhase: MessagePhase (engine/modes.h).
#pragma once

#include <cstdint>
#include <string>

#include "engine/grain_color.h"
#include "engine/grain_plot.h"
#include "engine/particle_field.h"

namespace brindlemar {

class Canvas;

inline constexpr int32_t kRunning = 0;
inline constexpr int32_t kZoomingOut = 1;
inline constexpr int32_t kSwitching = 2;

inline constexpr uint32_t kSwitchPauseMs = 200;
inline constexpr uint32_t kMessageHoldMs = 8000;
inline constexpr int32_t kSeedsPerFrame = 100;
inline constexpr int32_t kSeedProbes = 110;
inline constexpr uint32_t kCaptionMs = 6000;
inline constexpr uint32_t kFrameRateTextColor = 0x00B860C4;  // RGB(184, 96, 196)

// Blows every grain's position up about the centre, parks the grains that
// leave the screen at (0, 2H), and colours and draws every grain. Returns
// the number of grains parked, earlier ones included.
template <class Pixels>
int32_t ZoomOutPass(ParticleField& f, Pixels& px, const GrainColorPass& color, const GrainDrawFrame& draw) {
  const int32_t n = f.liveGrains;
  const int32_t halfW = f.width / 2, halfH = f.height / 2;
  const float w = static_cast<float>(f.width), h = static_cast<float>(f.height);
  const float s = static_cast<float>((f.GetClock().TickMs() - f.phaseTick) * 0.00002 + 1.0);
  int32_t parked = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double grow = ((i * 0.12) / n + 1.003) * s;
    f.posX[i] = static_cast<float>((f.posX[i] - halfW) * grow + halfW);
    f.posY[i] = static_cast<float>((f.posY[i] - halfH) * grow + halfH);
    if (f.posX[i] < 2 || f.posX[i] >= w - 2 || f.posY[i] < 2 || f.posY[i] >= h - 2) {
      f.posX[i] = 0;
      f.posY[i] = 2 * h;
      ++parked;
    }
  }
  // Colour and drawing read only a grain's own values: they can follow the
  // whole move in one pass, as in the running pass.
  if (n > 0) ColorAndDrawGrains(px, color, draw, f.posX, f.posY, f.velX, f.velY, 0, n);
  return parked;
}

// After the zoom-out pass: moves the transition on to the switch once every
// grain is parked or an interval has gone by, and from the switch to the
// next favorite or to a pop-up message.
void TransitionStep(ParticleField& f, int32_t parked);

// A draw of messageIndex that favours the first messages and, with two or
// more, never repeats the current one.
void ChooseMessageIndex(ParticleField& f);

// Seeds the next 100 grains onto the bright pixels of the message.
void MessageSeedingStep(ParticleField& f);

// Shows the message until 8 s after seeding began; true in the frame in
// which the hold ends (the grains then start to move in the same frame).
bool MessageHoldStep(ParticleField& f);

void TransitionTimer(ParticleField& f);

// Draws the overlays into the frame; returns without drawing when the
// surface has no canvas.
void OverlayStep(ParticleField& f);

// Cuts vortices and grains while the measured frame rate stays below
// targetFps; full screen only, never below the halves.
void AdjustFrameRate(ParticleField& f, uint32_t now);

// "%d.%d fps" for frames counted over elapsedMs; empty when either is 0.
std::string FrameRateText(uint32_t frames, uint32_t elapsedMs);

void DrawFavoriteName(ParticleField& f, Canvas& canvas);

}  // namespace brindlemar
