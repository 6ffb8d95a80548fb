#include "platform/win32/front_buffer_surface.h"

#include "platform/win32/dib_image.h"
#include "platform/win32/directdraw_display.h"

#include <ddraw.h>

namespace brindlemar::win32 {
namespace {

// DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY.
constexpr DWORD kPrimaryCaps = 0x4200;

}  // namespace

template <class Memory, int32_t kBits>
ResultCode FrontBufferSurface<Memory, kBits>::Create(WindowTarget* window, DisplayInterface* display) {
  auto* directDraw = dynamic_cast<DirectDrawDisplay*>(display);
  directDraw_ = directDraw ? directDraw->Object() : nullptr;
  if (!directDraw_ || !window) return kInvalidArg;
  if (this->header) return kUnexpected;

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = kPrimaryCaps;
  HRESULT code = directDraw_->CreateSurface(&desc, &primary_, nullptr);
  if (FAILED(code) || !primary_) {
    primary_ = nullptr;
    return FAILED(code) ? code : kFail;
  }
  DDSURFACEDESC shape{};
  shape.dwSize = sizeof(shape);
  code = primary_->GetSurfaceDesc(&shape);
  if (FAILED(code)) return code;
  code = this->TakeImage(window, static_cast<int32_t>(shape.dwWidth), static_cast<int32_t>(shape.dwHeight), kBits);
  return code;
}

template <class Memory, int32_t kBits>
void FrontBufferSurface<Memory, kBits>::Present(WindowTarget*) {
  if (!primary_ || !this->image) return;
  HDC dc = nullptr;
  HRESULT code = primary_->GetDC(&dc);
  if (code == DDERR_SURFACELOST) {
    primary_->Restore();
    code = primary_->GetDC(&dc);
  }
  if (FAILED(code) || !dc) return;
  // Source row 2 is the first visible row: the guard rows come first as GDI
  // addresses the bottom-up bitmap.
  BitBlt(dc, 0, 0, this->width, this->height, static_cast<DibImage&>(*this->image).MemoryDc(), 0, 2, SRCCOPY);
  primary_->ReleaseDC(dc);
}

template <class Memory, int32_t kBits>
void FrontBufferSurface<Memory, kBits>::Destroy() {
  ReleasePrimary();
  Memory::Destroy();
}

template <class Memory, int32_t kBits>
void FrontBufferSurface<Memory, kBits>::ResetFields() {
  Memory::ResetFields();
  directDraw_ = nullptr;
  primary_ = nullptr;
}

template <class Memory, int32_t kBits>
void FrontBufferSurface<Memory, kBits>::ReleasePrimary() {
  if (primary_) primary_->Release();
  primary_ = nullptr;
}

template class FrontBufferSurface<MemorySurface24, 24>;
template class FrontBufferSurface<MemorySurface16, 16>;

}  // namespace brindlemar::win32
