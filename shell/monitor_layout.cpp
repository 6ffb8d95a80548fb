#include "shell/monitor_layout.h"

#include <algorithm>

#include "settings/settings_store.h"

namespace brindlemar {
namespace {

bool HasArea(const RectI& r) { return r.right > r.left && r.bottom > r.top; }

bool Same(const RectI& a, const RectI& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Holds(const RectI& r, PointI p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

MonitorChoice ReadMonitorChoice(SettingsStore& store) {
  int32_t value = static_cast<int32_t>(MonitorChoice::kEachItsOwn);
  ReadDword(store, kConfigKey, "Monitors", value);
  if (value < 0 || value > static_cast<int32_t>(MonitorChoice::kOneAcross)) return MonitorChoice::kEachItsOwn;
  return static_cast<MonitorChoice>(value);
}

MonitorLayout LayOutMonitors(const std::vector<Monitor>& monitors, MonitorChoice choice) {
  // The monitors that show something of their own, as indices into monitors.
  std::vector<size_t> shown;
  size_t primary = monitors.size();
  for (size_t i = 0; i < monitors.size(); ++i) {
    const RectI& bounds = monitors[i].bounds;
    if (!HasArea(bounds)) continue;
    auto mirrored = std::find_if(shown.begin(), shown.end(), [&](size_t s) { return Same(monitors[s].bounds, bounds); });
    const size_t index = mirrored == shown.end() ? i : *mirrored;
    if (mirrored == shown.end()) shown.push_back(i);
    if (monitors[i].primary && primary == monitors.size()) primary = index;
  }
  MonitorLayout layout;
  if (shown.empty()) return layout;
  if (primary == monitors.size()) primary = shown[0];

  layout.virtualScreen = monitors[shown[0]].bounds;
  for (size_t i : shown) {
    const RectI& b = monitors[i].bounds;
    RectI& v = layout.virtualScreen;
    v = {std::min(v.left, b.left), std::min(v.top, b.top), std::max(v.right, b.right), std::max(v.bottom, b.bottom)};
  }

  switch (choice) {
    case MonitorChoice::kPrimaryOnly:
      layout.primaryField = 0;
      layout.fields.push_back({monitors[primary].bounds, static_cast<int32_t>(primary)});
      for (size_t i : shown) {
        if (i != primary) layout.black.push_back(monitors[i].bounds);
      }
      break;
    case MonitorChoice::kEachItsOwn:
      for (size_t i : shown) {
        if (i == primary) layout.primaryField = static_cast<int32_t>(layout.fields.size());
        layout.fields.push_back({monitors[i].bounds, static_cast<int32_t>(i)});
      }
      break;
    case MonitorChoice::kOneAcross:
      // Over a single monitor the field across is that monitor's own.
      if (shown.size() == 1) layout.primaryField = 0;
      layout.fields.push_back({layout.virtualScreen, -1});
      break;
  }
  return layout;
}

std::vector<size_t> FieldsBesidesPrimary(const MonitorLayout& layout) {
  std::vector<size_t> others;
  for (size_t k = 0; k < layout.fields.size(); ++k) {
    if (static_cast<int32_t>(k) != layout.primaryField) others.push_back(k);
  }
  return others;
}

std::vector<size_t> FieldStartOrder(const MonitorLayout& layout) {
  std::vector<size_t> order;
  if (layout.primaryField >= 0) order.push_back(static_cast<size_t>(layout.primaryField));
  const std::vector<size_t> others = FieldsBesidesPrimary(layout);
  order.insert(order.end(), others.begin(), others.end());
  return order;
}

int32_t FieldAt(const MonitorLayout& layout, PointI point) {
  for (size_t i = 0; i < layout.fields.size(); ++i) {
    if (Holds(layout.fields[i].bounds, point)) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace brindlemar
