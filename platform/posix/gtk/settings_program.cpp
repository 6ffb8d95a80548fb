#include "platform/posix/gtk/settings_program.h"

#include <gdk/x11/gdkx.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/init.h>
#include <unistd.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <functional>
#include <string>

#include "engine/process_state.h"
#include "platform/posix/program_files.h"
#include "shell/program_help.h"

namespace brindlemar::gtk {
namespace {

constexpr const char* kProgram = "brindlemar-settings";

// The program's own icon where it is installed; the theme's screen saver
// icon where it runs from the build tree.
const char* IconName() {
  const auto theme = Gtk::IconTheme::get_for_display(Gdk::Display::get_default());
  return theme->has_icon("brindlemar") ? "brindlemar" : "preferences-desktop-screensaver";
}

// How many of the display's pixels a unit of a window takes each way (2
// with GDK_SCALE=2): what GTK gives a widget before its window shows, its
// first monitor's scale.
int32_t DisplayScale() {
  const auto display = Gdk::Display::get_default();
  const auto monitors = display ? display->get_monitors() : nullptr;
  const auto monitor =
      monitors && monitors->get_n_items() > 0 ? std::dynamic_pointer_cast<Gdk::Monitor>(monitors->get_object(0)) : nullptr;
  return monitor ? monitor->get_scale_factor() : 1;
}

// The display's name, for the word said when it goes.
std::string& DisplayName() {
  static std::string name;
  return name;
}

// The connection to the X server is gone (the server ended, or closed the
// connection): nothing more can be shown, and the program ends as GDK's own
// handler would, but says why.
int LostDisplay(Display*) {
  const std::string line = std::string(kProgram) + ": the display " + DisplayName() +
                           " went away; the window is gone, and changes not saved with OK are lost\n";
  const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
  (void)written;
  _exit(1);
}

// GDK ends the program without a word when its display goes away.
void SayWhenTheDisplayGoes() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return;
  DisplayName() = gdk_display_get_name(display);
  XSetIOErrorHandler(LostDisplay);
}

}  // namespace

SettingsSession::SettingsSession(const std::string& directory, ErrorReporter& reporter, FrameTimer& timer,
                                 ProgramPlaces places)
    : directory_(directory),
      file_(directory, reporter),
      store_(file_),
      preview_(kPreviewWidth, kPreviewHeight, DisplayScale(), timer),
      host_(store_, preview_, std::move(places)),
      field_(store_),
      window_(preview_),
      logic_(window_.Controls(), host_, store_, field_) {
  host_.SetParent(window_);
  auto runner = [this](const std::function<void()>& action) {
    store_.BeginAction();
    action();
    const bool saved = store_.EndAction();
    Report();
    if (!saved) SayUnsaved();
  };
  window_.Controls().SetActionRunner(runner);
  host_.SetActionRunner(runner);
  Report();
}

SettingsSession::~SettingsSession() { preview_.Stop(); }

int32_t SettingsSession::Run() { return window_.Run(logic_, nullptr); }

void SettingsSession::Report() {
  if (posix::SettingsFileDamage found = file_.TakeDamage(); found.Found()) damage_ = std::move(found);
  window_.ShowNotice(SettingsFileNotice({directory_, file_.Unreadable(), file_.ReadOnly(), damage_}));
}

void SettingsSession::SayUnsaved() {
  // The notice says why nothing is saved: no directory, a file that cannot
  // be read, a read-only one, damage that stays in place.
  const bool damageStays = damage_.Found() && damage_.keptAs.empty();
  if (directory_.empty() || !file_.Unreadable().empty() || file_.ReadOnly() || damageStays) return;
  const std::string reason = file_.LastFailure();
  if (!saidUnsaved_.insert(reason).second) return;
  host_.ShowMessage("The settings could not be saved in " + directory_ + "/" + posix::kSettingsFileName +
                        (reason.empty() ? "." : ": " + reason + "."),
                    "Brindlemar", ui::MessageIcon::kWarning);
}

int RunSettingsProgram(const std::vector<std::string>& args, const SettingsProgramPaths& paths) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      const ProgramHelp help = HelpOf(Program::kSettings);
      std::fputs((arg == "--version" ? VersionText(help) : UsageText(help)).c_str(), stdout);
      return 0;
    }
    std::fprintf(stderr, "%s: unknown argument '%s'\nTry '%s --help'.\n", kProgram, arg.c_str(), kProgram);
    return 2;
  }
  Glib::set_prgname(kProgram);
  Glib::set_application_name("Brindlemar");
  if (!gtk_init_check()) {
    std::fprintf(stderr, "%s: cannot open the display\n", kProgram);
    return 1;
  }
  SayWhenTheDisplayGoes();
  Gtk::init_gtkmm_internals();
  Gtk::Window::set_default_icon_name(IconName());
  SeedProcessRandom(SystemClock());

  GlibFrameTimer timer;
  StandardErrorReporter reporter(kProgram);
  SettingsSession session(UserSettingsDirectory(), reporter, timer,
                          ProgramPlaces{posix::FindProgramBeside(paths.saver), posix::FindDirectoryBeside(paths.help)});
  session.Run();
  return 0;
}

}  // namespace brindlemar::gtk
