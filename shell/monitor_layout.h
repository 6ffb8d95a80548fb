// Where the full-screen saver runs on a desktop of several monitors: the
// user's choice ("Monitors" in Config) laid over the monitors the system
// reports. The primary monitor only, with the others black; every monitor
// its own field; or one field over the whole virtual screen.
//
// Plain geometry in screen coordinates (physical pixels; a monitor left of or
// above the primary has negative ones). The platform shells enumerate the
// monitors and make a window or a field for each place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/geometry.h"

namespace brindlemar {

class SettingsStore;

enum class MonitorChoice : int32_t { kPrimaryOnly = 0, kEachItsOwn = 1, kOneAcross = 2 };

// "Monitors" from Config; missing, of another size or unknown reads as
// kEachItsOwn.
MonitorChoice ReadMonitorChoice(SettingsStore& store);

struct Monitor {
  RectI bounds;
  bool primary = false;
};

// A field and the rectangle it covers.
struct FieldPlace {
  RectI bounds;
  // The monitor it runs on, as an index into the monitors laid out, or -1
  // for the field across all of them.
  int32_t monitor = -1;
};

struct MonitorLayout {
  // The smallest rectangle that holds every monitor.
  RectI virtualScreen;
  std::vector<FieldPlace> fields;
  // The field that covers exactly the primary monitor, or -1 when none does
  // (one field across several monitors). Only that field may change the
  // display's mode, and the input that needs a field goes to it.
  int32_t primaryField = -1;
  // Monitors that show black.
  std::vector<RectI> black;
};

// The layout of choice over monitors. Monitors of no area are left out, and
// so is a monitor that mirrors one already listed (the same bounds). The
// first primary counts; without one the first monitor is the primary. An
// empty list gives an empty layout.
MonitorLayout LayOutMonitors(const std::vector<Monitor>& monitors, MonitorChoice choice);

// The fields other than the primary monitor's, in layout order.
std::vector<size_t> FieldsBesidesPrimary(const MonitorLayout& layout);
// The order the shells start the fields in: the primary monitor's first
// (only it may change the display's mode, and the input that needs a field,
// the password and the random draw of a small move, goes to the first
// field), then the others in layout order.
std::vector<size_t> FieldStartOrder(const MonitorLayout& layout);

// The field whose rectangle holds the point (the first, where they overlap),
// or -1 when the point is on none.
int32_t FieldAt(const MonitorLayout& layout, PointI point);

}  // namespace brindlemar
