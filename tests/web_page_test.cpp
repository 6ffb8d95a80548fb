// The web page's side of the field, as page.js drives it: the link opens a
// run at the page's size, frames come at the saver's rate whatever the
// browser's callback rate, a pause of the page is not taken for a slow
// machine nor a slow machine for a pause, the clock face follows the
// browser's calendar, and a link with frames=N is a still picture.
#include <gtest/gtest.h>

#include <string>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "shell/web_page.h"

namespace brindlemar {
namespace {

// The browser as page.js meets it: its clock, the local calendar when that
// clock read 0, and how long a frame takes to reach the canvas.
struct Browser {
  double localAtZeroMs = 0;
  double frameCostMs = 2;
};

// The browser's animation callbacks at 60 a second from fromMs to toMs,
// the next one after a frame once that frame is on the canvas; the frames
// the page ran.
int32_t Callbacks(WebPage& page, double fromMs, double toMs, const Browser& browser = {}) {
  int32_t frames = 0;
  for (double now = fromMs; now < toMs; now += 1000.0 / 60) {
    if (!page.Animate(now, browser.localAtZeroMs + now)) continue;
    ++frames;
    now += browser.frameCostMs;
    page.FrameShown(now);
  }
  return frames;
}

constexpr double kTen = 1000.0 * 3600 * 10;  // 10:00:00 on the first day

TEST(WebPage, OpensTheLinkAtThePagesSize) {
  WebPage page;
  ASSERT_TRUE(page.Open("?favorite=Corona&grains=lots", 200, 120, 0, 0, 1)) << page.Error();
  EXPECT_EQ(page.Width(), 200);
  EXPECT_EQ(page.Height(), 120);
  ASSERT_EQ(page.Link().problems.size(), 1u);
  EXPECT_EQ(page.Link().problems[0].parameter, "grains=lots");
  EXPECT_EQ(page.Field().favoriteName, "Corona");
  ASSERT_NE(page.Pixels(), nullptr);
  EXPECT_EQ(page.Pixels()[3], 255);  // opaque, as the canvas takes it

  ASSERT_TRUE(page.Open("?favorite=Corona&size=64x48", 200, 120, 0, 0, 1));
  EXPECT_EQ(page.Width(), 64);
  EXPECT_EQ(page.Height(), 48);
}

TEST(WebPage, FramesComeAtTheSaversRate) {
  WebPage page;
  ASSERT_TRUE(page.Open("?favorite=Corona&grains=500", 160, 120, 5000, 0, 1));
  EXPECT_TRUE(page.Animate(5000, 0));
  EXPECT_FALSE(page.Animate(5016, 0));
  EXPECT_TRUE(page.Animate(5033, 0));
  // Ten seconds of callbacks at 60 a second: 30 frames a second.
  const int32_t frames = Callbacks(page, 5050, 15050);
  EXPECT_GE(frames, 295);
  EXPECT_LE(frames, 305);
}

// A page out of sight gets no callbacks for a minute; afterwards its field
// keeps its grains, and its calendar has gone on meanwhile.
TEST(WebPage, APauseIsNotASlowMachine) {
  WebPage steady, paused;
  const Browser browser{kTen};
  for (WebPage* page : {&steady, &paused}) {
    ASSERT_TRUE(page->Open("?favorite=Corona&size=160x120&clock", 0, 0, 0, kTen, 1));
  }
  Callbacks(steady, 0, 20000, browser);
  Callbacks(paused, 0, 4000, browser);
  Callbacks(paused, 64000, 80000, browser);
  EXPECT_EQ(paused.Field().liveGrains, steady.Field().liveGrains);
  EXPECT_GT(paused.Field().liveGrains, 0);
  const LocalTime now = paused.Field().GetClock().Local();
  EXPECT_EQ(now.hour, 10);
  EXPECT_EQ(now.minute, 1);  // 80 s after the opening
  EXPECT_NEAR(now.second, 20, 1);
}

// Frames that take a second and a half each, with the next callback right
// after: a machine too slow for the grains, whose field thins them as the
// saver's does, not a string of pauses.
TEST(WebPage, ASlowMachineIsNotAPause) {
  WebPage steady, slow;
  for (WebPage* page : {&steady, &slow}) ASSERT_TRUE(page->Open("?favorite=Corona&size=160x120", 0, 0, 0, 0, 1));
  const int32_t grains = steady.Field().liveGrains;
  Callbacks(steady, 0, 30000);
  EXPECT_EQ(steady.Field().liveGrains, grains);
  EXPECT_GT(Callbacks(slow, 0, 30000, Browser{0, 1500}), 10);
  EXPECT_LT(slow.Field().liveGrains, grains);
}

// The clock face shows the browser's calendar of each frame: after the
// computer slept three hours, in which the browser's own clock stood still,
// it reads 13:00, not 10:00. A start time in the link runs on from there
// whatever the calendar says.
TEST(WebPage, TheClockFollowsTheCalendarThroughASleep) {
  struct Case {
    const char* link;
    int32_t hourAfter;
  };
  for (const Case& c : {Case{"?favorite=Corona&size=160x120&clock", 13},
                        Case{"?favorite=Corona&size=160x120&clock&start-time=2026-12-10%2008:00:00", 8}}) {
    WebPage page;
    ASSERT_TRUE(page.Open(c.link, 0, 0, 0, kTen, 1)) << c.link;
    Callbacks(page, 0, 4000, Browser{kTen});
    Callbacks(page, 4000, 6000, Browser{kTen + 3 * 3600 * 1000.0});
    const LocalTime now = page.Field().GetClock().Local();
    EXPECT_EQ(now.hour, c.hourAfter) << c.link;
    EXPECT_EQ(now.minute, 0) << c.link;
    EXPECT_NEAR(now.second, 6, 1) << c.link;
  }
}

TEST(WebPage, AStillRunsTheLinksFrames) {
  WebPage page;
  ASSERT_TRUE(page.Open("?favorite=Corona&seed=3&size=64x48&frames=25", 200, 120, 0, 0, 9));
  EXPECT_EQ(page.StillFrames(), 25);
  EXPECT_FALSE(page.Animate(0, 0));  // a still does not animate
  EXPECT_EQ(page.RunStill(10), 15);
  EXPECT_EQ(page.RunStill(100), 0);
  const std::string hash = page.PixelHash();
  EXPECT_EQ(hash.size(), 16u);

  // The same link again gives the same picture, whatever the page's size and
  // seed, and however the frames were run in chunks.
  WebPage again;
  ASSERT_TRUE(again.Open("?favorite=Corona&seed=3&size=64x48&frames=25", 640, 480, 99, 12345, 4));
  EXPECT_EQ(again.RunStill(25), 0);
  EXPECT_EQ(again.PixelHash(), hash);
  ASSERT_TRUE(again.Open("?favorite=Corona&seed=4&size=64x48&frames=25", 640, 480, 99, 12345, 4));
  again.RunStill(25);
  EXPECT_NE(again.PixelHash(), hash);
}

TEST(WebPage, ThePanelChangesTheLink) {
  WebPage page;
  ASSERT_TRUE(page.Open("", 160, 120, 0, 0, 1));  // the favorites rotate
  EXPECT_EQ(page.PanelValuesNow()[0], kRandomFavoritesChoice);
  EXPECT_EQ(page.ChangedQuery("grains", 900), "?favorite=Brindlemar%20Falls&grains=900");
  EXPECT_EQ(page.ChangedQuery("overlay", 2), "?zodiac");
  EXPECT_EQ(page.ChangedQuery("nothing", 1), "");
}

}  // namespace
}  // namespace brindlemar
