#include "platform/posix/x11/x11_monitors.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace brindlemar::x11 {
namespace {

RectI Rect(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

// Asked of the server first: the extension libraries keep a record of a
// display they find without their extension, which is never freed.
bool ServerHas(Display* display, const char* extension) {
  int opcode = 0, eventBase = 0, errorBase = 0;
  return XQueryExtension(display, extension, &opcode, &eventBase, &errorBase) != 0;
}

std::vector<Monitor> RandrMonitors(Display* display, Window root) {
  std::vector<Monitor> out;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!ServerHas(display, "RANDR") || !XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor)) {
    return out;
  }
  if (major < 1 || (major == 1 && minor < 5)) return out;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
  if (!monitors) return out;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    out.push_back({Rect(m.x, m.y, m.width, m.height), m.primary != 0});
  }
  XRRFreeMonitors(monitors);
  return out;
}

std::vector<Monitor> XineramaHeads(Display* display) {
  std::vector<Monitor> out;
  int eventBase = 0, errorBase = 0;
  if (!ServerHas(display, "XINERAMA") || !XineramaQueryExtension(display, &eventBase, &errorBase) ||
      !XineramaIsActive(display)) {
    return out;
  }
  int count = 0;
  XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
  if (!heads) return out;
  for (int i = 0; i < count; ++i) {
    out.push_back({Rect(heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height), i == 0});
  }
  XFree(heads);
  return out;
}

}  // namespace

std::vector<Monitor> QueryMonitors(Display* display, Window root) {
  Window rootOfRoot = 0;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  XGetGeometry(display, root, &rootOfRoot, &x, &y, &width, &height, &border, &depth);
  const RectI screen = Rect(0, 0, static_cast<int>(width), static_cast<int>(height));

  std::vector<Monitor> monitors = RandrMonitors(display, root);
  if (monitors.size() <= 1) {
    std::vector<Monitor> heads = XineramaHeads(display);
    if (heads.size() > 1) monitors = std::move(heads);
  }
  // A head may reach beyond the screen while the two report a change one
  // after the other: only its part on the screen counts, and one wholly
  // off it has no area and is left out of the layout.
  for (Monitor& m : monitors) {
    m.bounds = {std::max(m.bounds.left, screen.left), std::max(m.bounds.top, screen.top),
                std::min(m.bounds.right, screen.right), std::min(m.bounds.bottom, screen.bottom)};
  }
  if (monitors.size() > 1) return monitors;
  return {{screen, true}};
}

void ScreenChangeWatch::Start(Display* display, Window root) {
  int errorBase = 0;
  if (!ServerHas(display, "RANDR") || !XRRQueryExtension(display, &eventBase_, &errorBase)) {
    eventBase_ = -1;
    return;
  }
  XRRSelectInput(display, root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
}

bool ScreenChangeWatch::TakeChange(XEvent& event) const {
  if (eventBase_ < 0) return false;
  if (event.type != eventBase_ + RRScreenChangeNotify && event.type != eventBase_ + RRNotify) return false;
  XRRUpdateConfiguration(&event);
  return true;
}

bool SameMonitors(const std::vector<Monitor>& a, const std::vector<Monitor>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const RectI& p = a[i].bounds;
    const RectI& q = b[i].bounds;
    if (p.left != q.left || p.top != q.top || p.right != q.right || p.bottom != q.bottom ||
        a[i].primary != b[i].primary) {
      return false;
    }
  }
  return true;
}

}  // namespace brindlemar::x11
