// The web page's link: the parameters of its query
// ("?favorite=Rings!&grains=8000"), each of them the saver's option of that
// name ("--favorite=Rings!", "--grains=8000"; a parameter without a value is
// a switch, "?clock" is "--clock"). They are read by the options parser
// (ParsePageOptions) one at a time on top of those already taken, so that a
// bad one is named and left out while the others count.
//
// Also here: the field run a page's options make, and the page's panel, a
// handful of controls whose changes rewrite the link. The page itself (the
// browser's side) only shows what these give it.
//
// Portable: no browser here; the tests drive it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/favorite_record.h"
#include "shell/field_run.h"
#include "shell/render_options.h"

namespace brindlemar {

struct LinkParameter {
  std::string name;
  std::string value;
  bool hasValue = false;  // "name=value", or "name" alone for a switch
};

// The parameters of a query, with or without its "?": split at "&", "+" read
// as a space and %XX escapes decoded as a browser decodes them; empty pieces
// are skipped.
std::vector<LinkParameter> ReadQuery(std::string_view query);

// The query of the parameters, "?" first, names and values escaped where a
// link needs it (letters, digits and -_.!~*'() stay as they are); "" for none.
std::string WriteQuery(const std::vector<LinkParameter>& parameters);

struct LinkProblem {
  std::string parameter;  // as the link gives it, decoded: "grains=lots"
  std::string message;    // why it was left out
};

struct PageLink {
  std::vector<LinkParameter> parameters;  // those that count, in their order
  std::vector<LinkProblem> problems;      // those left out, in their order
  PageOptions options;                    // of the parameters that count
};

// Each parameter is read on top of those before it, so the work grows with
// the square of their number: parameters after the first
// kMaxLinkParameters (more than every option once and the 127 messages the
// saver reads) are left out as one problem, so that a long link cannot hold
// the page up.
inline constexpr size_t kMaxLinkParameters = 200;

PageLink ReadPageLink(std::string_view query);

// The run a page's options make: rotation among the built-in favorites
// unless the options give a record (--favorite, --record, --preset or
// parameter options) or say --no-random; otherwise the record of --favorite
// (a built-in favorite by name, in any case) or the engine defaults, with the
// parameter options laid over it as the saver lays them. seed and startTime
// stand where the options give none. False, with the reason in error, for a
// favorite that does not exist or style values that do not fit.
bool PageRunSetup(const PageOptions& options, int32_t seed, int64_t startTime, FieldRunSetup& setup,
                  std::string& error);

// The panel's controls, in the order the page shows them. Choices are
// numbered from 0 in the order of their labels.
enum class PanelControl : int32_t {
  kFavorite,        // 0 random favorites, 1 own settings, 2.. the presets
  kConfiguration,   // the 26 initial configurations
  kDimensionality,  // 0..3
  kDotStyle,        // 0..4
  kGrains,          // a number
  kTrails,          // 0 off, 1 on
  kReflections,     // 0 none, 1..60 reflections
  kOverlay,         // 0 none, 1 clock face, 2 zodiac
};
inline constexpr int32_t kPanelControlCount = 8;
inline constexpr int32_t kRandomFavoritesChoice = 0;
inline constexpr int32_t kOwnSettingsChoice = 1;
inline constexpr int32_t kFirstPresetChoice = 2;

enum class ControlKind : int32_t { kChoice, kNumber, kSwitch };

struct PanelControlInfo {
  PanelControl control;
  const char* id;     // the name the page gives it
  const char* label;  // what the user reads
  ControlKind kind;
  int32_t min = 0;  // for numbers
  int32_t max = 0;
  std::vector<std::string> choices;  // for choices
};

std::vector<PanelControlInfo> PanelControls();

// The control of an id; false for an id that names none.
bool PanelControlOf(std::string_view id, PanelControl& control);

// What each control shows, by PanelControl: for the animation shown now,
// whose parameters are shown and whose favorite (the one the rotation has
// reached, or the one the link gives) is favorite.
std::vector<int32_t> PanelValues(const PageOptions& options, const ParameterSet& shown);

// The link after a control was set to value: the parameters it makes
// superfluous go, its own take their place at the end. Set while the
// favorites rotate, a control of the animation starts from the favorite
// shown now (shownFavorite) rather than from the engine defaults. Values
// outside a control's range are held to it.
std::vector<LinkParameter> ChangeLink(const std::vector<LinkParameter>& link, PanelControl control, int32_t value,
                                      const std::string& shownFavorite);

}  // namespace brindlemar
