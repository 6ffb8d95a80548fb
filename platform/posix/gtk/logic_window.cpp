#include "platform/posix/gtk/logic_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/dialog_ids.h"

namespace brindlemar::gtk {
namespace {

// The windows running now, in the order they opened: the control map lists
// them all.
std::vector<LogicWindow*>& RunningWindows() {
  static std::vector<LogicWindow*> windows;
  return windows;
}

const char* ControlMapPath() {
  const char* path = std::getenv("BRINDLEMAR_CONTROL_MAP");
  return path && *path ? path : nullptr;
}

std::string PlacesOf(LogicWindow& window) {
  std::string lines;
  double dx = 0, dy = 0;
  window.get_surface_transform(dx, dy);
  for (const auto& [id, widget] : window.Controls().Widgets()) {
    if (!widget->is_drawable()) continue;
    double x = 0, y = 0;
    if (!widget->translate_coordinates(window, 0, 0, x, y)) continue;
    char line[64];
    std::snprintf(line, sizeof line, "\t%d\t%ld\t%ld\t%d\t%d\n", id, std::lround(x + dx), std::lround(y + dy),
                  widget->get_width(), widget->get_height());
    lines += window.get_title() + line;
  }
  return lines;
}

}  // namespace

LogicWindow::LogicWindow(const std::string& title, const char* cancel, const char* ok)
    : content_(Gtk::Orientation::VERTICAL, 12),
      cancel_(MnemonicLabel(cancel), true),
      ok_(MnemonicLabel(ok), true) {
  set_title(title);
  set_resizable(false);
  header_.set_show_title_buttons(false);
  header_.pack_start(cancel_);
  ok_.add_css_class("suggested-action");
  header_.pack_end(ok_);
  set_titlebar(header_);
  content_.set_margin(12);
  set_child(content_);
  set_default_widget(ok_);
  controls_.SetRoot(*this);
  controls_.AddButton(IDC_CANCEL, cancel_);
  controls_.AddButton(IDC_OK, ok_);

  auto keys = Gtk::ShortcutController::create();
  keys->set_scope(Gtk::ShortcutScope::MANAGED);
  auto cancelAction = Gtk::CallbackAction::create([this](Gtk::Widget&, const Glib::VariantBase&) {
    controls_.Perform([](ui::DialogLogic& l) { l.OnClicked(IDC_CANCEL); });
    return true;
  });
  keys->add_shortcut(Gtk::Shortcut::create(Gtk::KeyvalTrigger::create(GDK_KEY_Escape), cancelAction));
  keys->add_shortcut(Gtk::Shortcut::create(
      Gtk::KeyvalTrigger::create(GDK_KEY_F1), Gtk::CallbackAction::create([this](Gtk::Widget&, const Glib::VariantBase&) {
        controls_.Perform([](ui::DialogLogic& l) { l.OnHelp(); });
        return true;
      })));
  add_controller(keys);

  // Closing the window is Cancel; the logic ends the dialog (or not).
  signal_close_request().connect(
      [this] {
        controls_.Perform([](ui::DialogLogic& l) { l.OnClicked(IDC_CANCEL); });
        return true;
      },
      false);
  controls_.SetEnd([this](int32_t result) {
    result_ = result;
    ended_ = true;
    if (loop_) loop_->quit();
  });

  if (ControlMapPath()) {
    add_tick_callback([this](const Glib::RefPtr<Gdk::FrameClock>&) {
      WriteControlMap();
      return true;
    });
  }
}

LogicWindow::~LogicWindow() {
  auto& running = RunningWindows();
  running.erase(std::remove(running.begin(), running.end(), this), running.end());
}

int32_t LogicWindow::Run(ui::DialogLogic& logic, Gtk::Window* parent) {
  if (parent) {
    set_transient_for(*parent);
    set_modal(true);
  }
  result_ = 0;
  ended_ = false;
  loop_ = Glib::MainLoop::create();
  controls_.Connect(&logic);
  RunningWindows().push_back(this);
  controls_.Perform([](ui::DialogLogic& l) { l.Open(); });
  const bool focused = get_focus() != nullptr;
  // The logic may end the dialog while it opens.
  if (!ended_) {
    present();
    // As in a Windows dialog, the keyboard starts where the logic put it,
    // else on the window's first control, else on OK.
    if (!focused) (firstControl_ ? firstControl_ : &ok_)->grab_focus();
    loop_->run();
  }
  set_visible(false);
  controls_.Perform([](ui::DialogLogic& l) { l.OnClose(); });
  controls_.Connect(nullptr);
  auto& running = RunningWindows();
  running.erase(std::remove(running.begin(), running.end(), this), running.end());
  loop_.reset();
  if (ControlMapPath()) WriteControlMap();
  return result_;
}

void LogicWindow::WriteControlMap() {
  std::string map;
  for (LogicWindow* window : RunningWindows()) {
    if (window->get_mapped()) map += PlacesOf(*window);
  }
  static std::string written;
  if (map == written) return;
  written = map;
  const std::string path = ControlMapPath();
  const std::string temporary = path + ".new";
  if (FILE* file = std::fopen(temporary.c_str(), "w")) {
    std::fputs(map.c_str(), file);
    std::fclose(file);
    std::rename(temporary.c_str(), path.c_str());
  }
}

}  // namespace brindlemar::gtk
