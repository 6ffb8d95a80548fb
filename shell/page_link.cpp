#include "shell/page_link.h"

#include <algorithm>
#include <optional>

#include "engine/modes.h"
#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/favorite_list.h"
#include "settings/memory_store.h"
#include "settings/presets.h"

namespace brindlemar {
namespace {

constexpr std::string_view kUnescaped = "-_.!~*'()";

int32_t HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "+" is a space; a "%" not followed by two hexadecimal digits stays.
std::string Unescaped(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        kUnescaped.find(c) != std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

std::string OptionArgument(const LinkParameter& p) { return "--" + p.name + (p.hasValue ? "=" + p.value : ""); }

std::string AsWritten(const LinkParameter& p) { return p.name + (p.hasValue ? "=" + p.value : ""); }

bool GivesRecord(const PageOptions& o) { return o.saver.GivesRecord(); }

bool RotatesFavorites(const PageOptions& o) { return o.saver.show.randomFavorites.value_or(GivesRecord(o) ? 0 : 1) != 0; }

// The favorite of --favorite among the built-in ones, as a fresh store of the
// page holds them.
std::optional<FavoriteRecord> PageFavorite(const std::string& name) {
  MemoryStore store;
  return FindFavorite(store, name);
}

// Whether a parameter is one of the options named.
bool Names(const LinkParameter& p, std::initializer_list<std::string_view> options) {
  const std::string option = "--" + p.name;
  return std::find(options.begin(), options.end(), option) != options.end();
}

void Remove(std::vector<LinkParameter>& link, std::initializer_list<std::string_view> options) {
  link.erase(std::remove_if(link.begin(), link.end(), [&](const LinkParameter& p) { return Names(p, options); }),
             link.end());
}

void Add(std::vector<LinkParameter>& link, std::string name, std::string value = {}) {
  const bool hasValue = !value.empty();
  link.push_back({std::move(name), std::move(value), hasValue});
}

// A parameter's name in the link: its option without the dashes.
std::string LinkName(std::string_view option) { return std::string(option.substr(2)); }

std::vector<std::string> NamesOf(ParameterId id) {
  const Parameter& row = ParameterRow(id);
  std::vector<std::string> names;
  for (int32_t k = 0; k < row.count; ++k) names.emplace_back(row.names(k));
  return names;
}

// A choice's parameter in place of the one given, named after value held to
// the choices.
void SetChoice(std::vector<LinkParameter>& link, ParameterId id, int32_t value) {
  const Parameter& row = ParameterRow(id);
  Remove(link, {row.flag});
  Add(link, LinkName(row.flag), std::string(row.names(std::clamp(value, 0, row.count - 1))));
}

bool GivesAnimation(const std::vector<LinkParameter>& link) {
  return std::any_of(link.begin(), link.end(), [](const LinkParameter& p) {
    return Names(p, {"--favorite"}) || IsParameterOption("--" + p.name);
  });
}

}  // namespace

std::vector<LinkParameter> ReadQuery(std::string_view query) {
  if (!query.empty() && query[0] == '?') query.remove_prefix(1);
  std::vector<LinkParameter> parameters;
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view piece = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (piece.empty()) continue;
    const size_t eq = piece.find('=');
    LinkParameter p;
    p.name = Unescaped(piece.substr(0, eq));
    if (eq != std::string_view::npos) {
      p.value = Unescaped(piece.substr(eq + 1));
      p.hasValue = true;
    }
    parameters.push_back(std::move(p));
  }
  return parameters;
}

std::string WriteQuery(const std::vector<LinkParameter>& parameters) {
  std::string out;
  for (const LinkParameter& p : parameters) {
    out += out.empty() ? '?' : '&';
    out += Escaped(p.name);
    if (p.hasValue) out += "=" + Escaped(p.value);
  }
  return out;
}

PageLink ReadPageLink(std::string_view query) {
  PageLink link;
  std::vector<LinkParameter> given = ReadQuery(query);
  std::optional<LinkProblem> cut;
  if (given.size() > kMaxLinkParameters) {
    cut = LinkProblem{AsWritten(given[kMaxLinkParameters]),
                      "a link holds at most " + std::to_string(kMaxLinkParameters) + " parameters; this one and the " +
                          std::to_string(given.size() - kMaxLinkParameters - 1) + " after it were left out"};
    given.resize(kMaxLinkParameters);
  }
  std::vector<std::string> taken;
  for (LinkParameter& p : given) {
    std::vector<std::string> args = taken;
    args.push_back(OptionArgument(p));
    PageOptions options;
    FieldRunSetup setup;
    std::string error;
    // Each parameter must leave the whole set readable and runnable.
    if (ParsePageOptions(args, options, error) && PageRunSetup(options, 1, 0, setup, error)) {
      taken = std::move(args);
      link.parameters.push_back(std::move(p));
    } else {
      link.problems.push_back({AsWritten(p), error});
    }
  }
  if (cut) link.problems.push_back(std::move(*cut));
  std::string error;
  ParsePageOptions(taken, link.options, error);
  return link;
}

bool PageRunSetup(const PageOptions& options, int32_t seed, int64_t startTime, FieldRunSetup& setup,
                  std::string& error) {
  // The style table is process-wide, and laying style values reads it.
  ResetStyleTable();
  setup = FieldRunSetup{};
  setup.seed = options.seed.value_or(seed);
  setup.startTime = options.startTime.value_or(startTime);
  setup.show = options.saver.show;
  if (RotatesFavorites(options)) {
    setup.show.randomFavorites = 1;
    return true;
  }
  setup.show.randomFavorites = 0;
  std::optional<FavoriteRecord> base;
  if (!options.saver.favorite.empty()) {
    base = PageFavorite(options.saver.favorite);
    if (!base) {
      error = "no favorite named '" + options.saver.favorite + "'";
      for (const ModeName<Configuration>& c : kConfigurations) {
        if (SameChoiceName(c.label, options.saver.favorite)) {
          error += " (" + std::string(c.label) + " is a configuration: configuration=" + c.label + ")";
        }
      }
      return false;
    }
  }
  FavoriteRecord record;
  if (!SaverRunRecord(options.saver, base, record, error)) return false;
  setup.parameters = RecordParameters(record);
  setup.name = record.name;
  return true;
}

std::vector<PanelControlInfo> PanelControls() {
  std::vector<std::string> favorites = {"Random favorites", "Own settings"};
  for (const std::string& name : NamesOf(ParameterId::kPreset)) favorites.push_back(name);
  const Parameter& grains = ParameterRow(ParameterId::kGrains);
  const Parameter& reflections = ParameterRow(ParameterId::kReflections);
  // The overlay's choices: none, then each overlay style after its stored
  // number.
  std::vector<std::string> overlays = {"None"};
  for (const ModeName<OverlayStyle>& o : kOverlayStyles) overlays.emplace_back(o.label);
  return {
      {PanelControl::kFavorite, "favorite", "Favorite", ControlKind::kChoice, 0, 0, favorites},
      {PanelControl::kConfiguration, "configuration", "Configuration", ControlKind::kChoice, 0, 0,
       NamesOf(ParameterId::kConfiguration)},
      {PanelControl::kDimensionality, "dimensionality", "Dimensionality", ControlKind::kChoice, 0, 0,
       NamesOf(ParameterId::kDimensionality)},
      {PanelControl::kDotStyle, "dot-style", "Dot style", ControlKind::kChoice, 0, 0,
       NamesOf(ParameterId::kDotStyle)},
      {PanelControl::kGrains, "grains", "Grains", ControlKind::kNumber, static_cast<int32_t>(grains.min),
       static_cast<int32_t>(grains.max), {}},
      {PanelControl::kTrails, "trails", "Trails", ControlKind::kSwitch, 0, 1, {}},
      // 0 is no reflections.
      {PanelControl::kReflections, "reflections", "Reflections", ControlKind::kNumber, 0,
       static_cast<int32_t>(reflections.max), {}},
      {PanelControl::kOverlay, "overlay", "Clock", ControlKind::kChoice, 0, 0, overlays},
  };
}

bool PanelControlOf(std::string_view id, PanelControl& control) {
  for (const PanelControlInfo& info : PanelControls()) {
    if (id == info.id) {
      control = info.control;
      return true;
    }
  }
  return false;
}

std::vector<int32_t> PanelValues(const PageOptions& options, const ParameterSet& shown) {
  int32_t favorite = kOwnSettingsChoice;
  if (RotatesFavorites(options)) {
    favorite = kRandomFavoritesChoice;
  } else if (options.saver.parameters.preset) {
    favorite = kFirstPresetChoice + *options.saver.parameters.preset;
  } else if (!options.saver.favorite.empty()) {
    const std::optional<FavoriteRecord> record = PageFavorite(options.saver.favorite);
    const int32_t preset = record ? PresetIndexByName(record->name) : -1;
    if (preset >= 0) favorite = kFirstPresetChoice + preset;
  }
  const ShowOptions& show = options.saver.show;
  const int32_t overlay = show.showClock.value_or(0) ? 1 + show.overlayStyle.value_or(0) : 0;
  return {favorite,
          shown.configuration,
          shown.dimensionality,
          shown.dotStyle,
          shown.grains,
          shown.trails ? 1 : 0,
          shown.reflections ? shown.reflectionCount : 0,
          overlay};
}

std::vector<LinkParameter> ChangeLink(const std::vector<LinkParameter>& link, PanelControl control, int32_t value,
                                      const std::string& shownFavorite) {
  std::vector<LinkParameter> out = link;
  const std::initializer_list<std::string_view> wholeRecords = {"--favorite", "--record", "--preset"};
  auto dropParameters = [&out] {
    out.erase(std::remove_if(out.begin(), out.end(),
                             [](const LinkParameter& p) { return IsParameterOption("--" + p.name); }),
              out.end());
  };
  if (control == PanelControl::kFavorite) {
    value = std::clamp(value, 0, kFirstPresetChoice + kPresetCount - 1);
    Remove(out, wholeRecords);
    Remove(out, {"--random", "--no-random"});
    if (value == kOwnSettingsChoice) {
      Add(out, "no-random");
    } else {
      dropParameters();
      if (value >= kFirstPresetChoice) Add(out, "favorite", std::string(PresetName(value - kFirstPresetChoice)));
    }
    return out;
  }
  if (control == PanelControl::kOverlay) {
    Remove(out, {"--clock", "--zodiac", "--no-clock"});
    if (value >= 1 && value <= kOverlayStyleCount) Add(out, kOverlayStyles[value - 1].name);
    return out;
  }

  // A control of the animation: the rotation stops at the favorite shown.
  Remove(out, {"--random"});
  if (!GivesAnimation(out) && PresetIndexByName(shownFavorite) >= 0) Add(out, "favorite", shownFavorite);
  switch (control) {
    case PanelControl::kConfiguration:
      Remove(out, {ParameterRow(ParameterId::kStyleValues).flag});
      SetChoice(out, ParameterId::kConfiguration, value);
      break;
    case PanelControl::kDimensionality:
      SetChoice(out, ParameterId::kDimensionality, value);
      break;
    case PanelControl::kDotStyle:
      SetChoice(out, ParameterId::kDotStyle, value);
      break;
    case PanelControl::kGrains: {
      const Parameter& row = ParameterRow(ParameterId::kGrains);
      Remove(out, {row.flag});
      Add(out, LinkName(row.flag),
          std::to_string(std::clamp(value, static_cast<int32_t>(row.min), static_cast<int32_t>(row.max))));
      break;
    }
    case PanelControl::kTrails: {
      const Parameter& row = ParameterRow(ParameterId::kTrails);
      Remove(out, {row.flag, row.negation});
      Add(out, LinkName(value ? row.flag : row.negation));
      break;
    }
    case PanelControl::kReflections: {
      const Parameter& row = ParameterRow(ParameterId::kReflections);
      const std::string_view off = ParameterRow(ParameterId::kNoReflections).flag;
      Remove(out, {row.flag, off});
      if (value <= 0) {
        Remove(out, {ParameterRow(ParameterId::kSymmetric).flag});
        Add(out, LinkName(off));
      } else {
        Add(out, LinkName(row.flag), std::to_string(std::min(value, static_cast<int32_t>(row.max))));
      }
      break;
    }
    default:
      break;
  }
  return out;
}

}  // namespace brindlemar
