// brindlemar-test-window: the windows the end-to-end tests hand to the saver.
//
//   brindlemar-test-window WxH [DEPTH]   makes and maps a window of that size
//                                        (depth 24, or 32 for an ARGB visual),
//                                        prints its number and keeps it until
//                                        killed
//   brindlemar-test-window --close ID    asks window ID to close, as a window
//                                        manager's close button does
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Close(Display* display, Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

int Make(Display* display, unsigned int width, unsigned int height, int depth) {
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  XVisualInfo info;
  if (!XMatchVisualInfo(display, screen, depth, TrueColor, &info)) {
    std::fprintf(stderr, "no TrueColor visual of depth %d\n", depth);
    return 1;
  }
  XSetWindowAttributes attributes = {};
  attributes.colormap = XCreateColormap(display, root, info.visual, AllocNone);
  attributes.border_pixel = 0;
  attributes.background_pixel = 0;
  const Window window = XCreateWindow(display, root, 0, 0, width, height, 0, depth, InputOutput, info.visual,
                                      CWColormap | CWBorderPixel | CWBackPixel, &attributes);
  XStoreName(display, window, "brindlemar test window");
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent event;;) {
    XNextEvent(display, &event);
    if (event.type == MapNotify) break;
  }
  std::printf("0x%lx\n", window);
  std::fflush(stdout);
  for (XEvent event;;) XNextEvent(display, &event);
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "cannot open the display\n");
    return 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "--close") == 0) {
    return Close(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
  }
  unsigned int width = 0, height = 0;
  if ((argc == 2 || argc == 3) && std::sscanf(argv[1], "%ux%u", &width, &height) == 2 && width && height) {
    return Make(display, width, height, argc == 3 ? std::atoi(argv[2]) : 24);
  }
  std::fprintf(stderr, "usage: %s WxH [DEPTH] | --close ID\n", argv[0]);
  return 2;
}
