// brindlemar: the saver on an X display, as an xscreensaver hack (the root
// window or the window the daemon names), a full-screen saver or a window of
// its own. Settings come from the user's settings file; the command line
// overrides some of them for one run without writing them.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/process_state.h"
#include "platform/posix/program_files.h"
#include "platform/posix/stop_signals.h"
#include "platform/posix/x11/run_settings_store.h"
#include "platform/posix/x11/x11_saver.h"
#include "settings/favorite_list.h"
#include "settings/settings_store.h"
#include "settings/user_store.h"
#include "shell/program_help.h"
#include "shell/render_options.h"

namespace brindlemar {
namespace {

constexpr const char* kProgram = "brindlemar";
constexpr size_t kRecordBytes = 255;

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, message.c_str(), kProgram);
  return 2;
}

int ListFavorites(SettingsStore& store) {
  FavoriteList list;
  for (const ListedFavorite& line : StoredFavorites(store, list).lines) std::printf("%s\n", line.name.c_str());
  return 0;
}

// The show options, where the field reads them: the switches in Config, the
// messages, their face and the time between transitions in Messages.
void OverrideShow(const ShowOptions& show, x11::RunSettingsStore& run) {
  auto dword = [&run](const char* key, const char* name, const std::optional<int32_t>& value) {
    if (value) run.OverrideDword(key, name, *value);
  };
  dword(kConfigKey, "Random", show.randomFavorites);
  dword(kConfigKey, "Clock", show.showClock);
  dword(kConfigKey, "Style", show.overlayStyle);
  dword(kConfigKey, "Messages", show.showMessages);
  if (!show.messages.empty()) {
    run.OverrideDword(kMessagesKey, "Num", static_cast<int32_t>(show.messages.size()));
    for (size_t k = 0; k < show.messages.size(); ++k) {
      run.OverrideString(kMessagesKey, "Message" + std::to_string(k + 1), show.messages[k]);
    }
  }
  if (show.messageFont) run.OverrideString(kMessagesKey, "Font", *show.messageFont);
  dword(kMessagesKey, "Bold", show.bold);
  dword(kMessagesKey, "Italic", show.italic);
  dword(kMessagesKey, "MinTime", show.minTime);
  dword(kMessagesKey, "MaxTime", show.maxTime);
  if (show.showFps) Process().showFps = 1;
}

// Becomes the settings program: the installed one beside this saver, the
// build tree's, or the one on the search path. Returns only on failure.
int OpenSettingsProgram() {
  const std::string found = posix::FindProgramBeside({BRINDLEMAR_INSTALLED_SETTINGS, "../settings/brindlemar-settings"});
  const std::string program = found.empty() ? "brindlemar-settings" : found;
  char* const args[] = {const_cast<char*>(program.c_str()), nullptr};
  execvp(args[0], args);
  std::fprintf(stderr, "%s: cannot start %s: %s\n", kProgram, program.c_str(), std::strerror(errno));
  return 1;
}

// xscreensaver names the window to draw in through the environment, and that
// wins over the command line.
void TakeDaemonWindow(SaverOptions& options) {
  const char* given = std::getenv("XSCREENSAVER_WINDOW");
  if (!given || !*given) return;
  char* end = nullptr;
  const unsigned long long id = std::strtoull(given, &end, 0);
  if (*end != '\0' || id == 0 || id > 0xFFFFFFFFull) {
    std::fprintf(stderr, "%s: XSCREENSAVER_WINDOW is not a window number: \"%s\"\n", kProgram, given);
    return;
  }
  options.target = SaverTarget::kWindowId;
  options.windowId = id;
}

}  // namespace
}  // namespace brindlemar

int main(int argc, char** argv) {
  using namespace brindlemar;
  // Before any settings work: a stop signal must end every part of a run,
  // the first start's installation of the presets included.
  if (!posix::InstallStopSignals()) {
    std::fprintf(stderr, "%s: cannot catch SIGTERM\n", kProgram);
    return 1;
  }
  SeedProcessRandom(SystemClock());
  SaverOptions options;
  std::string error;
  if (!ParseSaverOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) return Refuse(error);
  if (options.help || options.version) {
    const ProgramHelp help = HelpOf(Program::kSaver);
    std::fputs((options.help ? UsageText(help) : VersionText(help)).c_str(), stdout);
    return 0;
  }
  if (options.settings) return OpenSettingsProgram();
  std::unique_ptr<SettingsStore> user = OpenUserStore();
  if (options.listFavorites) return ListFavorites(*user);

  x11::RunSettingsStore run(*user);
  if (options.GivesRecord()) {
    std::optional<FavoriteRecord> base;
    if (!options.favorite.empty()) {
      base = FindFavorite(*user, options.favorite);
      if (!base) return Refuse("no favorite named '" + options.favorite + "' (see --list-favorites)");
    } else {
      std::string settings;
      if (ReadString(*user, kConfigKey, "Settings", kRecordBytes, settings) && !settings.empty()) {
        base = ParseRecord(settings);
      }
    }
    FavoriteRecord record;
    if (!SaverRunRecord(options, base, record, error)) return Refuse(error);
    run.OverrideString(kConfigKey, "Settings", FormatRecord(record, RecordForm::kFavorite));
    run.OverrideDword(kConfigKey, "Random", 0);
  }
  OverrideShow(options.show, run);
  if (options.monitors) run.OverrideDword(kConfigKey, "Monitors", *options.monitors);

  TakeDaemonWindow(options);
  const int code = x11::RunX11Saver(options, run);
  // Stopped by a signal: after the clean-up, end as that signal ends a
  // program, which is what the saver daemon looks for.
  if (const int signal = posix::StopSignal()) posix::EndBySignal(signal);
  return code;
}
