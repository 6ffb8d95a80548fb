// What the settings program tells the user about the settings file itself,
// above its pages. The store says the same on standard error, which a
// program started from a menu has nobody reading: that the file cannot be
// read (the window then shows the defaults and saves nothing), that it is
// read-only (shown as stored, nothing saved), and what damage was found in
// it (lines left out, or the whole file set aside) and where the file as it
// was is kept.
#pragma once

#include <string>

#include "platform/posix/file_store.h"

namespace brindlemar::gtk {

// The settings file as the window found it.
struct SettingsFileState {
  // The settings directory; empty when there is none (HOME not set).
  std::string directory;
  // Why the file cannot be read; empty when it can, or is missing.
  std::string unreadable;
  bool readOnly = false;
  // The damage found since the window opened.
  posix::SettingsFileDamage damage;
};

// The user's settings directory, as the saver finds it.
std::string UserSettingsDirectory();

// Sentences for the window about the settings file; empty when all is well.
std::string SettingsFileNotice(const SettingsFileState& state);

}  // namespace brindlemar::gtk
