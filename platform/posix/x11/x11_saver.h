// The X11 saver shell: opens the display, finds or makes the window to draw
// in, attaches a field to it and runs frames until the run ends.
//
// A target of at least 640x480 runs as the full-screen saver (random
// favorites, frames paced by "MaxFPS"), a smaller one as the preview (33 ms
// frames, a quarter of the grains). Input: the full-screen rules in a
// full-screen window of its own; F12 and Escape in a window of its own;
// none in the root window or another program's window, where the saver
// daemon decides. A resized target gets a new field of the new size.
// Full screen, the window covers the whole X screen and holds a field on
// each monitor, one on the primary with the others black, or one across all
// of them, as the "Monitors" choice says (x11_monitors.h finds the
// monitors); a change of the screen lays the fields out again.
// The target window going away ends the run with exit code 0. Stop signals
// (posix/stop_signals.h) end the process at once until the run loop starts;
// from then on they end the run, and the caller ends the process by the
// signal after it.
//
// The Linux shell as a whole (apps/saver/main.cpp starts it):
// - Supports: the root window (--root), a window of its own (--window,
//   --geometry, --fullscreen), another program's window (--window-id, or
//   XSCREENSAVER_WINDOW as the saver daemon sets it); TrueColor visuals of
//   15 to 32 bits (frame_converter.h), through MIT-SHM where the server has
//   it; monitors from RandR or Xinerama (x11_monitors.h); settings in a file
//   (posix/file_store.h); the configuration in brindlemar-settings
//   (posix/gtk/settings_program.h).
// - Does not: change the display mode, ask for a password (the daemon locks
//   the screen), draw on visuals of other classes or under 15 bits.
// - Test hooks: --stats reports each field as it starts (its size, grains
//   and first phase), each change of the screen and the frame counts at the
//   end on standard error, which the end-to-end tests wait for;
//   BRINDLEMAR_CONFIG_DIR names the settings folder (else
//   $XDG_CONFIG_HOME/brindlemar or ~/.config/brindlemar), so that a test has
//   a store of its own.
#pragma once

#include <cstdint>

#include "shell/render_options.h"

namespace brindlemar {

class SettingsStore;

namespace x11 {

// The smallest target that runs as the full-screen saver.
inline constexpr int32_t kFullSaverMinWidth = 640;
inline constexpr int32_t kFullSaverMinHeight = 480;

// options.target and windowId say where to draw (the caller has already let
// XSCREENSAVER_WINDOW decide). Returns the exit code: 0 after a normal end,
// 1 when the display or the window cannot be had or no field can be made.
int RunX11Saver(const SaverOptions& options, SettingsStore& store);

}  // namespace x11
}  // namespace brindlemar
