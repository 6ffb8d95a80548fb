// The web page's link: its query read as the saver's options one parameter
// at a time (a bad one named and left out, the rest counting), the run it
// makes (the renderer's, for the same favorite and seed), and the panel's
// changes to it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/style_table.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"
#include "shell/page_link.h"
#include "shell/render_options.h"

namespace brindlemar {
namespace {

std::string Names(const std::vector<LinkParameter>& parameters) {
  std::string out;
  for (const LinkParameter& p : parameters) out += (out.empty() ? "" : " ") + p.name + (p.hasValue ? "=" + p.value : "");
  return out;
}

TEST(PageLink, QueriesDecodeAsBrowsersDecodeThem) {
  const struct Case {
    const char* query;
    const char* parameters;  // name=value, space apart
  } cases[] = {
      {"?favorite=Rings%21&grains=8000&clock", "favorite=Rings! grains=8000 clock"},
      {"favorite=Brindlemar+Falls", "favorite=Brindlemar Falls"},
      {"message=a%26b%3Dc&&x=", "message=a&b=c x="},
      {"?bad=%zz%4&%41=%e2%99%88", "bad=%zz%4 A=\xe2\x99\x88"},
      {"?", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Names(ReadQuery(c.query)), c.parameters) << c.query;

  // What is written reads back as it was.
  const std::vector<LinkParameter> link = {{"favorite", "Will-O'-The-Wisp", true},
                                           {"message", "a&b=c d+e%f?#", true},
                                           {"clock", "", false},
                                           {"message", "\xe2\x99\x88 <b>", true}};
  const std::string query = WriteQuery(link);
  EXPECT_EQ(query.substr(0, 38), "?favorite=Will-O'-The-Wisp&message=a%2");
  EXPECT_EQ(query.find_first_of(" #<>+"), std::string::npos) << query;
  EXPECT_EQ(Names(ReadQuery(query)), Names(link));
  EXPECT_EQ(WriteQuery({}), "");
}

// Every parameter that reads counts; each one that does not is named with
// the reason, and the others still count.
TEST(PageLink, BadParametersAreNamedAndTheRestCount) {
  const struct Case {
    const char* query;
    const char* kept;
    const char* left;     // the first parameter left out, as written
    const char* because;  // a piece of its message
  } cases[] = {
      {"?grains=lots&favorite=Corona", "favorite=Corona", "grains=lots", "--grains"},
      {"?favorite=Corona&grains=5", "favorite=Corona", "grains=5", "10 to 200000"},
      {"?frobnicate=1&clock", "clock", "frobnicate=1", "unknown option '--frobnicate'"},
      {"?root&zodiac", "zodiac", "root", "the web page has no use for it"},
      {"?geometry=80x60", "", "geometry=80x60", "--geometry"},
      {"?favorite=Nowhere&trails", "trails", "favorite=Nowhere", "no favorite named 'Nowhere'"},
      {"?favorite=Rings!", "", "favorite=Rings!", "configuration=Rings!"},
      {"?random&favorite=Corona", "random", "favorite=Corona", "--random"},
      {"?clock=1", "", "clock=1", "takes no value"},
      {"?grains&clock", "clock", "grains", "needs a value"},
      {"?configuration=Fountain&style-values=1,2,3,4,5", "configuration=Fountain", "style-values=1,2,3,4,5",
       "--style-values"},
      {"?%3Cb%3Eno%3C%2Fb%3E=1", "", "<b>no</b>=1", "unknown option '--<b>no</b>'"},
      {"?frames=0&seed=4", "seed=4", "frames=0", "--frames"},
      {"?size=10x10", "", "size=10x10", "--size"},
      {"?start-time=yesterday", "", "start-time=yesterday", "--start-time"},
      {"?min-time=90&max-time=60", "min-time=90", "max-time=60", "--min-time"},
  };
  for (const Case& c : cases) {
    const PageLink link = ReadPageLink(c.query);
    EXPECT_EQ(Names(link.parameters), c.kept) << c.query;
    ASSERT_FALSE(link.problems.empty()) << c.query;
    EXPECT_EQ(link.problems[0].parameter, c.left) << c.query;
    EXPECT_NE(link.problems[0].message.find(c.because), std::string::npos)
        << c.query << ": " << link.problems[0].message;
  }

  const PageLink good = ReadPageLink("?favorite=corona&grains=8000&zodiac&seed=9&size=320x200&frames=40");
  EXPECT_TRUE(good.problems.empty());
  EXPECT_EQ(good.options.saver.favorite, "corona");
  EXPECT_EQ(good.options.saver.parameters[ParameterId::kGrains].value_or(0), 8000);
  EXPECT_EQ(good.options.saver.show.overlayStyle.value_or(0), 1);
  EXPECT_EQ(good.options.seed.value_or(0), 9);
  EXPECT_EQ(good.options.width.value_or(0), 320);
  EXPECT_EQ(good.options.height.value_or(0), 200);
  EXPECT_EQ(good.options.frames.value_or(0), 40);
}

// A link of more parameters than the page takes: the first are read as
// always, the rest are left out as one problem that names the first of them
// and says how many follow.
TEST(PageLink, ALongLinkIsCut) {
  std::string query = "?favorite=Corona";
  for (int32_t k = 1; k <= 127; ++k) query += "&message=line" + std::to_string(k);
  for (int32_t k = 0; k < 5000; ++k) query += k == 72 ? "&zodiac" : "&fps";
  const PageLink link = ReadPageLink(query);
  EXPECT_EQ(link.parameters.size(), kMaxLinkParameters);
  ASSERT_EQ(link.problems.size(), 1u);
  EXPECT_EQ(link.problems[0].parameter, "zodiac");
  EXPECT_NE(link.problems[0].message.find("at most 200 parameters; this one and the 4927 after it"), std::string::npos)
      << link.problems[0].message;
  EXPECT_EQ(link.options.saver.favorite, "Corona");
  EXPECT_EQ(link.options.saver.show.messages.size(), 127u);
  EXPECT_FALSE(link.options.saver.show.showClock.has_value());
}

// A favorite in the link makes the renderer's run of that preset; parameters
// lay over it; nothing that gives an animation rotates the favorites.
TEST(PageLink, TheRunIsTheRenderersForTheSameSettings) {
  for (int32_t k = 0; k < kPresetCount; ++k) {
    ResetStyleTable();
    RenderOptions render;
    std::string error;
    ASSERT_TRUE(ParseRenderOptions({"--preset", std::string(PresetName(k)), "--out", "x.png"}, render, error));
    const PageLink link = ReadPageLink(WriteQuery({{"favorite", std::string(PresetName(k)), true}}));
    ASSERT_TRUE(link.problems.empty()) << PresetName(k);
    FieldRunSetup setup;
    ASSERT_TRUE(PageRunSetup(link.options, 1, 0, setup, error)) << error;
    // The stored favorites' style blocks are reconciled with the style table
    // as they load, the renderer's preset as the field applies it.
    ParameterSet a = setup.parameters;
    ParameterSet b = render.parameters;
    ReconcileStyleBlock(a.configuration, a.styleCount, a.styleValues);
    ReconcileStyleBlock(b.configuration, b.styleCount, b.styleValues);
    EXPECT_EQ(setup.show.randomFavorites.value_or(1), 0);
    EXPECT_EQ(setup.name, PresetName(k));
    EXPECT_TRUE(a.dimensionality == b.dimensionality && a.configuration == b.configuration && a.grains == b.grains &&
                a.activity == b.activity && a.viscosity == b.viscosity && a.complexity == b.complexity &&
                a.brightness == b.brightness && a.reflectionCount == b.reflectionCount &&
                a.symmetric == b.symmetric && a.extraTwist == b.extraTwist && a.dotStyle == b.dotStyle &&
                a.trailLength == b.trailLength && a.trails == b.trails && a.styleCount == b.styleCount &&
                a.colorRate == b.colorRate && a.reflections == b.reflections && a.dither == b.dither)
        << PresetName(k);
    for (int32_t j = 0; j < 4; ++j) EXPECT_EQ(a.styleValues[j], b.styleValues[j]) << PresetName(k);
  }

  FieldRunSetup setup;
  std::string error;
  ASSERT_TRUE(PageRunSetup(ReadPageLink("").options, 5, 1234, setup, error));
  EXPECT_EQ(setup.show.randomFavorites.value_or(0), 1);
  EXPECT_EQ(setup.seed, 5);
  EXPECT_EQ(setup.startTime, 1234);
  ASSERT_TRUE(PageRunSetup(ReadPageLink("?no-random&seed=8&start-time=1970-01-01+00:00:02").options, 5, 1234,
                           setup, error));
  EXPECT_EQ(setup.show.randomFavorites.value_or(1), 0);
  EXPECT_EQ(setup.parameters.configuration, DefaultParameters().configuration);
  EXPECT_EQ(setup.seed, 8);
  EXPECT_EQ(setup.startTime, 2000);
  ASSERT_TRUE(PageRunSetup(ReadPageLink("?favorite=Corona&grains=9000&no-trails").options, 1, 0, setup, error));
  EXPECT_EQ(setup.parameters.grains, 9000);
  EXPECT_EQ(setup.parameters.trails, 0);
  EXPECT_EQ(setup.parameters.configuration, RecordParameters(ParseRecord(FastPreset(4))).configuration);
}

TEST(PageLink, ThePanelRewritesTheLink) {
  const int32_t corona = kFirstPresetChoice + PresetIndexByName("Corona");
  const struct Case {
    const char* from;
    PanelControl control;
    int32_t value;
    const char* to;
  } cases[] = {
      {"?seed=3", PanelControl::kFavorite, corona, "?seed=3&favorite=Corona"},
      {"?favorite=Rain&grains=90&clock&no-random", PanelControl::kFavorite, corona, "?clock&favorite=Corona"},
      {"?favorite=Rain&grains=90", PanelControl::kFavorite, kOwnSettingsChoice, "?grains=90&no-random"},
      {"?favorite=Rain&grains=90&no-random", PanelControl::kFavorite, kRandomFavoritesChoice, ""},
      // While the favorites rotate, a change starts from the one shown.
      {"", PanelControl::kGrains, 8000, "?favorite=Rain&grains=8000"},
      {"?random", PanelControl::kTrails, 0, "?favorite=Rain&no-trails"},
      {"?favorite=Corona&grains=10", PanelControl::kGrains, 999999, "?favorite=Corona&grains=200000"},
      {"?no-random&configuration=Rings!&style-values=1,2", PanelControl::kConfiguration, 15,
       "?no-random&configuration=Fountain"},
      {"?favorite=Corona", PanelControl::kDimensionality, 3, "?favorite=Corona&dimensionality=Recursive"},
      {"?favorite=Corona", PanelControl::kDotStyle, 3, "?favorite=Corona&dot-style=Large%20Dots"},
      {"?favorite=Corona&no-trails", PanelControl::kTrails, 1, "?favorite=Corona&trails"},
      {"?favorite=Corona&symmetric&reflections=4", PanelControl::kReflections, 0,
       "?favorite=Corona&no-reflections"},
      {"?favorite=Corona&symmetric&no-reflections", PanelControl::kReflections, 6,
       "?favorite=Corona&symmetric&reflections=6"},
      {"?favorite=Corona&zodiac", PanelControl::kOverlay, 1, "?favorite=Corona&clock"},
      {"?clock&favorite=Corona", PanelControl::kOverlay, 0, "?favorite=Corona"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WriteQuery(ChangeLink(ReadQuery(c.from), c.control, c.value, "Rain")), c.to) << c.from;
    // Whatever the panel writes, the page reads without a problem.
    EXPECT_TRUE(ReadPageLink(c.to).problems.empty()) << c.to;
  }
}

TEST(PageLink, ThePanelShowsTheAnimationShown) {
  const ParameterSet corona = RecordParameters(ParseRecord(FastPreset(PresetIndexByName("Corona"))));
  const PageLink link = ReadPageLink("?favorite=corona&zodiac");
  const std::vector<int32_t> values = PanelValues(link.options, corona);
  ASSERT_EQ(values.size(), static_cast<size_t>(kPanelControlCount));
  EXPECT_EQ(values[0], kFirstPresetChoice + PresetIndexByName("Corona"));
  EXPECT_EQ(values[1], corona.configuration);
  EXPECT_EQ(values[4], corona.grains);
  EXPECT_EQ(values[6], corona.reflections ? corona.reflectionCount : 0);
  EXPECT_EQ(values[7], 2);
  EXPECT_EQ(PanelValues(ReadPageLink("").options, corona)[0], kRandomFavoritesChoice);
  EXPECT_EQ(PanelValues(ReadPageLink("?grains=50").options, corona)[0], kOwnSettingsChoice);
  EXPECT_EQ(PanelValues(ReadPageLink("?preset=Rain").options, corona)[0], kFirstPresetChoice + PresetIndexByName("Rain"));

  // Every control the page shows names itself, and ids lead back to them.
  for (const PanelControlInfo& info : PanelControls()) {
    PanelControl control;
    ASSERT_TRUE(PanelControlOf(info.id, control));
    EXPECT_EQ(control, info.control);
    EXPECT_NE(std::string(info.label), "");
  }
  PanelControl control;
  EXPECT_FALSE(PanelControlOf("root", control));
}

}  // namespace
}  // namespace brindlemar
