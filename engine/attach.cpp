// Attaching the field to a window: the per-run decisions of whether the
// display mode is changed and which surface kind draws, each failure falling
// back to the next kind, down to a memory surface at the desktop's mode.
#include <algorithm>

#include "engine/particle_field.h"
#include "settings/load_parameters.h"

namespace brindlemar {

namespace {

inline constexpr int32_t kOverlayFontWeight = 400;
inline constexpr int32_t kSymbolFontWeight = 150;

}  // namespace

std::unique_ptr<DisplayInterface> ParticleField::CreateDisplay() { return nullptr; }

int32_t ParticleField::CanReadUserName() { return 1; }

ResultCode ParticleField::Attach(WindowTarget* target, int32_t fullScreenFlag) {
  if (!target) return kInvalidArg;
  fullScreen = fullScreenFlag;
  if (!fullScreen) randomFavorites = 0;
  LoadParameters(*this, Store(), randomFavorites != 0);

  window = target;
  stepping = 1;
  passwordPrompt = 0;
  target->GetClientSize(width, height);
  SetReflectionCount(reflectionCount);

  const int32_t desktopBits = target->DesktopBits();
  const bool desktopIsWanted = desktopBits == screenResBits && width == screenResX && height == screenResY;
  if (desktopIsWanted || passwordProtected || !fullScreen || !CanReadUserName()) useDirectDraw = 0;

  if (!fullScreen) {
    liveGrains = std::min(liveGrains / 4, kMaxGrains);
    grainCapacity = std::min(grainCapacity / 4, kMaxGrains);
  }

  const bool plainShow = !trails && !randomFavorites;
  ResultCode code = kFail;
  if (!useDirectDraw) {
    if (fullScreen && !trails) {
      if (desktopBits >= 24) code = CreateMemorySurface24();
      if (desktopBits < 24 || Failed(code)) code = CreateMemorySurface16();
    } else {
      code = CreateMemorySurface24();
    }
  } else {
    display = CreateDisplay();
    code = display ? display->Open(target) : kFail;
    if (!Failed(code)) code = display->SetMode(screenResX, screenResY, screenResBits);
    // A mode the display refuses is one more failure of the mode change:
    // the run goes on at the desktop's own mode rather than not at all.
    if (Failed(code) && display) {
      display->Close();
      display.reset();
    }
    code = kFail;
    if (!(screenResBits < 24 && plainShow)) code = CreateFrontBufferSurface24();
    if (Failed(code) && plainShow) code = CreateFrontBufferSurface16();
    if (!Failed(code)) {
      width = screenResX;
      height = screenResY;
    } else if (plainShow) {
      if (desktopBits >= 24) code = CreateMemorySurface24();
      if (desktopBits < 24 || Failed(code)) code = CreateMemorySurface16();
    } else {
      code = CreateMemorySurface24();
    }
  }

  if (Failed(code)) {
    if (surface) surface->Destroy();
    surface.reset();
    if (display) display->Close();
    display.reset();
    return code;
  }
  RefreshFade();
  CreateOverlayFonts();
  return kOk;
}

void ParticleField::CreateOverlayFonts() {
  italicFont.reset();
  uprightFont.reset();
  symbolFont.reset();
  Canvas* canvas = surface ? surface->GetDrawingDC() : nullptr;
  if (!canvas) return;
  int32_t textHeight = height / 24;
  if (textHeight < 16) textHeight = 14;
  italicFont = canvas->CreateFont({"Times New Roman", textHeight, kOverlayFontWeight, 1});
  uprightFont = canvas->CreateFont({"Times New Roman", textHeight, kOverlayFontWeight, 0});
  symbolFont = canvas->CreateFont({"Wingdings", height / 13, kSymbolFontWeight, 0});
  surface->ReleaseDrawingDC(canvas);
}

}  // namespace brindlemar
