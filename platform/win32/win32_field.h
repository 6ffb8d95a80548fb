// The particle field of the Windows saver: the engine's field with the
// platform's pieces plugged in: DirectDraw for the full-screen mode change
// and its front-buffer surfaces, the modes DirectDraw offers for the default
// mode, the logged-on user's name, and the password protection that only the
// 9x family asks the saver for.
#pragma once

#include "engine/particle_field.h"
#include "shell/password.h"

namespace brindlemar::win32 {

// The family this process runs on.
PlatformFamily RunningPlatformFamily();

class Win32Field final : public ParticleField {
 public:
  Win32Field(SettingsStore& store, PlatformFamily family);

  ResultCode CreateFrontBufferSurface24() override;
  ResultCode CreateFrontBufferSurface16() override;

 protected:
  std::unique_ptr<DisplayInterface> CreateDisplay() override;
  int32_t CanReadUserName() override;
};

}  // namespace brindlemar::win32
