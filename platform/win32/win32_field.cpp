#include "platform/win32/win32_field.h"

#include <windows.h>

#include <new>
#include <vector>

#include "platform/win32/directdraw_display.h"
#include "platform/win32/front_buffer_surface.h"

namespace brindlemar::win32 {
namespace {

const DirectDrawModeSource& DisplayModes() {
  static const DirectDrawModeSource source;
  return source;
}

}  // namespace

PlatformFamily RunningPlatformFamily() {
  // The top bit of the version is set on the 9x family only.
  return (GetVersion() & 0x80000000u) ? PlatformFamily::kWindows9x : PlatformFamily::kWindowsNt;
}

Win32Field::Win32Field(SettingsStore& store, PlatformFamily family)
    : ParticleField(store, SystemClock(), DisplayModes()) {
  passwordProtected = IsPasswordProtected(family, store);
}

ResultCode Win32Field::CreateFrontBufferSurface24() {
  return CreateSurface(std::unique_ptr<DrawSurface>(new (std::nothrow) FrontBufferSurface24), 24, display.get());
}

ResultCode Win32Field::CreateFrontBufferSurface16() {
  return CreateSurface(std::unique_ptr<DrawSurface>(new (std::nothrow) FrontBufferSurface16), 16, display.get());
}

std::unique_ptr<DisplayInterface> Win32Field::CreateDisplay() {
  return std::unique_ptr<DisplayInterface>(new (std::nothrow) DirectDrawDisplay);
}

int32_t Win32Field::CanReadUserName() {
  DWORD size = 0;
  if (!GetUserNameA(nullptr, &size) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
  std::vector<char> name(size + 1);
  size = static_cast<DWORD>(name.size());
  return GetUserNameA(name.data(), &size) ? 1 : 0;
}

}  // namespace brindlemar::win32
