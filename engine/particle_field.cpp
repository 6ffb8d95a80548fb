#include "engine/particle_field.h"

#include <new>

#include "engine/process_state.h"
#include "settings/startup_load.h"

namespace brindlemar {

ParticleField::ParticleField(SettingsStore& store, const Clock& clock, const DisplayModeSource& displayModes)
    : random(clock), store_(&store), clock_(&clock) {
  if (random.AllocateTable() >= 0) {
    random.SeedFromClock();
    for (int32_t i = 0; i < kSmoothChannels; ++i) random.InitChannel(i);
  }
  adjustTick = clock.TickMs() + 2000u;
  startTime = clock.CalendarSeconds();
  LoadStartupSettings(*this, store, displayModes);
  phaseTick = clock.TickMs();
}

ParticleField::~ParticleField() {
  italicFont.reset();
  uprightFont.reset();
  symbolFont.reset();
  if (surface) surface->Destroy();
  surface.reset();
  if (display) display->Close();
  display.reset();
  random.FreeTable();
}

ResultCode ParticleField::CreateSurface(std::unique_ptr<DrawSurface> made, int32_t bits, DisplayInterface* through) {
  surfaceBits = bits;
  surface = std::move(made);
  if (!surface) return kOutOfMemory;
  surface->SetFadeRandom(Process().quickRandom);
  return surface->Create(window, through);
}

ResultCode ParticleField::CreateMemorySurface24() {
  return CreateSurface(std::unique_ptr<DrawSurface>(new (std::nothrow) MemorySurface24), 24, nullptr);
}

ResultCode ParticleField::CreateMemorySurface16() {
  return CreateSurface(std::unique_ptr<DrawSurface>(new (std::nothrow) MemorySurface16), 16, nullptr);
}

// Full-screen display surfaces exist only where the platform provides a
// display object; the platform's field overrides these two.
ResultCode ParticleField::CreateFrontBufferSurface24() {
  surfaceBits = 24;
  surface.reset();
  return kInvalidArg;
}

ResultCode ParticleField::CreateFrontBufferSurface16() {
  surfaceBits = 16;
  surface.reset();
  return kInvalidArg;
}

void ParticleField::BindWindow(WindowTarget* target, int32_t fullScreenFlag) {
  window = target;
  fullScreen = fullScreenFlag;
  stepping = 1;
  if (window) window->GetClientSize(width, height);
}

int32_t ParticleField::Restart(double phaseValue, int32_t dim, int32_t config, int32_t cplx) {
  if (armed) Disarm();
  if (dim == -1) dim = dimensionality;
  if (config == -1) config = configuration;
  if (cplx == -1) cplx = complexity;
  if (dim == -1 || config == -1 || cplx == -1) return 0;
  if (!random.HasTable()) return 0;
  for (int32_t i = 0; i < kSmoothChannels; ++i) random.InitChannel(i);
  dimensionality = dim;
  configuration = config;
  complexity = cplx;
  armed = 1;
  return Build(phaseValue) & 1;
}

void ParticleField::Disarm() { armed = 0; }

int32_t ParticleField::Build(double phaseValue) {
  if (!armed) return 0;
  if (animating) {
    StopAnimation();
    Disarm();
    Restart(phaseValue, -1, -1, -1);
  }
  phase = phaseValue;
  int32_t ok1 = LayOutGrains(0.98746584913 * phaseValue + 0.012534150869999983 * (random.Next() - 0.5)) & 1;
  int32_t ok2 = SetUpVortices((0.98746584913 * phaseValue + 0.012534150869999983 * (random.Next() - 0.5)) * ok1, 1);
  return ok1 & ok2 & 1;
}

int32_t ParticleField::SetConfiguration(int32_t index) {
  if (!armed) return 0;
  if (animating) {
    StopAnimation();
    Disarm();
  }
  configuration = index;
  return Restart(random.Next() - 0.5, -1, -1, -1);
}

int32_t ParticleField::StartAnimation() {
  animating = 1;
  return 1;
}

int32_t ParticleField::StopAnimation() {
  animating = 0;
  clearPending = 1;
  if (window) window->Invalidate();
  return 1;
}

}  // namespace brindlemar
