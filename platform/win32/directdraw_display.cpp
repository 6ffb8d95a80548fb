#include "platform/win32/directdraw_display.h"

#include <windows.h>
#include <objbase.h>
#include <ddraw.h>

#include "platform/win32/gdi_window.h"

namespace brindlemar::win32 {
namespace {

using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID*, LPDIRECTDRAW*, IUnknown*);

// DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX.
constexpr DWORD kExclusiveLevel = 0x51;

constexpr CLSID kDirectDrawClass = {0xD7B70EE0, 0x4340, 0x11CF, {0xB0, 0x63, 0x00, 0x20, 0xAF, 0xC2, 0xCD, 0x35}};
constexpr IID kDirectDraw2Interface = {0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

constexpr int32_t kMaxLibraryFrees = 64;

HMODULE leftLibrary = nullptr;

// Loads the library and makes a DirectDraw object for the primary display;
// on failure nothing stays loaded.
HRESULT CreateDirectDraw(HMODULE& library, IDirectDraw*& object) {
  object = nullptr;
  library = LoadLibraryA("DDraw.dll");
  if (!library) return kFail;
  auto create =
      reinterpret_cast<DirectDrawCreateFn>(reinterpret_cast<void*>(GetProcAddress(library, "DirectDrawCreate")));
  HRESULT code = create ? create(nullptr, &object, nullptr) : kFail;
  if (FAILED(code) || !object) {
    object = nullptr;
    FreeLibrary(library);
    library = nullptr;
    return FAILED(code) ? code : kFail;
  }
  return kOk;
}

HRESULT WINAPI OfferMode(LPDDSURFACEDESC desc, LPVOID context) {
  static_cast<DisplayModeList*>(context)->Offer(static_cast<int32_t>(desc->dwWidth),
                                                static_cast<int32_t>(desc->dwHeight),
                                                static_cast<int32_t>(desc->ddpfPixelFormat.dwRGBBitCount));
  return DDENUMRET_OK;
}

}  // namespace

ResultCode DirectDrawDisplay::Open(WindowTarget* window) {
  if (open_) return kUnexpected;
  auto* gdiWindow = dynamic_cast<GdiWindow*>(window);
  if (!gdiWindow || !gdiWindow->Handle()) return kInvalidArg;
  HMODULE library = LoadLibraryA("DDraw.dll");
  if (!library) return kFail;
  window_ = gdiWindow->Handle();
  auto create =
      reinterpret_cast<DirectDrawCreateFn>(reinterpret_cast<void*>(GetProcAddress(library, "DirectDrawCreate")));
  HRESULT code = create ? create(nullptr, &directDraw_, nullptr) : kFail;
  if (SUCCEEDED(code) && directDraw_) {
    code = directDraw_->SetCooperativeLevel(static_cast<HWND>(window_), kExclusiveLevel);
    if (SUCCEEDED(code)) {
      open_ = true;
      library_ = library;
      return kOk;
    }
  } else if (SUCCEEDED(code)) {
    code = kFail;
  }
  if (directDraw_) {
    directDraw_->SetCooperativeLevel(static_cast<HWND>(window_), DDSCL_NORMAL);
    directDraw_->Release();
    directDraw_ = nullptr;
  }
  FreeLibrary(library);
  return code;
}

ResultCode DirectDrawDisplay::SetMode(int32_t width, int32_t height, int32_t bits) {
  if (!open_) return kUnexpected;
  return directDraw_->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), static_cast<DWORD>(bits));
}

void DirectDrawDisplay::Close() {
  if (open_) {
    directDraw_->Release();
    if (library_) leftLibrary = static_cast<HMODULE>(library_);
  }
  directDraw_ = nullptr;
  open_ = false;
  library_ = nullptr;
  window_ = nullptr;
}

int32_t DirectDrawModeSource::EnumerateModes(DisplayModeList& list) const {
  HMODULE library = nullptr;
  IDirectDraw* object = nullptr;
  if (FAILED(CreateDirectDraw(library, object))) return 0;
  list = DisplayModeList{};
  object->EnumDisplayModes(0, nullptr, &list, OfferMode);
  object->Release();
  FreeLibrary(library);
  return list.count;
}

bool IsDirectDrawAvailable() {
  if (FAILED(CoInitialize(nullptr))) return false;
  void* object = nullptr;
  HRESULT code = CoCreateInstance(kDirectDrawClass, nullptr, CLSCTX_INPROC_SERVER, kDirectDraw2Interface, &object);
  if (SUCCEEDED(code) && object) static_cast<IUnknown*>(object)->Release();
  CoUninitialize();
  return SUCCEEDED(code) && object;
}

void FreeLeftDirectDrawLibrary() {
  if (!leftLibrary) return;
  // A library the system keeps loaded for good (Wine's built-in one) reports
  // every free as a success: stop once it says the module is still there
  // after more frees than this process could have made loads.
  for (int32_t frees = 0; frees < kMaxLibraryFrees && FreeLibrary(leftLibrary); ++frees) {
    if (GetModuleHandleA("DDraw.dll") != leftLibrary) break;
  }
  leftLibrary = nullptr;
}

}  // namespace brindlemar::win32
