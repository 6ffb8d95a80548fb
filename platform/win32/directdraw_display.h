// The mode-changing display of the full-screen saver on Windows: DirectDraw,
// loaded at run time from "DDraw.dll", so that the saver still runs (at the
// desktop's mode) where it is missing. Also the list of display modes it
// offers and the COM test of whether it exists at all.
//
// Closing the display gives the desktop its mode back but keeps the library
// loaded: the handle is left behind process-wide, and the entry point frees
// it once at exit (FreeLeftDirectDrawLibrary).
#pragma once

#include "surfaces/display_interface.h"
#include "surfaces/display_modes.h"

struct IDirectDraw;

namespace brindlemar::win32 {

class DirectDrawDisplay final : public DisplayInterface {
 public:
  DirectDrawDisplay() = default;
  ~DirectDrawDisplay() override { Close(); }
  DirectDrawDisplay(const DirectDrawDisplay&) = delete;
  DirectDrawDisplay& operator=(const DirectDrawDisplay&) = delete;

  // window must be a GdiWindow.
  ResultCode Open(WindowTarget* window) override;
  ResultCode SetMode(int32_t width, int32_t height, int32_t bits) override;
  void Close() override;

  // The DirectDraw object while open, for the front-buffer surfaces.
  IDirectDraw* Object() const { return directDraw_; }
  bool IsOpen() const { return open_; }

 private:
  IDirectDraw* directDraw_ = nullptr;
  bool open_ = false;
  void* library_ = nullptr;
  void* window_ = nullptr;
};

// The display modes DirectDraw offers for the primary display.
class DirectDrawModeSource final : public DisplayModeSource {
 public:
  int32_t EnumerateModes(DisplayModeList& list) const override;
};

// Whether a DirectDraw object can be created through COM.
bool IsDirectDrawAvailable();

// Frees the library a closed display left behind, until the system reports
// it gone; nothing when none was left.
void FreeLeftDirectDrawLibrary();

}  // namespace brindlemar::win32
