// brindlemar-settings: Brindlemar's settings window on Linux (see
// platform/posix/gtk/settings_program.h). The paths to the saver and the help
// pages, relative to this program, come from the build: the installed
// layout first, then the build tree's.
#include <string>
#include <vector>

#include "platform/posix/gtk/settings_program.h"

int main(int argc, char** argv) {
  brindlemar::gtk::SettingsProgramPaths paths;
  paths.saver = {BRINDLEMAR_INSTALLED_SAVER, "../saver/brindlemar"};
  paths.help = {BRINDLEMAR_INSTALLED_HELP, "help"};
  return brindlemar::gtk::RunSettingsProgram(std::vector<std::string>(argv + 1, argv + argc), paths);
}
