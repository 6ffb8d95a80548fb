// A window whose controls a dialog logic from ui/ drives: the settings
// window and each of its satellites. It has a header bar with Cancel and OK
// (GNOME's dialog layout; OK is the default), takes Escape and closing the
// window as Cancel and F1 as the request for help, and runs modally: Run
// opens the logic, shows the window and returns the result the logic ends
// it with, after the logic has heard that it closes.
//
// For the end-to-end tests, when BRINDLEMAR_CONTROL_MAP names a file, every
// window keeps there the place of each control it shows, one line each:
// the window title, the control id, and x, y, width and height relative to
// the window's top left corner (tab-separated).
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <string>

#include "platform/posix/gtk/gtk_dialog_controls.h"
#include "ui/dialog_logic.h"

namespace brindlemar::gtk {

class LogicWindow : public Gtk::Window {
 public:
  // cancel and ok: the buttons' labels, with "&" marking their mnemonics.
  LogicWindow(const std::string& title, const char* cancel, const char* ok);
  ~LogicWindow() override;

  GtkDialogControls& Controls() { return controls_; }
  // The box below the header bar that the window's layout fills.
  Gtk::Box& Content() { return content_; }

  // Runs the window over parent (null: none) with logic; see above.
  int32_t Run(ui::DialogLogic& logic, Gtk::Window* parent);
  // Whether Run is in progress.
  bool Running() const { return loop_ != nullptr; }
  // Where the keyboard starts when the logic puts it nowhere (as the first
  // control of a Windows dialog takes it); OK when none is given.
  void SetFirstControl(Gtk::Widget& widget) { firstControl_ = &widget; }

 private:
  void WriteControlMap();

  GtkDialogControls controls_;
  Gtk::HeaderBar header_;
  Gtk::Box content_;
  Gtk::Button cancel_;
  Gtk::Button ok_;
  Glib::RefPtr<Glib::MainLoop> loop_;
  int32_t result_ = 0;
  bool ended_ = false;
  Gtk::Widget* firstControl_ = nullptr;
};

}  // namespace brindlemar::gtk
