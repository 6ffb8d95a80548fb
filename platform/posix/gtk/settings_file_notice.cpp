#include "platform/posix/gtk/settings_file_notice.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace brindlemar::gtk {
namespace {

// The window lists this many of the lines left out; the copy kept aside has
// every one, and standard error lists more.
constexpr size_t kListedLines = 5;

std::string DroppedSentence(const posix::SettingsFileDamage& damage, bool readOnly) {
  size_t lines = 0;
  for (const posix::DroppedLines& d : damage.dropped) lines += d.last - d.first + 1;
  std::string text = lines == 1 ? "A line of the settings file could not be read and was left out: "
                                : std::to_string(lines) + " lines of the settings file could not be read and were "
                                                          "left out: ";
  for (size_t i = 0; i < damage.dropped.size() && i < kListedLines; ++i) {
    if (i > 0) text += "; ";
    text += posix::DescribeDropped(damage.dropped[i]);
  }
  if (damage.dropped.size() > kListedLines) {
    text += "; and " + std::to_string(damage.dropped.size() - kListedLines) + " more";
  }
  text += ".";
  if (!damage.keptAs.empty()) {
    return text + " Everything else is kept. The file as it was is kept as " + damage.keptAs + ".";
  }
  // A read-only file's own sentence says why it stays.
  if (readOnly) return text + " Everything else is shown.";
  return text + " Everything else is shown; the file stays as it is, and nothing is saved.";
}

std::string WholeFileSentence(const posix::SettingsFileDamage& damage, const std::string& path, bool readOnly) {
  if (!damage.keptAs.empty()) {
    return "The settings file was damaged (" + damage.wholeFile + "). It has been kept as " + damage.keptAs +
           ", and the settings start from the defaults: OK saves them in a new file.";
  }
  return "The settings file " + path + " is damaged (" + damage.wholeFile + ") and " +
         (readOnly ? "read-only, so it stays" : "stays") +
         " as it is: the settings shown are the defaults, and nothing is saved.";
}

}  // namespace

std::string UserSettingsDirectory() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    if (const passwd* user = getpwuid(getuid())) home = user->pw_dir;
  }
  return posix::UserConfigDirectory(std::getenv("BRINDLEMAR_CONFIG_DIR"), std::getenv("XDG_CONFIG_HOME"), home);
}

std::string SettingsFileNotice(const SettingsFileState& state) {
  if (state.directory.empty()) return "There is no settings directory (HOME is not set): nothing can be saved.";
  const std::string path = state.directory + "/" + posix::kSettingsFileName;
  if (!state.unreadable.empty()) {
    return "The settings file " + path + " cannot be read (" + state.unreadable +
           "): the settings shown are the defaults, and nothing is saved until it can be read.";
  }
  std::string text;
  if (!state.damage.wholeFile.empty()) {
    text = WholeFileSentence(state.damage, path, state.readOnly);
    // A file damaged whole that stays in place shows the defaults, not what it stores.
    if (state.damage.keptAs.empty()) return text;
  }
  if (!state.damage.dropped.empty()) text = DroppedSentence(state.damage, state.readOnly);
  if (state.readOnly) {
    if (!text.empty()) text += " ";
    text += "The settings file " + path +
            " is read-only: the settings are shown as stored, and nothing you change here is saved.";
  }
  return text;
}

}  // namespace brindlemar::gtk
