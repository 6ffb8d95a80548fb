// The monitors of an X screen, in root-window coordinates, and the watch on
// changes of the screen's layout.
//
// Monitors come from RandR 1.5 (its monitor list, with the primary marked);
// where RandR reports at most one monitor but Xinerama has several heads,
// the heads count (nested servers and some drivers tell of their heads only
// through Xinerama), the first of them as the primary. Where neither tells
// of more than one, the one monitor is the whole screen, as a saver on a
// single monitor has always covered it. Depends on Xlib, Xrandr, Xinerama.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "shell/monitor_layout.h"

namespace brindlemar::x11 {

std::vector<Monitor> QueryMonitors(Display* display, Window root);

// Asks RandR to report changes of the screen (size, outputs, CRTCs) on the
// root window, where the server has RandR.
class ScreenChangeWatch {
 public:
  void Start(Display* display, Window root);
  // Whether event is one of RandR's reports; it is then also handed to Xlib
  // so that the display's idea of the screen's size follows.
  bool TakeChange(XEvent& event) const;

 private:
  int eventBase_ = -1;
};

// Two monitor lists are the same when they hold the same rectangles in the
// same order with the same primary.
bool SameMonitors(const std::vector<Monitor>& a, const std::vector<Monitor>& b);

}  // namespace brindlemar::x11
