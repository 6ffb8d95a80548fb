// The overlay step of the frame: what is drawn over the grains (clock face
// or zodiac, password prompt, favorite caption, frame-rate text) and the
// frame-rate control that trades grains and vortices for speed.
#include <cstdio>

#include "engine/process_state.h"
#include "engine/show_steps.h"
#include "overlays/canvas.h"
#include "overlays/clock_face.h"
#include "overlays/zodiac.h"
#include "shell/password.h"

namespace brindlemar {
namespace {

inline constexpr uint32_t kWhite = 0x00FFFFFF;
inline constexpr uint32_t kAdjustEveryMs = 2000;

void DrawFrameRate(ParticleField& f, Canvas& canvas) {
  const std::string text = FrameRateText(f.frameCount, f.GetClock().TickMs() - f.firstFrameTick);
  if (text.empty()) return;
  CanvasFont* previous = canvas.SelectFont(f.italicFont.get());
  const SizeI extent = canvas.TextExtent(text);
  RectI rect = {0, f.height - extent.cy, extent.cx, f.height};
  canvas.SetBackground(Background::kOpaque);
  canvas.SetBackgroundColor(0);
  canvas.SetTextColor(kFrameRateTextColor);
  canvas.DrawText(text, rect, kTextSingleLine | kTextBottom);
  canvas.SelectFont(previous);
}

}  // namespace

std::string FrameRateText(uint32_t frames, uint32_t elapsedMs) {
  if (frames == 0 || elapsedMs == 0) return {};
  // In 64 bits: a counter that runs for hours without a reset would wrap
  // the tenths in 32.
  const uint64_t whole = uint64_t{frames} * 1000 / elapsedMs;
  const uint64_t tenths = uint64_t{frames} * 10000 / elapsedMs % 10;
  char text[48];
  std::snprintf(text, sizeof text, "%llu.%llu fps", static_cast<unsigned long long>(whole),
                static_cast<unsigned long long>(tenths));
  return text;
}

void DrawFavoriteName(ParticleField& f, Canvas& canvas) {
  CanvasFont* previous = canvas.SelectFont(f.uprightFont.get());
  canvas.SetTextColor(kWhite);
  canvas.SetBackground(Background::kTransparent);
  const SizeI extent = canvas.TextExtent(f.favoriteName);
  const int32_t x = f.showClock ? 0 : (f.width - extent.cx) / 2;
  RectI rect = {x, 0, x + extent.cx, extent.cy};
  canvas.DrawText(f.favoriteName, rect, kTextSingleLine);
  canvas.SelectFont(previous);
}

void AdjustFrameRate(ParticleField& f, uint32_t now) {
  const int32_t n = f.liveGrains;
  const int32_t v = f.complexity;
  if (!f.fullScreen || f.frameCount <= 5 || (n <= f.halfGrains && v <= f.complexityHalf)) return;
  if (static_cast<int32_t>(now - f.adjustTick) < static_cast<int32_t>(kAdjustEveryMs)) return;
  const double fps = f.frameCount / static_cast<double>(now - f.firstFrameTick) * 1000;
  if (fps < f.targetFps && fps > f.lastFps + 0.25) {
    const double ratio = 1 - (1 - fps / f.targetFps) * 0.4;
    if (v > f.complexityHalf && (ratio < 0.97 || n == f.halfGrains)) f.complexity -= 1;
    if (ratio > 0.992 || n <= f.halfGrains) {
      f.halfGrains = n;
    } else {
      f.SetGrainCount(static_cast<int32_t>(n * ratio), 0);
    }
    f.frameCount = 0;
    f.lastFps = static_cast<int32_t>(fps);
  }
  f.adjustTick = now;
}

void OverlayStep(ParticleField& f) {
  Canvas* canvas = f.surface->GetDrawingDC();
  if (!canvas) return;
  const uint32_t now = f.GetClock().TickMs();
  if (f.showClock) {
    const LocalTime time = f.GetClock().Local();
    canvas->SelectPen(StockPen::kWhite);
    if (f.overlayStyle == Stored(OverlayStyle::kClockFace)) {
      DrawClockFace(f, *canvas, time, 1, 0);
    } else if (f.overlayStyle == Stored(OverlayStyle::kZodiac)) {
      DrawZodiac(f, *canvas, f.symbolFont.get());
    }
  }
  if (f.passwordPrompt != 0) DrawPasswordPrompt(f, *canvas, 1);
  if (f.randomFavorites && now - f.favoriteTick <= kCaptionMs) DrawFavoriteName(f, *canvas);
  AdjustFrameRate(f, now);
  if (Process().showFps) DrawFrameRate(f, *canvas);
  f.surface->ReleaseDrawingDC(canvas);
}

}  // namespace brindlemar
