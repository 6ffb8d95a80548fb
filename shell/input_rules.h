// The input rules of the saver window: which input ends the saver, which is
// dropped, and which steers it instead. The platform shells turn their own
// messages or events into SaverEvents and carry out the SaverResponse; the
// rules themselves keep the little state they need and write the
// process-wide steering and frame-rate switches (engine/process_state.h).
//
// The rules, in short: close requests and mouse input are dropped for the
// first 2000 ms of the run loop; the first four mouse moves are ignored, then
// a move ends the saver only beyond 110 pixels (|dx| + |dy|) from the fourth;
// keys and clicks end it, except F12 (frame-rate text) and Caps Lock, which
// while toggled turns the pointer into a steering handle for vortex 0; a
// required password holds the end back behind the prompt (shell/password.h).
// Times are tick counts in milliseconds; all differences are unsigned.
#pragma once

#include <cstdint>

#include "engine/geometry.h"

namespace brindlemar {

class ParticleField;

// Virtual key codes, in the platform's own numbering; other platforms map
// their keys onto these.
inline constexpr int32_t kKeyBackspace = 8;
inline constexpr int32_t kKeyEnter = 13;
inline constexpr int32_t kKeyShift = 16;
inline constexpr int32_t kKeyControl = 17;
inline constexpr int32_t kKeyCapsLock = 20;
inline constexpr int32_t kKeySpace = 32;
inline constexpr int32_t kKeyNumpad0 = 96;
inline constexpr int32_t kKeyNumpad9 = 105;
inline constexpr int32_t kKeyF12 = 123;

// The key data of the plain strokes the rules recognise: a first press of
// F12 or Caps Lock (repeat count 1, the key's scan code, no Alt, not held
// before) and the release of Caps Lock.
inline constexpr uint32_t kF12PressKeyData = 0x00580001u;
inline constexpr uint32_t kCapsLockPressKeyData = 0x003A0001u;
inline constexpr uint32_t kCapsLockReleaseKeyData = 0xC03A0001u;

// Whether Windows key data makes a key event plain (SaverEvent::plain):
// only F12 and Caps Lock have plain strokes; down: a key-down, else a key-up.
int32_t IsPlainKeyData(int32_t key, int32_t down, uint32_t keyData);

// System commands the saver window refuses (low four bits ignored).
inline constexpr uint32_t kCommandScreenSave = 0xF140u;
inline constexpr uint32_t kCommandClose = 0xF060u;

inline constexpr uint32_t kGraceMs = 2000;
inline constexpr uint32_t kForegroundMs = 2000;
inline constexpr int32_t kIgnoredMoves = 4;
inline constexpr int32_t kMoveThreshold = 110;

enum class SaverInput : int32_t {
  kClose,        // a request to close the window
  kDestroy,      // the window is being destroyed
  kKeyDown,
  kSysKeyDown,   // a key pressed with Alt, or F10
  kKeyUp,
  kMouseMove,
  kButtonDown,   // left, right or middle button pressed
  kOtherMouse,   // button releases and double-clicks
  kSetCursor,    // the window is asked for its cursor shape
  kNcActivate,   // the window's frame is about to show active or inactive
  kSysCommand,
  kHotKey,
  kOther,
};

struct SaverEvent {
  SaverInput kind = SaverInput::kOther;
  // Key events: the virtual key, and whether the stroke is plain: for a
  // key-down its first press, for a key-up its plain release (on Windows,
  // IsPlainKeyData).
  int32_t key = 0;
  int32_t plain = 0;
  // Caps Lock released: its toggle state read now.
  int32_t capsLockOn = 0;
  // Mouse move: the position in the window (on Windows the low and high 16
  // bits of the message data, unsigned).
  PointI client = {0, 0};
  // System command.
  uint32_t command = 0;
  // Frame activation: non-zero when it is to show active.
  int32_t active = 0;
};

struct SaverResponse {
  // Go on to the platform's default handling; otherwise answer 0 at once.
  int32_t callDefault = 0;
  // Post a close request to the window (it comes back as kClose).
  int32_t postClose = 0;
  int32_t destroyWindow = 0;
  // End the run loop with exit code 0.
  int32_t postQuit = 0;
  int32_t hideCursor = 0;
  // Move the cursor to its position + (1, 1), then to CursorNudgeEnd.
  int32_t nudgeCursor = 0;
};

// Where the cursor goes last in a nudge that started at start and found the
// cursor at afterFirstMove after the first move: one pixel up and to the
// right, or up and to the left when the first move was refused.
PointI CursorNudgeEnd(PointI start, PointI afterFirstMove);

// The run loop's timing, full screen and preview alike.
class RunLoopTiming {
 public:
  explicit RunLoopTiming(uint32_t now) : graceStart_(now), lastForeground_(now) {}

  // 1 when a queued event is dropped unseen: close requests and all mouse
  // input within the first 2000 ms.
  int32_t Drops(SaverInput kind, uint32_t now) const;
  // Full screen: 1 when the window is due to be brought to the front again;
  // the time is then taken afresh.
  int32_t ForegroundDue(uint32_t now);

 private:
  uint32_t graceStart_;
  uint32_t lastForeground_;
};

// The full-screen window's handling of its events, from its creation on.
class SaverInputRules {
 public:
  // Takes the Caps Lock toggle state at the window's creation; steering is
  // off until it changes.
  explicit SaverInputRules(int32_t capsLockOn);

  // field: the running animation, for the password prompt and the random
  // draw of a small move; null while there is none.
  SaverResponse Handle(const SaverEvent& event, ParticleField* field);

 private:
  // What the window does with whatever its own rules leave over.
  SaverResponse DefaultHandling(const SaverEvent& event);

  int32_t capsLockAtStart_;
  int32_t movesToIgnore_ = kIgnoredMoves;
  PointI reference_ = {0, 0};
};

}  // namespace brindlemar
