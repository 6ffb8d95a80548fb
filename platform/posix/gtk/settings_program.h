// brindlemar-settings: Brindlemar's configuration dialog on Linux. One
// window drives the same dialog logic as the Windows dialogs (ui/) over GTK
// widgets, with a live preview, and reads and writes the settings file the
// saver reads (~/.config/brindlemar/settings.reg).
//
// A SettingsSession is everything one run of the window lives with, made in
// the order it needs: the settings file's store (each user action one change
// of the file, the display-mode values left alone), the preview, the host,
// the preview's field (which reads the settings and, on a first run,
// installs the presets), the window and the dialog logic. What is wrong with
// the settings file (unreadable, read-only, damaged) is said above the pages;
// a change that cannot be saved for another reason is said in a message box,
// with its cause, once for each cause.
//
// - Supports: every page and satellite dialog of the Windows configuration
//   dialog, the live preview, help pages in the desktop's browser, starting
//   the saver full screen from Preview; the state of the settings file
//   above the pages (settings_file_notice.h).
// - Does not: offer the display mode or DirectDraw (the Linux saver never
//   changes the mode; their stored values are kept as they are) or the
//   password (the saver daemon locks the screen).
// - Test hooks: BRINDLEMAR_CONFIG_DIR names the settings folder, as for the
//   saver; BRINDLEMAR_CONTROL_MAP names a file in which every window keeps
//   the place of each control it shows (logic_window.h), so that the
//   end-to-end tests can click and type into controls by their ids.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "platform/posix/file_store.h"
#include "platform/posix/gtk/dialog_windows.h"
#include "platform/posix/gtk/gtk_dialog_host.h"
#include "platform/posix/gtk/preview_area.h"
#include "platform/posix/gtk/settings_file_notice.h"
#include "platform/posix/gtk/settings_window_store.h"
#include "ui/config_dialog.h"

namespace brindlemar::gtk {

// Where the program looks for the saver and the help pages: paths relative
// to its own directory, installed layout first, then the build tree's.
struct SettingsProgramPaths {
  std::vector<std::string> saver;
  std::vector<std::string> help;
};

// The size of the preview, in units of the window: pixels, or on a display
// that scales windows, as many of its pixels each way as its scale says.
inline constexpr int32_t kPreviewWidth = 320;
inline constexpr int32_t kPreviewHeight = 240;

class SettingsSession {
 public:
  // GTK must be initialised; directory is the settings directory. What the
  // settings file's store finds wrong it says through reporter as well as in
  // the window.
  SettingsSession(const std::string& directory, ErrorReporter& reporter, FrameTimer& timer, ProgramPlaces places);
  ~SettingsSession();

  // Runs the window until OK or Cancel ends it: 1 after OK, 0 after Cancel.
  int32_t Run();

  ConfigWindow& Window() { return window_; }
  GtkDialogHost& Host() { return host_; }
  PreviewArea& Preview() { return preview_; }
  ParticleField& Field() { return field_; }
  ui::ConfigDialog& Logic() { return logic_; }

 private:
  // Shows what is wrong with the settings file, if anything.
  void Report();
  // Says why the last action's changes were not saved, unless the notice
  // says it or it was said before.
  void SayUnsaved();

  std::string directory_;
  posix::FileStore file_;
  SettingsWindowStore store_;
  PreviewArea preview_;
  GtkDialogHost host_;
  ParticleField field_;
  ConfigWindow window_;
  ui::ConfigDialog logic_;
  posix::SettingsFileDamage damage_;
  std::set<std::string> saidUnsaved_;
};

// Runs the program; its exit status: 0 after OK or Cancel, 1 without a
// display, 2 for bad arguments.
int RunSettingsProgram(const std::vector<std::string>& args, const SettingsProgramPaths& paths);

}  // namespace brindlemar::gtk
