// What a dialog's logic hears from its platform: the user's actions on the
// controls, named by control id. A platform's dialog procedure (or window)
// turns its own events into these calls and nothing else; every decision is
// the logic's.
#pragma once

#include <cstdint>

namespace brindlemar::ui {

// How the user moved a scroll bar or slider.
enum class ScrollAction : int32_t {
  kLineLess,   // the arrow towards the minimum
  kLineMore,   // the arrow towards the maximum
  kPageLess,   // the trough towards the minimum
  kPageMore,   // the trough towards the maximum
  kTrack,      // the thumb dragged to a position (while dragging and at its end)
  kToMinimum,  // the jump to the minimum end
  kToMaximum,  // the jump to the maximum end
};

class DialogLogic {
 public:
  virtual ~DialogLogic() = default;

  // The dialog's controls exist and are about to show.
  virtual void Open() = 0;
  // A button, check box or radio button was clicked (OK and Cancel too).
  virtual void OnClicked(int32_t id) { (void)id; }
  // The user chose another entry of a list.
  virtual void OnSelectionChanged(int32_t id) { (void)id; }
  // The user changed the text of an edit.
  virtual void OnTextChanged(int32_t id) { (void)id; }
  // An edit lost the keyboard focus.
  virtual void OnFocusLost(int32_t id) { (void)id; }
  // position: the thumb's position for kTrack, else unused.
  virtual void OnScroll(int32_t id, ScrollAction action, int32_t position) {
    (void)id;
    (void)action;
    (void)position;
  }
  // The user chose another page.
  virtual void OnPageChanged(int32_t id) { (void)id; }
  // The user asked for help (F1).
  virtual void OnHelp() {}
  // The dialog is going away, whatever ended it.
  virtual void OnClose() {}
};

}  // namespace brindlemar::ui
