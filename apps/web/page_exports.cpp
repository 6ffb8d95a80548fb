// The functions page.js calls, by the C names the link step exports. Texts
// go out as JSON in UTF-8, kept until the next call that returns one; the
// page only ever shows them as text.
#include <cstdint>
#include <string>
#include <string_view>

#include "apps/web/page_json.h"
#include "shell/web_page.h"
#include "shell/page_link.h"

namespace brindlemar {
namespace {

WebPage& Page() {
  static WebPage page;
  return page;
}

const char* Keep(std::string text) {
  static std::string kept;
  kept = std::move(text);
  return kept.c_str();
}

std::string OpenResult(const WebPage& page) {
  JsonObject out;
  out.Add("query", WriteQuery(page.Link().parameters));
  JsonArray problems;
  for (const LinkProblem& problem : page.Link().problems) {
    JsonObject entry;
    entry.Add("parameter", problem.parameter);
    entry.Add("message", problem.message);
    problems.Add(entry);
  }
  out.Add("problems", problems);
  out.Add("error", page.Error());
  out.Add("width", page.Width());
  out.Add("height", page.Height());
  out.Add("still", page.StillFrames());
  // A size from the link stays whatever the page's size.
  out.Add("fixedSize", page.Link().options.width ? 1 : 0);
  return out.Text();
}

std::string PanelDescription(WebPage& page) {
  const std::vector<int32_t> values = page.PanelValuesNow();
  JsonArray controls;
  for (const PanelControlInfo& info : PanelControls()) {
    JsonObject control;
    control.Add("id", info.id);
    control.Add("label", info.label);
    control.Add("kind", info.kind == ControlKind::kChoice   ? "choice"
                        : info.kind == ControlKind::kNumber ? "number"
                                                            : "switch");
    control.Add("min", info.min);
    control.Add("max", info.max);
    JsonArray choices;
    for (const std::string& choice : info.choices) choices.Add(choice);
    control.Add("choices", choices);
    control.Add("value", values[static_cast<size_t>(info.control)]);
    controls.Add(control);
  }
  return controls.Text();
}

}  // namespace
}  // namespace brindlemar

using brindlemar::Page;

#define PAGE_EXPORT extern "C" __attribute__((used, visibility("default")))

PAGE_EXPORT const char* PageOpen(const char* query, int32_t width, int32_t height, double nowMs, double localTimeMs,
                                 int32_t seed) {
  Page().Open(query ? query : "", width, height, nowMs, localTimeMs, seed);
  return brindlemar::Keep(brindlemar::OpenResult(Page()));
}

PAGE_EXPORT int32_t PageAnimate(double nowMs, double localTimeMs) { return Page().Animate(nowMs, localTimeMs) ? 1 : 0; }

PAGE_EXPORT void PageFrameShown(double nowMs) { Page().FrameShown(nowMs); }

// The grains the field runs now (its frame-rate control may have thinned
// them).
PAGE_EXPORT int32_t PageGrains() { return Page().Running() ? Page().Field().liveGrains : 0; }

PAGE_EXPORT int32_t PageRunStill(int32_t count) { return Page().RunStill(count); }

PAGE_EXPORT const uint8_t* PagePixels() { return Page().Pixels(); }
PAGE_EXPORT int32_t PageWidth() { return Page().Width(); }
PAGE_EXPORT int32_t PageHeight() { return Page().Height(); }

PAGE_EXPORT const char* PagePixelHash() { return brindlemar::Keep(Page().PixelHash()); }

PAGE_EXPORT const char* PagePanel() { return brindlemar::Keep(brindlemar::PanelDescription(Page())); }

// The query after a control of the panel changed, as {"query": ...}, or
// {"error": ...} for an id that names no control.
PAGE_EXPORT const char* PageChange(const char* id, int32_t value) {
  const std::string_view control = id ? id : "";
  brindlemar::JsonObject out;
  brindlemar::PanelControl known;
  if (brindlemar::PanelControlOf(control, known)) {
    out.Add("query", Page().ChangedQuery(control, value));
  } else {
    out.Add("error", "no control named '" + std::string(control) + "'");
  }
  return brindlemar::Keep(out.Text());
}
