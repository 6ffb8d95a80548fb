#include "platform/posix/x11/x11_saver.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "platform/posix/stop_signals.h"
#include "platform/posix/x11/x11_errors.h"
#include "platform/posix/x11/x11_monitors.h"
#include "platform/posix/x11/x11_window_target.h"
#include "shell/input_rules.h"
#include "shell/monitor_layout.h"
#include "shell/run_pacing.h"
#include "shell/saver_fields.h"

namespace brindlemar::x11 {
namespace {

constexpr const char* kProgram = "brindlemar";
constexpr const char* kWindowTitle = "Brindlemar";
// Keys the rules know nothing of still end the saver; they get a code no
// real key has.
constexpr int32_t kKeyOther = 0xFF;
constexpr int32_t kKeyEscape = 27;

uint32_t Now() { return SystemClock().TickMs(); }

// X key symbols as the input rules number keys.
int32_t KeyOf(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return static_cast<int32_t>('A' + (sym - XK_a));
  if (sym >= XK_0 && sym <= XK_9) return static_cast<int32_t>('0' + (sym - XK_0));
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return kKeyNumpad0 + static_cast<int32_t>(sym - XK_KP_0);
  if (sym >= XK_F1 && sym <= XK_F12) return kKeyF12 - 11 + static_cast<int32_t>(sym - XK_F1);
  switch (sym) {
    case XK_Caps_Lock:
      return kKeyCapsLock;
    case XK_Shift_L:
    case XK_Shift_R:
      return kKeyShift;
    case XK_Control_L:
    case XK_Control_R:
      return kKeyControl;
    case XK_Return:
    case XK_KP_Enter:
      return kKeyEnter;
    case XK_BackSpace:
      return kKeyBackspace;
    case XK_space:
      return kKeySpace;
    case XK_Escape:
      return kKeyEscape;
    default:
      return kKeyOther;
  }
}

int32_t CapsLockOn(Display* display) {
  XkbStateRec state;
  if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return 0;
  return (state.locked_mods & LockMask) ? 1 : 0;
}

Bool IsMapNotify(Display*, XEvent* event, XPointer window) {
  return event->type == MapNotify && event->xmap.window == *reinterpret_cast<Window*>(window);
}

void HideCursor(Display* display, Window window) {
  static const char kNoBits[1] = {0};
  Pixmap empty = XCreateBitmapFromData(display, window, kNoBits, 1, 1);
  XColor black = {};
  Cursor none = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
  XDefineCursor(display, window, none);
  XFreeCursor(display, none);
  XFreePixmap(display, empty);
}

class SaverRun {
 public:
  SaverRun(Display* display, const SaverOptions& options, SettingsStore& store)
      : display_(display), options_(options), store_(store), kind_(options.target) {}

  ~SaverRun() {
    StopFields();
    if (ownWindow_) XDestroyWindow(display_, window_);
  }

  int Run();

 private:
  bool FindWindow();
  bool MakeWindow();
  bool StartFields();
  bool StartField(Window window, RectI place, const std::string& where);
  void StopFields();
  bool LayOutAgain();
  ParticleField* InputField();
  void HandleEvent(XEvent& event);
  void HandleInput(const SaverEvent& event);
  void Offer(const SaverEvent& event);
  void ReportFrames();
  bool TargetGone();

  Display* display_;
  const SaverOptions& options_;
  SettingsStore& store_;
  SaverTarget kind_;
  Window window_ = 0;
  bool ownWindow_ = false;
  Atom deleteWindow_ = 0;
  SaverFields fields_;
  // Full screen: a window of each field's own inside window_, over its
  // monitor or across them all; window_'s black shows on the rest. The
  // children take no input of their own, so it all comes to window_.
  std::vector<Window> fieldWindows_;
  std::vector<Monitor> monitors_;
  MonitorLayout layout_;
  ScreenChangeWatch screenChanges_;
  bool screenChanged_ = false;
  std::unique_ptr<SaverInputRules> rules_;
  std::optional<RunLoopTiming> timing_;
  std::optional<FramePacer> pacer_;
  std::deque<SaverInput> posted_;
  // The target window's size changed (not full screen, where the screen's
  // changes count).
  bool resized_ = false;
  // F12 and Caps Lock held down: a second press without a release is the
  // key's auto-repeat.
  bool f12Down_ = false;
  bool capsLockDown_ = false;
  bool quit_ = false;
  uint64_t frames_ = 0;
  uint32_t firstFrame_ = 0;
};

bool SaverRun::FindWindow() {
  const int screen = DefaultScreen(display_);
  if (kind_ == SaverTarget::kRoot) {
    window_ = RootWindow(display_, screen);
  } else if (kind_ == SaverTarget::kWindowId) {
    window_ = static_cast<Window>(options_.windowId);
  } else {
    return MakeWindow();
  }
  // Only the size matters here; the daemon owns the window's input.
  const uint64_t before = ErrorCount();
  XSelectInput(display_, window_, StructureNotifyMask | ExposureMask);
  XSync(display_, False);
  if (ErrorCount() != before) {
    std::fprintf(stderr, "%s: there is no window 0x%lx on this display\n", kProgram, window_);
    return false;
  }
  return true;
}

bool SaverRun::MakeWindow() {
  const int screen = DefaultScreen(display_);
  const bool fullScreen = kind_ == SaverTarget::kFullScreen;
  const unsigned int width = fullScreen ? DisplayWidth(display_, screen) : options_.width;
  const unsigned int height = fullScreen ? DisplayHeight(display_, screen) : options_.height;
  XSetWindowAttributes attributes = {};
  attributes.background_pixel = BlackPixel(display_, screen);
  // Full screen, the window stays out of the window manager's hands, as a
  // saver's window must: no frame, no moving, always the whole screen.
  attributes.override_redirect = fullScreen ? True : False;
  attributes.event_mask = StructureNotifyMask | ExposureMask | KeyPressMask | KeyReleaseMask;
  if (fullScreen) attributes.event_mask |= PointerMotionMask | ButtonPressMask | ButtonReleaseMask;
  window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, width, height, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  if (!window_) return false;
  ownWindow_ = true;
  XStoreName(display_, window_, kWindowTitle);
  XClassHint hint = {const_cast<char*>(kProgram), const_cast<char*>(kWindowTitle)};
  XSetClassHint(display_, window_, &hint);
  deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display_, window_, &deleteWindow_, 1);
  if (fullScreen) HideCursor(display_, window_);
  XMapRaised(display_, window_);
  XEvent mapped;
  XIfEvent(display_, &mapped, IsMapNotify, reinterpret_cast<XPointer>(&window_));
  if (fullScreen) {
    XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  }
  return true;
}

// The fields anew. Full screen, one over each place of the monitor layout
// of the "Monitors" choice, each in a window of its own; elsewhere one over
// the whole target at its current size. A field of at least 640x480 runs as
// the full saver, a smaller one as the preview. False when no field could be
// made.
bool SaverRun::StartFields() {
  StopFields();
  if (kind_ != SaverTarget::kFullScreen) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window_, &attributes)) return false;
    return StartField(window_, {0, 0, attributes.width, attributes.height}, "");
  }
  const Window root = RootWindow(display_, DefaultScreen(display_));
  monitors_ = QueryMonitors(display_, root);
  layout_ = LayOutMonitors(monitors_, ReadMonitorChoice(store_));
  for (size_t k : FieldStartOrder(layout_)) {
    // The screen's own coordinates are window_'s: it lies at the root's
    // corner and is as large as the screen.
    const RectI& place = layout_.fields[k].bounds;
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
    attributes.event_mask = ExposureMask;
    const Window child =
        XCreateWindow(display_, window_, place.left, place.top, static_cast<unsigned int>(place.right - place.left),
                      static_cast<unsigned int>(place.bottom - place.top), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    if (!child) continue;
    fieldWindows_.push_back(child);
    XMapWindow(display_, child);
    // A monitor whose field cannot be made stays black; only the first
    // field's failure ends the run.
    const std::string where = layout_.fields[k].monitor < 0 ? ", across the monitors"
                                                             : ", on the monitor at +" + std::to_string(place.left) +
                                                                   "+" + std::to_string(place.top);
    if (!StartField(child, place, where) && fields_.Empty()) return false;
  }
  return !fields_.Empty();
}

// where: what the --stats line says of the place.
bool SaverRun::StartField(Window window, RectI place, const std::string& where) {
  auto target = std::make_unique<X11WindowTarget>(display_, window);
  if (!target->Valid()) {
    std::fprintf(stderr, "%s: window 0x%lx is not a TrueColor window of 15 to 32 bits\n", kProgram, window);
    return false;
  }
  const int32_t width = place.right - place.left, height = place.bottom - place.top;
  const int32_t fullScreen = width >= kFullSaverMinWidth && height >= kFullSaverMinHeight ? 1 : 0;
  if (Failed(fields_.Start(std::move(target), place, fullScreen,
                           [this] { return std::make_unique<ParticleField>(store_); }))) {
    std::fprintf(stderr, "%s: no frame buffer for a %dx%d window\n", kProgram, width, height);
    return false;
  }
  const ParticleField& field = fields_.Field(fields_.Count() - 1);
  // One pace for all of the fields: the first one's.
  const uint32_t period = fullScreen ? ReadFramePeriodMs(store_) : kDefaultFramePeriodMs;
  if (fields_.Count() == 1) pacer_.emplace(period, Now());
  if (options_.stats) {
    const std::string pace = period ? "frames every " + std::to_string(period) + " ms" : "unpaced frames";
    std::fprintf(stderr, "%s: %s at %dx%d, %d grains, %s, phase %.10f%s\n", kProgram,
                 fullScreen ? "full saver" : "preview", width, height, field.liveGrains, pace.c_str(), field.phase,
                 where.c_str());
  }
  return true;
}

void SaverRun::StopFields() {
  fields_.Clear();
  for (Window child : fieldWindows_) XDestroyWindow(display_, child);
  fieldWindows_.clear();
}

// The screen changed (a monitor added, removed or moved, another mode): the
// window follows the screen's size and the fields are laid out again, when
// the monitors are not as they were.
bool SaverRun::LayOutAgain() {
  const Window root = RootWindow(display_, DefaultScreen(display_));
  Window rootOfRoot = 0;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  XGetGeometry(display_, root, &rootOfRoot, &x, &y, &width, &height, &border, &depth);
  XWindowAttributes now;
  XGetWindowAttributes(display_, window_, &now);
  const bool resized = static_cast<unsigned int>(now.width) != width || static_cast<unsigned int>(now.height) != height;
  if (!resized && SameMonitors(QueryMonitors(display_, root), monitors_)) return true;
  if (resized) XMoveResizeWindow(display_, window_, 0, 0, width, height);
  if (options_.stats) std::fprintf(stderr, "%s: the screen changed to %ux%u; the fields anew\n", kProgram, width, height);
  return StartFields();
}

ParticleField* SaverRun::InputField() { return fields_.Empty() ? nullptr : &fields_.Field(0); }

int SaverRun::Run() {
  if (!FindWindow()) return 1;
  XkbSetDetectableAutoRepeat(display_, True, nullptr);
  if (kind_ == SaverTarget::kFullScreen) {
    rules_ = std::make_unique<SaverInputRules>(CapsLockOn(display_));
    // A monitor added, removed or changed shows as a change of the root
    // window's size or as RandR's reports.
    const Window root = RootWindow(display_, DefaultScreen(display_));
    XSelectInput(display_, root, StructureNotifyMask);
    screenChanges_.Start(display_, root);
  }
  if (!StartFields()) return 1;
  timing_.emplace(Now());

  const int connection = ConnectionNumber(display_);
  // From here a stop signal ends the loop, which then cleans up.
  posix::StopCleanlyFromNow();
  auto stopped = [] { return posix::StopSignal() != 0; };
  while (!quit_ && !stopped()) {
    while (!quit_ && XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
      HandleEvent(event);
    }
    while (!quit_ && !posted_.empty()) {
      SaverEvent event;
      event.kind = posted_.front();
      posted_.pop_front();
      Offer(event);
    }
    if (quit_ || stopped()) break;
    if (screenChanged_) {
      screenChanged_ = false;
      if (!LayOutAgain()) return 1;
    }
    if (resized_) {
      resized_ = false;
      if (!StartFields()) return 1;
    }

    const uint32_t now = Now();
    if (kind_ == SaverTarget::kFullScreen && timing_->ForegroundDue(now)) XRaiseWindow(display_, window_);
    const uint32_t wait = pacer_->WaitMs(now);
    if (wait > 0) {
      pollfd waits[2] = {{connection, POLLIN, 0}, {posix::StopSignalFd(), POLLIN, 0}};
      poll(waits, 2, static_cast<int>(wait));
      continue;
    }
    const uint64_t errors = ErrorCount();
    fields_.DriveFrames();
    pacer_->FrameRan(now);
    if (frames_++ == 0) firstFrame_ = now;
    if (ErrorCount() != errors && TargetGone()) break;
  }
  ReportFrames();
  return 0;
}

// An error while drawing: the window may have gone with its owner.
bool SaverRun::TargetGone() {
  XWindowAttributes attributes;
  const uint64_t before = ErrorCount();
  const Status found = XGetWindowAttributes(display_, window_, &attributes);
  return !found || ErrorCount() != before;
}

void SaverRun::ReportFrames() {
  if (!options_.stats) return;
  const uint32_t elapsed = Now() - firstFrame_;
  const double rate = elapsed ? static_cast<double>(frames_) * 1000.0 / elapsed : 0.0;
  std::fprintf(stderr, "%s: %llu frames in %u ms, %.1f frames a second\n", kProgram,
               static_cast<unsigned long long>(frames_), elapsed, rate);
}

void SaverRun::HandleEvent(XEvent& event) {
  if (screenChanges_.TakeChange(event)) {
    screenChanged_ = true;
    return;
  }
  switch (event.type) {
    case ConfigureNotify:
      if (kind_ == SaverTarget::kFullScreen) {
        // Full screen, the window follows the screen: the root's size is
        // what counts.
        if (event.xconfigure.window != window_) screenChanged_ = true;
        return;
      }
      if (event.xconfigure.window == window_ && !fields_.Empty()) {
        const RectI& place = fields_.Place(0);
        if (event.xconfigure.width != place.right - place.left || event.xconfigure.height != place.bottom - place.top) {
          resized_ = true;
        }
      }
      return;
    case Expose:
      // The targets put only what changed from frame to frame; what the
      // server painted over is put again whole.
      if (event.xexpose.count == 0) {
        for (size_t k = 0; k < fields_.Count(); ++k) {
          if (fields_.Field(k).window) fields_.Field(k).window->Invalidate();
        }
      }
      return;
    case DestroyNotify:
      if (event.xdestroywindow.window == window_) {
        ownWindow_ = false;
        quit_ = true;
      }
      return;
    case ClientMessage:
      if (ownWindow_ && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
        SaverEvent close;
        close.kind = SaverInput::kClose;
        HandleInput(close);
      }
      return;
    case KeyPress:
    case KeyRelease: {
      SaverEvent key;
      const bool down = event.type == KeyPress;
      key.kind = down ? SaverInput::kKeyDown : SaverInput::kKeyUp;
      key.key = KeyOf(XLookupKeysym(&event.xkey, 0));
      // Auto-repeat sends presses without releases (detectable repeat), so a
      // press of a key already down is a repeat.
      bool* held = key.key == kKeyF12 ? &f12Down_ : key.key == kKeyCapsLock ? &capsLockDown_ : nullptr;
      if (held) {
        key.plain = down ? !*held : 1;
        *held = down;
      }
      if (!down && key.key == kKeyCapsLock) key.capsLockOn = CapsLockOn(display_);
      HandleInput(key);
      return;
    }
    case MotionNotify: {
      SaverEvent move;
      move.kind = SaverInput::kMouseMove;
      move.client = {event.xmotion.x, event.xmotion.y};
      HandleInput(move);
      return;
    }
    case ButtonPress:
    case ButtonRelease: {
      SaverEvent button;
      // Wheel steps come as buttons 4 to 7; the saver ignores the wheel.
      const bool wheel = event.xbutton.button >= 4 && event.xbutton.button <= 7;
      button.kind = wheel                          ? SaverInput::kOther
                    : event.type == ButtonPress ? SaverInput::kButtonDown
                                                : SaverInput::kOtherMouse;
      HandleInput(button);
      return;
    }
    default:
      return;
  }
}

// Input by the kind of target: the full-screen rules, the window's own
// keys, or nothing.
void SaverRun::HandleInput(const SaverEvent& event) {
  if (kind_ == SaverTarget::kFullScreen) {
    Offer(event);
    return;
  }
  if (kind_ != SaverTarget::kOwnWindow) return;
  if (event.kind == SaverInput::kClose) {
    quit_ = true;
  } else if (event.kind == SaverInput::kKeyDown && event.key == kKeyEscape) {
    quit_ = true;
  } else if (event.kind == SaverInput::kKeyDown && event.key == kKeyF12 && event.plain) {
    Process().showFps = !Process().showFps;
  }
}

// One event through the full-screen rules, as the run loop and the window
// procedure take it: dropped during the grace, else answered.
void SaverRun::Offer(const SaverEvent& event) {
  if (timing_->Drops(event.kind, Now())) return;
  const SaverResponse response = rules_->Handle(event, InputField());
  // The cursor stays hidden all along, and nudging it does nothing for an X
  // session; closing needs nothing more than ending the loop.
  if (response.postClose) posted_.push_back(SaverInput::kClose);
  if (response.destroyWindow || response.postQuit) quit_ = true;
}

}  // namespace

int RunX11Saver(const SaverOptions& options, SettingsStore& store) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    const char* name = XDisplayName(nullptr);
    std::fprintf(stderr, "%s: cannot open the X display \"%s\"\n", kProgram, name ? name : "");
    return 1;
  }
  InstallErrorHandler();
  int code;
  {
    SaverRun run(display, options, store);
    code = run.Run();
  }
  XCloseDisplay(display);
  return code;
}

}  // namespace brindlemar::x11
