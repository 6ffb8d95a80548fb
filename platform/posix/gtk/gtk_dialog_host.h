// What the configuration dialogs ask of Linux (ui/dialog_host.h): the
// satellite windows run modally over the settings window with their logic
// from ui/, message boxes, GTK's about box, help and the product's page in
// the default browser, the full-screen saver started as its own program
// with the settings saved first, the preview, and the machine's scalable
// font families. The display mode never changes on Linux: no DirectDraw, no
// modes, no password of the saver's own.
#pragma once

#include <gtkmm.h>

#include <string>
#include <vector>

#include "platform/posix/gtk/gtk_dialog_controls.h"
#include "ui/dialog_host.h"

namespace brindlemar {
class SettingsStore;
}

namespace brindlemar::gtk {

class LogicWindow;
class PreviewArea;
class SettingsWindowStore;

// Where the program finds what it starts and opens; empty when not found.
struct ProgramPlaces {
  std::string saver;    // the brindlemar program
  std::string helpDir;  // the directory of the help pages
};

class GtkDialogHost final : public ui::DialogHost {
 public:
  GtkDialogHost(SettingsWindowStore& store, PreviewArea& preview, ProgramPlaces places)
      : store_(store), preview_(preview), places_(std::move(places)) {}

  // The settings window, which the satellites and message boxes belong to
  // (a message box shown by a satellite belongs to that satellite).
  void SetParent(LogicWindow& parent) { windows_ = {&parent}; }
  // The satellite window running now, if any (for tests).
  LogicWindow* RunningSatellite() const { return windows_.size() > 1 ? windows_.back() : nullptr; }
  // Runs each user action of the satellites (see GtkDialogControls).
  void SetActionRunner(GtkDialogControls::ActionRunner runner) { runner_ = std::move(runner); }
  // The address of a help page (file://...), empty without the help.
  std::string HelpPageUri(const char* page) const;

  void ShowMessage(std::string_view text, std::string_view title, ui::MessageIcon icon) override;
  int32_t RunAddFavorite(std::string& name) override;
  int32_t RunFavoriteQuestion(ui::FavoriteQuestion question, std::string_view name) override;
  void RunMessages() override;
  int32_t RunStyleSettings(ui::StyleEdit& edit) override;
  void RunAbout() override;
  void ShowHelpTopic(std::string_view keyword) override;
  void OpenWebPage() override;
  void RunFullScreenSaver() override;
  int32_t AttachPreview(ParticleField& field) override;
  bool DirectDrawAvailable() override { return false; }
  const DisplayModeSource& DisplayModes() override;
  bool PasswordProtected() override { return false; }
  std::vector<std::string> ScalableFontFamilies() override;

 private:
  void OpenUri(const std::string& uri);
  Gtk::Window* Top() const;
  // Runs a satellite window with its logic over the window on top.
  int32_t RunSatellite(LogicWindow& window, ui::DialogLogic& logic);

  SettingsWindowStore& store_;
  PreviewArea& preview_;
  ProgramPlaces places_;
  GtkDialogControls::ActionRunner runner_;
  std::vector<LogicWindow*> windows_;
};

// The families of the fonts in context's font map that scale to any size.
std::vector<std::string> ScalableFamilies(const Glib::RefPtr<Pango::Context>& context);

}  // namespace brindlemar::gtk
