#include "platform/posix/gtk/gtk_dialog_host.h"

#include <algorithm>
#include <cstdio>

#include "brindlemar_version.h"
#include "engine/particle_field.h"
#include "platform/posix/gtk/dialog_windows.h"
#include "platform/posix/gtk/preview_area.h"
#include "platform/posix/gtk/settings_window_store.h"
#include "surfaces/display_modes.h"
#include "ui/favorite_dialogs.h"
#include "ui/help_pages.h"
#include "ui/messages_dialog.h"
#include "ui/style_settings_dialog.h"

namespace brindlemar::gtk {
namespace {

constexpr const char* kProductName = "Brindlemar";
constexpr const char* kDescription =
    "A particle screen saver: coloured grains swirled by drifting vortices, with trails, reflections and messages "
    "of your own.";

// Runs a nested main loop until done is called.
class Wait {
 public:
  Wait() : loop_(Glib::MainLoop::create()) {}
  void Run() { loop_->run(); }
  void Done() { loop_->quit(); }

 private:
  Glib::RefPtr<Glib::MainLoop> loop_;
};

}  // namespace

std::vector<std::string> ScalableFamilies(const Glib::RefPtr<Pango::Context>& context) {
  std::vector<std::string> families;
  for (const Glib::RefPtr<Pango::FontFamily>& family : context->list_families()) {
    const std::vector<Glib::RefPtr<Pango::FontFace>> faces = family->list_faces();
    // A face that lists no sizes of its own scales to any.
    if (std::any_of(faces.begin(), faces.end(), [](const auto& face) { return face->list_sizes().empty(); })) {
      families.push_back(family->get_name());
    }
  }
  return families;
}

Gtk::Window* GtkDialogHost::Top() const { return windows_.empty() ? nullptr : windows_.back(); }

std::string GtkDialogHost::HelpPageUri(const char* page) const {
  if (places_.helpDir.empty()) return {};
  return Glib::filename_to_uri(places_.helpDir + "/" + page);
}

void GtkDialogHost::OpenUri(const std::string& uri) {
  if (uri.empty()) {
    std::fprintf(stderr, "brindlemar-settings: the help pages are not installed\n");
    return;
  }
  gtk_show_uri(Top() ? Top()->gobj() : nullptr, uri.c_str(), GDK_CURRENT_TIME);
}

void GtkDialogHost::ShowMessage(std::string_view text, std::string_view title, ui::MessageIcon icon) {
  const auto type = icon == ui::MessageIcon::kInformation ? Gtk::MessageType::INFO : Gtk::MessageType::WARNING;
  Gtk::MessageDialog box(std::string(text), false, type, Gtk::ButtonsType::OK, true);
  if (Gtk::Window* top = Top()) box.set_transient_for(*top);
  box.set_title(std::string(title));
  Wait wait;
  box.signal_response().connect([&wait](int) { wait.Done(); });
  box.present();
  wait.Run();
  box.set_visible(false);
}

int32_t GtkDialogHost::RunSatellite(LogicWindow& window, ui::DialogLogic& logic) {
  window.Controls().SetActionRunner(runner_);
  Gtk::Window* owner = Top();
  windows_.push_back(&window);
  const int32_t result = window.Run(logic, owner);
  windows_.pop_back();
  return result;
}

int32_t GtkDialogHost::RunAddFavorite(std::string& name) {
  std::unique_ptr<LogicWindow> window = MakeAddFavoriteWindow();
  ui::AddFavoriteDialog logic(window->Controls(), *this);
  if (RunSatellite(*window, logic) != 1) return 0;
  name = logic.Name();
  return 1;
}

int32_t GtkDialogHost::RunFavoriteQuestion(ui::FavoriteQuestion question, std::string_view name) {
  std::unique_ptr<LogicWindow> window = MakeFavoriteQuestionWindow(question);
  ui::FavoriteQuestionDialog logic(window->Controls(), std::string(name));
  return RunSatellite(*window, logic) == 1 ? 1 : 0;
}

void GtkDialogHost::RunMessages() {
  std::unique_ptr<LogicWindow> window = MakeMessagesWindow();
  ui::MessagesDialog logic(window->Controls(), *this, store_);
  RunSatellite(*window, logic);
}

int32_t GtkDialogHost::RunStyleSettings(ui::StyleEdit& edit) {
  std::unique_ptr<LogicWindow> window = MakeStyleSettingsWindow();
  ui::StyleSettingsDialog logic(window->Controls(), *this, edit);
  return RunSatellite(*window, logic) == 1 ? 1 : 0;
}

void GtkDialogHost::RunAbout() {
  Gtk::AboutDialog about;
  if (Gtk::Window* top = Top()) about.set_transient_for(*top);
  about.set_modal(true);
  about.set_hide_on_close(true);
  about.set_program_name(kProductName);
  about.set_version(BRINDLEMAR_VERSION);
  about.set_comments(kDescription);
  about.set_logo_icon_name(Gtk::Window::get_default_icon_name());
  const std::string home = HelpPageUri(ui::kHelpFrontPage);
  if (!home.empty()) {
    about.set_website(home);
    about.set_website_label("Home Page");
  }
  Wait wait;
  about.signal_hide().connect([&wait] { wait.Done(); });
  about.present();
  wait.Run();
}

void GtkDialogHost::ShowHelpTopic(std::string_view keyword) { OpenUri(HelpPageUri(ui::HelpPageFor(keyword))); }

void GtkDialogHost::OpenWebPage() { OpenUri(HelpPageUri(ui::kHelpFrontPage)); }

void GtkDialogHost::RunFullScreenSaver() {
  // The saver reads the settings the dialog has just saved.
  store_.MakePendingChanges();
  Gtk::Window* top = Top();
  if (places_.saver.empty()) {
    ShowMessage("The saver could not be started: brindlemar is not installed beside brindlemar-settings.",
                kProductName, ui::MessageIcon::kWarning);
    return;
  }
  Glib::Pid pid = 0;
  try {
    Glib::spawn_async("", std::vector<std::string>{places_.saver, "--fullscreen"}, Glib::SpawnFlags::DO_NOT_REAP_CHILD,
                      {}, &pid);
  } catch (const Glib::Error& error) {
    ShowMessage(std::string("The saver could not be started: ") + error.what(), kProductName, ui::MessageIcon::kWarning);
    return;
  }
  Wait wait;
  sigc::connection watch = Glib::signal_child_watch().connect([&wait](Glib::Pid, int) { wait.Done(); }, pid);
  if (top) top->set_sensitive(false);
  wait.Run();
  watch.disconnect();
  Glib::spawn_close_pid(pid);
  if (top) {
    top->set_sensitive(true);
    top->present();
  }
}

int32_t GtkDialogHost::AttachPreview(ParticleField& field) {
  if (Failed(field.Attach(&preview_.Target(), 0))) return 0;
  preview_.Run(field);
  return 1;
}

const DisplayModeSource& GtkDialogHost::DisplayModes() { return NoDisplayModes(); }

std::vector<std::string> GtkDialogHost::ScalableFontFamilies() {
  Gtk::Window* top = Top();
  return top ? ScalableFamilies(top->get_pango_context()) : std::vector<std::string>{};
}

}  // namespace brindlemar::gtk
