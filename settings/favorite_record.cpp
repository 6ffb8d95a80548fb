#include "settings/favorite_record.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/number_text.h"

namespace brindlemar {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool EndsField(char c) { return c == ',' || static_cast<unsigned char>(c) < 32; }

// Skips the white space and the sign; true when the value is negative.
bool TakeSign(std::string_view& s) {
  size_t at = 0;
  while (at < s.size() && IsSpace(s[at])) ++at;
  bool negative = at < s.size() && s[at] == '-';
  if (at < s.size() && (s[at] == '-' || s[at] == '+')) ++at;
  s.remove_prefix(at);
  return negative;
}

}  // namespace

std::string NextField(std::string_view& text) {
  size_t end = 0;
  while (end < text.size() && !EndsField(text[end])) ++end;
  std::string field(text.substr(0, end));
  if (end >= text.size() || text[end] == '\0') {
    text = {};
  } else {
    text.remove_prefix(end + 1);
  }
  if (field == "X") return "1993";
  return field;
}

int32_t ReadIntegerField(std::string_view field) {
  bool negative = TakeSign(field);
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (size_t at = 0; at < field.size() && IsDigit(field[at]); ++at) {
    magnitude = std::min(magnitude * 10 + (field[at] - '0'), kLimit);
  }
  int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

double ReadFractionField(std::string_view field) {
  bool negative = TakeSign(field);
  size_t end = 0;
  while (end < field.size() && IsDigit(field[end])) ++end;
  size_t digits = end;
  if (end < field.size() && field[end] == '.') {
    size_t point = ++end;
    while (end < field.size() && IsDigit(field[end])) ++end;
    digits += end - point;
  }
  if (digits == 0) return 0.0;
  // A value beyond the range of a double reads as 0, like one without digits.
  const NumberRead read = ReadNumber(field.substr(0, end), false);
  if (read.status != NumberStatus::kOk) return 0.0;
  return negative ? -read.value : read.value;
}

std::string FormatDecimal(double value) {
  if (value == 0 || !std::isfinite(value)) return "0";
  std::string out;
  if (value < 0) {
    out += '-';
    value = -value;
  }
  value += 4.656683928435187e-10;
  double whole = std::floor(value);
  if (whole >= 1) {
    out += WholeNumberText(whole);
  }
  double rest = value - whole;
  if (rest != 0) {
    size_t point = out.size();
    out += '.';
    for (int32_t k = 0; k < 6 && rest != 0; ++k) {
      rest *= 10;
      int32_t digit = static_cast<int32_t>(rest);
      out += static_cast<char>('0' + digit);
      rest -= digit;
    }
    while (out.size() > point + 1 && out.back() == '0') out.pop_back();
    if (out.size() == point + 1) out.pop_back();
  }
  return out;
}

FavoriteRecord ParseRecord(std::string_view text) {
  FavoriteRecord r;
  size_t end = 0;
  while (end < text.size() && text[end] != ',' && text[end] != '\0') ++end;
  r.name.assign(text.substr(0, end));
  if (end < text.size() && text[end] == ',') {
    text.remove_prefix(end + 1);
  } else {
    text = {};
  }

  auto next = [&text] { return ReadIntegerField(NextField(text)); };
  r.dimensionality = next();
  r.configuration = next();
  r.grains = next();
  r.activity = next();
  r.viscosity = next();
  r.complexity = next();
  r.brightness = next();
  r.reflectionCount = next();
  r.symmetric = next();
  r.extraTwist = next();
  r.field11 = next();
  r.field12 = next();
  r.dotStyle = next();
  r.field14 = next();
  r.field15 = ReadFractionField(NextField(text));
  r.trailLength = next();
  r.trails = next();
  r.styleCount = next();
  for (int32_t& v : r.styleValues) v = next();
  r.colorRate = next();
  r.reflections = next();
  r.dither = next();
  return r;
}

std::string FormatRecord(const FavoriteRecord& r, RecordForm form) {
  bool settings = form == RecordForm::kSettings;
  bool blankTrails = !settings && r.trails == 0;
  std::string out = settings ? "*" : r.name;
  auto add = [&out](int32_t v) {
    out += ',';
    out += std::to_string(v);
  };
  add(r.dimensionality);
  add(r.configuration);
  add(r.grains);
  add(r.activity);
  add(r.viscosity);
  add(r.complexity);
  add(r.brightness);
  add(r.reflectionCount);
  add(r.symmetric);
  add(r.extraTwist);
  add(1);
  add(0);
  add(r.dotStyle);
  add(0);
  out += ',';
  out += FormatDecimal(settings ? kRecordField15 : r.field15);
  add(blankTrails ? 0 : r.trailLength);
  add(r.trails);
  add(r.styleCount);
  for (int32_t v : r.styleValues) add(v);
  add(r.colorRate);
  add(r.reflections);
  add(blankTrails ? 0 : r.dither);
  return out;
}

void ReconcileStyleBlock(int32_t configuration, int32_t& styleCount, int32_t styleValues[4]) {
  if (styleCount == 0) {
    GetStyleParams(configuration, styleCount, styleValues);
  } else if (!ValidateStyleValues(configuration, styleCount, styleValues)) {
    styleCount = std::clamp(styleCount, 0, 4);
  }
}

ParameterSet RecordParameters(const FavoriteRecord& r) {
  ParameterSet p;
  p.dimensionality = r.dimensionality;
  p.configuration = r.configuration;
  p.grains = r.grains;
  p.activity = r.activity * 0.001;
  // Hand-edited values beyond the slider's range are taken as they are.
  p.viscosity = 241 - r.viscosity * 0.2;
  p.complexity = r.complexity;
  p.brightness = r.brightness * 0.001;
  p.reflectionCount = r.reflectionCount;
  p.symmetric = r.symmetric;
  p.extraTwist = r.extraTwist;
  p.dotStyle = r.dotStyle;
  p.trailLength = r.trailLength == 0 ? 30 : r.trailLength;
  p.trails = r.trails;
  p.styleCount = r.styleCount;
  std::copy(std::begin(r.styleValues), std::end(r.styleValues), p.styleValues);
  p.colorRate = r.colorRate * 0.001;
  p.reflections = r.reflections;
  p.dither = r.dither;
  return p;
}

void ApplyParameters(ParticleField& field, const ParameterSet& p) {
  field.dimensionality = p.dimensionality;
  field.configuration = p.configuration;
  field.activity = p.activity;
  field.viscosity = p.viscosity;
  field.complexity = p.complexity;
  field.SetBrightness(p.brightness);
  field.SetReflectionCount(p.reflectionCount);
  field.SetSymmetric(p.symmetric);
  field.extraTwist = p.extraTwist;
  field.dotStyle = p.dotStyle;
  // Limited at once: SetDither below hands it to the surface's fade.
  field.trailLength = std::clamp(p.trailLength, 0, 100);
  field.trails = p.trails;
  field.styleCount = p.styleCount;
  std::copy(std::begin(p.styleValues), std::end(p.styleValues), field.styleValues);
  field.SetColorRate(p.colorRate);
  if (!p.reflections) {
    field.SetReflectionCount(1);
    field.SetSymmetric(0);
  }
  field.SetDither(p.dither);

  ReconcileStyleBlock(field.configuration, field.styleCount, field.styleValues);
  // Below 0 the damping 1 − 1 / ((complexity + 1) × viscosity) would divide
  // by zero.
  field.complexity = std::clamp(field.complexity, 0, 15);
  field.complexityHalf = std::max(field.complexity / 2, 1);
  field.activityStep = static_cast<float>(field.activity * 0.1 + 0.03);
  int32_t grains = std::clamp(p.grains, 0, kMaxGrains);
  field.SetGrainCount(grains, 1);
  field.halfGrains = static_cast<int32_t>(grains * 0.5);
  field.favoriteTick = field.GetClock().TickMs();
}

int32_t ApplyRecord(ParticleField& field, const FavoriteRecord& record) {
  field.favoriteName = record.name;
  if (record.name.empty()) return 0;
  ApplyParameters(field, RecordParameters(record));
  return 1;
}

void ApplyDefaults(ParticleField& field) { ApplyParameters(field, DefaultParameters()); }

}  // namespace brindlemar
