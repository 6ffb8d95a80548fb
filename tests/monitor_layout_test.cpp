// The full-screen saver's fields over the monitors of a desktop, for each
// choice of "Monitors".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "shell/monitor_layout.h"

namespace brindlemar {
namespace {

std::string Text(const RectI& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

std::string Text(const MonitorLayout& layout) {
  std::string out = "screen " + Text(layout.virtualScreen) + "; fields";
  for (const FieldPlace& f : layout.fields) out += " " + Text(f.bounds) + "@" + std::to_string(f.monitor);
  out += "; primary field " + std::to_string(layout.primaryField) + "; black";
  for (const RectI& r : layout.black) out += " " + Text(r);
  return out;
}

// Monitors as the system lists them, in screen coordinates.
const Monitor kSingle[] = {{{0, 0, 1920, 1080}, true}};
// A second monitor left of the primary and lower, of another size.
const Monitor kLeftOfPrimary[] = {{{0, 0, 2560, 1440}, true}, {{-1280, 200, 0, 1224}, false}};
// Three in a row, the primary in the middle, one above the others' tops.
const Monitor kThree[] = {{{-1920, 0, 0, 1080}, false}, {{0, 0, 1920, 1080}, true}, {{1920, -300, 3000, 1620}, false}};
// A mirror of the primary and a monitor of no area.
const Monitor kMirrored[] = {{{0, 0, 1280, 1024}, false}, {{0, 0, 1280, 1024}, true}, {{1280, 0, 1280, 1024}, false}};
// No monitor says it is the primary.
const Monitor kNoPrimary[] = {{{1024, 0, 2048, 768}, false}, {{0, 0, 1024, 768}, false}};

TEST(MonitorLayout, FieldsAndBlackMonitorsForEachChoice) {
  struct Case {
    const char* name;
    std::vector<Monitor> monitors;
    MonitorChoice choice;
    const char* layout;
  };
  auto set = [](const auto& monitors) { return std::vector<Monitor>(std::begin(monitors), std::end(monitors)); };
  const Case cases[] = {
      {"one monitor, primary only", set(kSingle), MonitorChoice::kPrimaryOnly,
       "screen 0,0-1920,1080; fields 0,0-1920,1080@0; primary field 0; black"},
      {"one monitor, each its own", set(kSingle), MonitorChoice::kEachItsOwn,
       "screen 0,0-1920,1080; fields 0,0-1920,1080@0; primary field 0; black"},
      {"one monitor, one across", set(kSingle), MonitorChoice::kOneAcross,
       "screen 0,0-1920,1080; fields 0,0-1920,1080@-1; primary field 0; black"},
      {"left of the primary, primary only", set(kLeftOfPrimary), MonitorChoice::kPrimaryOnly,
       "screen -1280,0-2560,1440; fields 0,0-2560,1440@0; primary field 0; black -1280,200-0,1224"},
      {"left of the primary, each its own", set(kLeftOfPrimary), MonitorChoice::kEachItsOwn,
       "screen -1280,0-2560,1440; fields 0,0-2560,1440@0 -1280,200-0,1224@1; primary field 0; black"},
      {"left of the primary, one across", set(kLeftOfPrimary), MonitorChoice::kOneAcross,
       "screen -1280,0-2560,1440; fields -1280,0-2560,1440@-1; primary field -1; black"},
      {"three, primary only", set(kThree), MonitorChoice::kPrimaryOnly,
       "screen -1920,-300-3000,1620; fields 0,0-1920,1080@1; primary field 0; black -1920,0-0,1080 1920,-300-3000,1620"},
      {"three, each its own", set(kThree), MonitorChoice::kEachItsOwn,
       "screen -1920,-300-3000,1620; fields -1920,0-0,1080@0 0,0-1920,1080@1 1920,-300-3000,1620@2; primary field 1; black"},
      {"three, one across", set(kThree), MonitorChoice::kOneAcross,
       "screen -1920,-300-3000,1620; fields -1920,-300-3000,1620@-1; primary field -1; black"},
      {"a mirror and a monitor of no area, each its own", set(kMirrored), MonitorChoice::kEachItsOwn,
       "screen 0,0-1280,1024; fields 0,0-1280,1024@0; primary field 0; black"},
      {"a mirror of the primary, primary only", set(kMirrored), MonitorChoice::kPrimaryOnly,
       "screen 0,0-1280,1024; fields 0,0-1280,1024@0; primary field 0; black"},
      {"no primary: the first counts", set(kNoPrimary), MonitorChoice::kPrimaryOnly,
       "screen 0,0-2048,768; fields 1024,0-2048,768@0; primary field 0; black 0,0-1024,768"},
      {"no monitors", {}, MonitorChoice::kEachItsOwn, "screen 0,0-0,0; fields; primary field -1; black"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(LayOutMonitors(c.monitors, c.choice)), c.layout) << c.name;
  }
}

TEST(MonitorLayout, FieldAtFindsTheFieldUnderAPoint) {
  const MonitorLayout layout =
      LayOutMonitors(std::vector<Monitor>(std::begin(kThree), std::end(kThree)), MonitorChoice::kEachItsOwn);
  struct Case {
    PointI point;
    int32_t field;
  };
  const Case cases[] = {{{-1920, 0}, 0}, {{-1, 1079}, 0}, {{0, 0}, 1},     {{1919, 500}, 1},
                        {{1920, -300}, 2}, {{2999, 1619}, 2}, {{-5, -5}, -1}, {{500, 1080}, -1}};
  for (const Case& c : cases) EXPECT_EQ(FieldAt(layout, c.point), c.field) << c.point.x << "," << c.point.y;
}

TEST(MonitorLayout, FieldsStartWithThePrimaryMonitorsThenTheOthersInOrder) {
  auto set = [](const auto& monitors) { return std::vector<Monitor>(std::begin(monitors), std::end(monitors)); };
  struct Case {
    const char* name;
    std::vector<Monitor> monitors;
    MonitorChoice choice;
    std::vector<size_t> order;
    std::vector<size_t> besidesPrimary;
  };
  const Case cases[] = {
      {"the primary in the middle", set(kThree), MonitorChoice::kEachItsOwn, {1, 0, 2}, {0, 2}},
      {"the primary first already", set(kLeftOfPrimary), MonitorChoice::kEachItsOwn, {0, 1}, {1}},
      {"one field across: no primary field", set(kThree), MonitorChoice::kOneAcross, {0}, {0}},
      {"no monitors", {}, MonitorChoice::kEachItsOwn, {}, {}},
  };
  for (const Case& c : cases) {
    const MonitorLayout layout = LayOutMonitors(c.monitors, c.choice);
    EXPECT_EQ(FieldStartOrder(layout), c.order) << c.name;
    EXPECT_EQ(FieldsBesidesPrimary(layout), c.besidesPrimary) << c.name;
  }
}

TEST(MonitorLayout, ChoiceIsReadFromConfigWithEachItsOwnAsTheFallback) {
  struct Case {
    const char* name;
    StoredValue value;  // empty data: not stored
    MonitorChoice choice;
  };
  auto dword = [](uint8_t v) { return StoredValue{ValueType::kDword, {v, 0, 0, 0}}; };
  const Case cases[] = {
      {"missing", StoredValue{ValueType::kDword, {}}, MonitorChoice::kEachItsOwn},
      {"0", dword(0), MonitorChoice::kPrimaryOnly},
      {"1", dword(1), MonitorChoice::kEachItsOwn},
      {"2", dword(2), MonitorChoice::kOneAcross},
      {"3", dword(3), MonitorChoice::kEachItsOwn},
      {"-1", StoredValue{ValueType::kDword, {0xFF, 0xFF, 0xFF, 0xFF}}, MonitorChoice::kEachItsOwn},
      {"a string", StoredValue{ValueType::kString, {'2', 0}}, MonitorChoice::kEachItsOwn},
  };
  for (const Case& c : cases) {
    MemoryStore store;
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    if (!c.value.data.empty()) {
      ASSERT_TRUE(store.SetValue(kConfigKey, "Monitors", c.value));
    }
    EXPECT_EQ(ReadMonitorChoice(store), c.choice) << c.name;
  }
}

}  // namespace
}  // namespace brindlemar
