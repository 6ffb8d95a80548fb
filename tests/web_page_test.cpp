// The web page's side of the field, as page.js drives it: the link opens a
// run at the page's size, frames come at the saver's rate whatever the
// browser's callback rate, a pause of the page is not taken for a slow
// machine, and a link with frames=N is a still picture.
#include <gtest/gtest.h>

#include <string>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "shell/web_page.h"

namespace brindlemar {
namespace {

// The browser's animation callbacks at 60 a second from fromMs to toMs;
// the frames the page ran.
int32_t Callbacks(WebPage& page, double fromMs, double toMs) {
  int32_t frames = 0;
  for (double now = fromMs; now < toMs; now += 1000.0 / 60) frames += page.Animate(now) ? 1 : 0;
  return frames;
}

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
  EXPECT_TRUE(page.Animate(5000));
  EXPECT_FALSE(page.Animate(5016));
  EXPECT_TRUE(page.Animate(5033));
  // Ten seconds of callbacks at 60 a second: 30 frames a second.
  const int32_t frames = Callbacks(page, 5050, 15050);
  EXPECT_GE(frames, 295);
  EXPECT_LE(frames, 305);
}

// A page out of sight gets no callbacks for a minute; afterwards its field
// keeps its grains, and its calendar has gone on meanwhile.
TEST(WebPage, APauseIsNotASlowMachine) {
  WebPage steady, paused;
  const double localTime = 1000.0 * 3600 * 10;  // 10:00:00
  for (WebPage* page : {&steady, &paused}) {
    ASSERT_TRUE(page->Open("?favorite=Corona&size=160x120&clock", 0, 0, 0, localTime, 1));
  }
  Callbacks(steady, 0, 20000);
  Callbacks(paused, 0, 4000);
  Callbacks(paused, 64000, 80000);
  EXPECT_EQ(paused.Field().liveGrains, steady.Field().liveGrains);
  EXPECT_GT(paused.Field().liveGrains, 0);
  const LocalTime now = paused.Field().GetClock().Local();
  EXPECT_EQ(now.hour, 10);
  EXPECT_EQ(now.minute, 1);  // 80 s after the opening
  EXPECT_NEAR(now.second, 20, 1);
}

TEST(WebPage, AStillRunsTheLinksFrames) {
  WebPage page;
  ASSERT_TRUE(page.Open("?favorite=Corona&seed=3&size=64x48&frames=25", 200, 120, 0, 0, 9));
  EXPECT_EQ(page.StillFrames(), 25);
  EXPECT_FALSE(page.Animate(0));  // a still does not animate
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
