// What the settings program tells the user about the settings file itself.
// The store keeps a damaged file aside by renaming it to
// "<file>.damaged-<date>-<time>" and says so on standard error, which a
// program started from a menu has nobody reading; this file system (the
// store's seam for its file calls) notices that rename, so that the window
// can say it. A file that exists but cannot be read is found by trying.
#pragma once

#include <string>

#include "platform/posix/file_system.h"

namespace brindlemar::gtk {

class SettingsFileWatch final : public posix::FileSystem {
 public:
  // Where a damaged settings file was kept since the last call; empty when
  // none was.
  std::string TakeSetAside();

 protected:
  int Fault(posix::FileCall call, const char* path) override;

 private:
  std::string renamedTo_;
};

// The user's settings directory, as the saver finds it.
std::string UserSettingsDirectory();

// A sentence for the window about the settings file in directory: kept
// aside as setAside (when not empty), or unreadable; empty when all is well.
std::string SettingsFileNotice(const std::string& directory, const std::string& setAside);

}  // namespace brindlemar::gtk
