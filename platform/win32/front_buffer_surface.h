// The full-screen surfaces of a run whose display mode was changed through
// DirectDraw: the frame is composed in a DIB exactly as in the memory kinds,
// sized to the DirectDraw primary surface, and copied with one GDI block
// transfer into the primary surface's own device context. A primary surface
// that was lost (another program took the display) is restored once per
// frame; a frame that still finds no context is dropped.
#pragma once

#include "surfaces/draw_surface.h"

struct IDirectDraw;
struct IDirectDrawSurface;

namespace brindlemar::win32 {

template <class Memory, int32_t kBits>
class FrontBufferSurface final : public Memory {
 public:
  ~FrontBufferSurface() override { ReleasePrimary(); }

  // display must be an open DirectDrawDisplay; kInvalidArg without one.
  ResultCode Create(WindowTarget* window, DisplayInterface* display) override;
  void Present(WindowTarget* target) override;
  // Shown on the primary surface, not through the window target: never in
  // one pass with the fade.
  void PresentAndFade(WindowTarget* target) override {
    Present(target);
    this->Fade();
  }
  void Destroy() override;
  void ResetFields() override;

 private:
  void ReleasePrimary();

  IDirectDraw* directDraw_ = nullptr;
  IDirectDrawSurface* primary_ = nullptr;
};

using FrontBufferSurface24 = FrontBufferSurface<MemorySurface24, 24>;
using FrontBufferSurface16 = FrontBufferSurface<MemorySurface16, 16>;

}  // namespace brindlemar::win32
