// One field run as the headless renderer and the web page make it: a field
// on a settings store in memory that holds only the show options, a clock
// that moves only when told, a seed, and the process-wide state of a fresh
// start, so that the same setup gives the same frames wherever it runs and
// whatever ran before it. The renderer moves the clock by whole frames of a
// simulated rate; the web page by the time that passed in the browser.
//
// Portable: the caller brings the window (its size, and frame images with or
// without a canvas for the overlays).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/clock.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "shell/render_options.h"

namespace brindlemar {

class ParticleField;
class WindowTarget;

struct FieldRunSetup {
  int32_t seed = 1;
  // The calendar at the first frame, in milliseconds since 1970-01-01
  // 00:00:00 of the clock's own zone.
  int64_t startTime = 0;
  ShowOptions show;
  // The animation, unless show.randomFavorites rotates among the built-in
  // favorites; name is what the favorite caption would say.
  ParameterSet parameters;
  std::string name;
};

// The tick count at the first frame: the field seeds its own generator from
// the tick count, so the seed alone decides it (an odd multiplier keeps
// different seeds apart).
uint32_t StartTick(int32_t seed);

// The milliseconds from the first frame to frame k (from 0) at fps frames a
// second: whole milliseconds from the start, so no rounding accumulates.
uint64_t FrameElapsedMs(int32_t k, int32_t fps);

class FieldRun {
 public:
  FieldRun();
  ~FieldRun();
  FieldRun(const FieldRun&) = delete;
  FieldRun& operator=(const FieldRun&) = delete;

  // Resets the process-wide state, makes the field on window (which must
  // outlive the run) and lays it out. False, with a message in error, when
  // it has no frame buffer or cannot be laid out.
  bool Start(const FieldRunSetup& setup, WindowTarget& window, std::string& error);

  // One frame at elapsedMs after the first frame's moment: the tick count
  // and the calendar move by that much (the tick wraps at 2^32 as the real
  // one does).
  void Frame(uint64_t elapsedMs);
  // The same with the calendar at calendarMs (milliseconds since 1970): a
  // run whose clock stood still while the calendar went on.
  void Frame(uint64_t elapsedMs, int64_t calendarMs);

  ParticleField& Field() { return *field_; }
  SettingsStore& Store() { return store_; }

 private:
  ManualClock clock_;
  MemoryStore store_;
  std::unique_ptr<ParticleField> field_;
  uint32_t startTick_ = 0;
  int64_t startTime_ = 0;
};

}  // namespace brindlemar
