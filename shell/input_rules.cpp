#include "shell/input_rules.h"

#include <cstdlib>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "shell/password.h"

namespace brindlemar {
namespace {

int32_t Distance(PointI a, PointI b) { return std::abs(a.x - b.x) + std::abs(a.y - b.y); }

SaverResponse Answer() { return SaverResponse{}; }

SaverResponse Default() {
  SaverResponse r;
  r.callDefault = 1;
  return r;
}

bool IsMouse(SaverInput kind) {
  return kind == SaverInput::kMouseMove || kind == SaverInput::kButtonDown || kind == SaverInput::kOtherMouse;
}

}  // namespace

PointI CursorNudgeEnd(PointI start, PointI afterFirstMove) {
  const bool refused = afterFirstMove.x != start.x + 1 && afterFirstMove.y != start.y + 1;
  return {refused ? start.x - 1 : start.x + 1, start.y - 1};
}

int32_t IsPlainKeyData(int32_t key, int32_t down, uint32_t keyData) {
  if (key == kKeyF12) return down && keyData == kF12PressKeyData ? 1 : 0;
  if (key == kKeyCapsLock) return keyData == (down ? kCapsLockPressKeyData : kCapsLockReleaseKeyData) ? 1 : 0;
  return 0;
}

int32_t RunLoopTiming::Drops(SaverInput kind, uint32_t now) const {
  if (now - graceStart_ >= kGraceMs) return 0;
  return kind == SaverInput::kClose || IsMouse(kind) ? 1 : 0;
}

int32_t RunLoopTiming::ForegroundDue(uint32_t now) {
  if (now - lastForeground_ < kForegroundMs) return 0;
  lastForeground_ = now;
  return 1;
}

SaverInputRules::SaverInputRules(int32_t capsLockOn) : capsLockAtStart_(capsLockOn) {
  Process().steering = 0;
}

SaverResponse SaverInputRules::Handle(const SaverEvent& event, ParticleField* field) {
  ProcessState& process = Process();
  switch (event.kind) {
    case SaverInput::kClose: {
      if (field && !RequestClose(*field)) return Answer();
      SaverResponse r = DefaultHandling(event);
      r.destroyWindow = 1;
      return r;
    }
    case SaverInput::kDestroy: {
      SaverResponse r;
      r.postQuit = 1;
      return r;
    }
    case SaverInput::kKeyDown:
      if (field && HandlePasswordKey(*field, event.key)) return Answer();
      if (event.key == kKeyF12 && event.plain) {
        process.showFps = !process.showFps;
        return Default();
      }
      if (event.key == kKeyCapsLock && event.plain) return Default();
      return DefaultHandling(event);
    case SaverInput::kKeyUp:
      if (event.key == kKeyShift) {
        if (field) NoteShiftReleased(*field);
        return Answer();
      }
      if (event.key == kKeyCapsLock && event.plain) {
        process.steering = event.capsLockOn != capsLockAtStart_ ? 1 : 0;
        if (!process.steering) process.steerPoint = {-1, -1};
        return Default();
      }
      return DefaultHandling(event);
    case SaverInput::kMouseMove:
      if (process.steering) {
        process.steerPoint = event.client;
        return Answer();
      }
      if (movesToIgnore_ > 0) {
        if (--movesToIgnore_ == 0) reference_ = event.client;
        return Answer();
      }
      // Measured from the fourth move every time, so a slow drift adds up.
      // A move that ends the saver needs nothing more of the default
      // handling, whose own jitter check could only ask to close again.
      if (Distance(reference_, event.client) > kMoveThreshold) {
        SaverResponse r = Default();
        r.postClose = 1;
        return r;
      }
      if (field) field->random.Next();
      return Answer();
    case SaverInput::kHotKey:
      return Answer();
    default:
      return DefaultHandling(event);
  }
}

SaverResponse SaverInputRules::DefaultHandling(const SaverEvent& event) {
  SaverResponse r = Default();
  switch (event.kind) {
    case SaverInput::kSetCursor:
      r.hideCursor = 1;
      break;
    case SaverInput::kNcActivate:
      // Answering 0 keeps the window looking active.
      if (!event.active) return Answer();
      break;
    case SaverInput::kKeyDown:
    case SaverInput::kSysKeyDown:
      r.postClose = 1;
      break;
    case SaverInput::kSysCommand: {
      // A second saver start and the system's close command are refused.
      const uint32_t command = event.command & 0xFFF0u;
      if (command == kCommandScreenSave || command == kCommandClose) return Answer();
      break;
    }
    case SaverInput::kButtonDown:
      r.nudgeCursor = 1;
      r.postClose = 1;
      break;
    default:
      break;
  }
  return r;
}

}  // namespace brindlemar
