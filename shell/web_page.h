// The web page's side in WebAssembly: one field run for the page's link, at
// the page's size in device pixels, on a window made of memory whose copy of
// each frame is the red, green, blue, alpha that the browser's canvas takes.
//
// Live, frames come at the saver's rate (FramePacer, "MaxFPS" of the page's
// store: 33 ms) as the browser's animation callbacks offer the time, and the
// field's clock runs with the browser's, but for the pauses: a browser stops
// the callbacks of a page out of sight, and the field's tick count stands
// still meanwhile, so that its frame-rate control does not take the pause for
// a slow machine and thin the grains. A pause is a long wait from the moment
// a frame reached the canvas to the next callback; a frame that itself takes
// long is a slow machine, whose grains are thinned as the saver's are. The
// clock face and the zodiac show the browser's calendar of each frame, which
// goes on through pauses and a sleep of the computer (in which the browser's
// own clock may stand still); a start time in the link runs on from there.
//
// With --frames in the link the page is a still picture instead: frame N of
// a run on the renderer's simulated clock (30 frames a second), the same
// bytes brindlemar-render writes for the same settings, seed and size.
//
// The overlays' letters come from the bitmap canvas: the browser's fonts are
// out of reach of the frame buffer.
//
// Portable: page.js (apps/web) calls it through the functions the
// WebAssembly build exports; the tests drive it natively.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/particle_field.h"
#include "shell/field_run.h"
#include "shell/page_link.h"
#include "shell/run_pacing.h"
#include "surfaces/memory_window.h"

namespace brindlemar {

class WebPage {
 public:
  // Reads the link and starts its run at width x height (the link's --size
  // wins). nowMs is the browser's clock, localTimeMs the local calendar in
  // milliseconds since 1970, seed the seed unless the link gives one. False
  // when the run cannot start (Error() says why); the link's problems are
  // there either way.
  bool Open(std::string_view query, int32_t width, int32_t height, double nowMs, double localTimeMs, int32_t seed);

  // Live: runs a frame when one is due at nowMs (the browser's clock), with
  // localTimeMs the local calendar then; true when it did.
  bool Animate(double nowMs, double localTimeMs);
  // The frame Animate ran reached the canvas at nowMs.
  void FrameShown(double nowMs) { shownMs_ = nowMs; }
  // Still: runs up to count more frames toward the link's frame; the frames
  // still to run.
  int32_t RunStill(int32_t count);

  const PageLink& Link() const { return link_; }
  const std::string& Error() const { return error_; }
  ParticleField& Field() { return run_.Field(); }
  bool Running() const { return window_ != nullptr && error_.empty(); }
  int32_t StillFrames() const { return link_.options.frames.value_or(0); }
  int32_t Width() const { return window_ ? window_->Width() : 0; }
  int32_t Height() const { return window_ ? window_->Height() : 0; }
  // The last frame shown, width x height red, green, blue, alpha.
  const uint8_t* Pixels() const { return window_ ? window_->Rgb().data() : nullptr; }
  // A 64-bit FNV-1a hash of the last frame's red, green, blue bytes, in
  // hexadecimal.
  std::string PixelHash() const;

  // The panel's controls and what each shows now.
  std::vector<int32_t> PanelValuesNow();
  // The link's query after the control of id was set to value; empty for an
  // id that names no control.
  std::string ChangedQuery(std::string_view id, int32_t value);

 private:
  // The favorite the rotation has reached, when the favorites rotate.
  std::string ShownFavorite();

  PageLink link_;
  FieldRunSetup setup_;
  std::unique_ptr<MemoryWindow> window_;
  FieldRun run_;
  std::optional<FramePacer> pacer_;
  double openedMs_ = 0;
  double shownMs_ = 0;   // when the last frame reached the canvas
  double pausedMs_ = 0;  // of the browser's time since the opening
  int32_t framesRun_ = 0;
  std::string error_;
};

}  // namespace brindlemar
