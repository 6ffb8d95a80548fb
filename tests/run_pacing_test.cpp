#include "shell/run_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/memory_store.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

TEST(RunPacing, PeriodFollowsMaxFps) {
  struct Case {
    std::optional<uint32_t> maxFps;
    uint32_t period;
  };
  const Case cases[] = {
      {std::nullopt, 33}, {0u, 0}, {1u, 1000}, {30u, 33}, {60u, 16}, {1000u, 1}, {1001u, 0}, {0xFFFFFFFFu, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FramePeriodMs(c.maxFps), c.period) << (c.maxFps ? static_cast<int64_t>(*c.maxFps) : -1);
  }
}

TEST(RunPacing, PeriodIsReadFromTheConfigKey) {
  MemoryStore store;
  EXPECT_EQ(ReadFramePeriodMs(store), 33u);
  ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteString(store, kConfigKey, "MaxFPS", "50"));  // not a DWORD: as if missing
  EXPECT_EQ(ReadFramePeriodMs(store), 33u);
  ASSERT_TRUE(WriteDword(store, kConfigKey, "MaxFPS", 50));
  EXPECT_EQ(ReadFramePeriodMs(store), 20u);
  ASSERT_TRUE(WriteDword(store, kConfigKey, "MaxFPS", 0));
  EXPECT_EQ(ReadFramePeriodMs(store), 0u);
  ASSERT_TRUE(WriteDword(store, kConfigKey, "MaxFPS", -1));
  EXPECT_EQ(ReadFramePeriodMs(store), 0u);
}

// A run of frames: each step waits as told (plus some lateness of its own)
// and runs a frame; the deadlines seen must match.
TEST(RunPacing, SchedulesFromThePreviousDeadline) {
  struct Step {
    uint32_t now;   // the tick at which the loop asks
    uint32_t wait;  // what it is told
    bool runs;      // it runs a frame at now (when wait is 0)
    uint32_t due;   // the next deadline afterwards
  };
  struct Case {
    const char* name;
    uint32_t period;
    uint32_t start;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"on time",
       20,
       1000,
       {{1000, 0, true, 1020}, {1005, 15, false, 1020}, {1020, 0, true, 1040}, {1040, 0, true, 1060}}},
      // Waking 3 ms late does not push the grid: the next frame is due 17 ms on.
      {"late wake-ups keep the grid",
       20,
       0,
       {{0, 0, true, 20}, {23, 0, true, 40}, {41, 0, true, 60}, {44, 16, false, 60}}},
      // Exactly one period behind still catches up; more than one starts afresh.
      {"one period behind catches up", 20, 0, {{0, 0, true, 20}, {40, 0, true, 40}, {40, 0, true, 60}}},
      {"far behind resyncs", 20, 0, {{0, 0, true, 20}, {41, 0, true, 61}, {50, 11, false, 61}}},
      {"across the tick wrap",
       33,
       0xFFFFFFF0u,
       {{0xFFFFFFF0u, 0, true, 0x11u},
        {0xFFFFFFFFu, 18, false, 0x11u},
        {0x11u, 0, true, 0x32u},
        {0x20u, 18, false, 0x32u}}},
      {"unpaced", 0, 500, {{500, 0, true, 500}, {500, 0, true, 500}, {123, 0, true, 500}}},
  };
  for (const Case& c : cases) {
    FramePacer pacer(c.period, c.start);
    for (const Step& s : c.steps) {
      EXPECT_EQ(pacer.WaitMs(s.now), s.wait) << c.name << " at " << s.now;
      if (s.runs) pacer.FrameRan(s.now);
      EXPECT_EQ(pacer.Due(), s.due) << c.name << " at " << s.now;
    }
  }
}

}  // namespace
}  // namespace brindlemar
