// The layouts of the settings program's windows, each registering its
// controls under the ids the logic in ui/ knows (ui/dialog_ids.h), with the
// product's own labels: the settings window (Main and Random pages beside
// the preview and the controls that are always shown) and its satellites,
// the name of a new favorite, the two confirmations, the pop-up messages and
// the additional settings of a configuration.
//
// The display-mode controls do not apply on Linux: they are values the
// logic may set but no window shows.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/gtk/logic_window.h"
#include "ui/dialog_host.h"

namespace brindlemar::gtk {

class PreviewArea;

class ConfigWindow final : public LogicWindow {
 public:
  explicit ConfigWindow(PreviewArea& preview);

  // A report above the pages (a damaged settings file); empty hides it.
  void ShowNotice(const std::string& text);
  const Gtk::Label& Notice() const { return notice_; }

 private:
  Gtk::Box noticeBox_;
  Gtk::Label notice_;
};

std::unique_ptr<LogicWindow> MakeAddFavoriteWindow();
std::unique_ptr<LogicWindow> MakeFavoriteQuestionWindow(ui::FavoriteQuestion question);
std::unique_ptr<LogicWindow> MakeMessagesWindow();
std::unique_ptr<LogicWindow> MakeStyleSettingsWindow();

}  // namespace brindlemar::gtk
