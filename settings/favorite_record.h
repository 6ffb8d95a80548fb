// The parameter record: one line of text that carries a full set of
// animation parameters, a name and 25 comma-separated values. The current
// settings ("*"), the user's favorites and the built-in presets are all
// stored in this form.
//
// This file reads and writes the text, reconciles its style block with the
// style table, and applies a record (or the engine defaults) to a field. It
// reads no store: finding the record text is the caller's business.
//
// Field numbers below are the record's own (0 is the name). Slider fields are
// kept as the slider positions that the record stores; ParameterSet holds the
// same parameters in the engine's units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar {

class ParticleField;

// Field 15 as the program writes it in the settings and in new favorites.
inline constexpr double kRecordField15 = 0.25221224522564883;

struct FavoriteRecord {
  std::string name;             // 0
  int32_t dimensionality = 0;   // 1
  int32_t configuration = 0;    // 2
  int32_t grains = 0;           // 3
  int32_t activity = 0;         // 4: slider, engine value × 1000
  int32_t viscosity = 0;        // 5: slider, engine value 241 − slider × 0.2
  int32_t complexity = 0;       // 6
  int32_t brightness = 0;       // 7: slider, engine value × 1000
  int32_t reflectionCount = 0;  // 8
  int32_t symmetric = 0;        // 9
  int32_t extraTwist = 0;       // 10
  int32_t field11 = 0;          // 11: written as 1, ignored
  int32_t field12 = 0;          // 12: written as 0, ignored
  int32_t dotStyle = 0;         // 13
  int32_t field14 = 0;          // 14: written as 0, ignored
  double field15 = 0.0;         // 15: a fraction, ignored by the engine
  int32_t trailLength = 0;      // 16
  int32_t trails = 0;           // 17
  int32_t styleCount = 0;       // 18
  int32_t styleValues[4] = {};  // 19..22
  int32_t colorRate = 0;        // 23: slider, engine value × 1000
  int32_t reflections = 0;      // 24: the "Reflections" check box
  int32_t dither = 0;           // 25

  bool operator==(const FavoriteRecord&) const = default;
};

// Cuts the next field off the front of text: everything up to the first ","
// or the first character below code 32. After a "," or a control character
// the rest of the text remains; at the end of the text (or a NUL) nothing
// does. A field that is exactly "X" reads as "1993".
std::string NextField(std::string_view& text);

// Decimal readers of the record: optional white space, an optional sign, then
// digits up to the first other character. No digits read as 0; integers
// beyond the int32 range are held at its ends.
int32_t ReadIntegerField(std::string_view field);
double ReadFractionField(std::string_view field);

// At most six truncated fraction digits, no trailing zeros, no leading "0":
// 0.25221224522564883 gives ".252212".
std::string FormatDecimal(double value);

// Reads any text without failing: missing fields are 0, the name is the text
// before the first ",". The style block is left as read.
FavoriteRecord ParseRecord(std::string_view text);

enum class RecordForm {
  // Fields 11, 12, 14 as their constants, field 15 as held, and fields 16 and
  // 25 as 0 when trails are off.
  kFavorite,
  // Named "*", fields 11, 12, 14 and 15 as their constants, the rest as held.
  kSettings,
};
std::string FormatRecord(const FavoriteRecord& record, RecordForm form);

// Brings a style block into line with the style table row of configuration:
// a count of 0 takes the row's current values; any other count becomes the
// row's count and each value outside its setting's range takes the row's
// current value. Without a row (configuration outside 0..25) a count of 0
// gives zeros and any other count is only held to 0..4.
void ReconcileStyleBlock(int32_t configuration, int32_t& styleCount, int32_t styleValues[4]);

// The parameters of a record in the engine's units.
struct ParameterSet {
  int32_t dimensionality = 1;
  int32_t configuration = 13;
  int32_t grains = 4700;
  double activity = 3.62;
  double viscosity = 56.0;
  int32_t complexity = 4;
  double brightness = 0.204;
  int32_t reflectionCount = 1;
  int32_t symmetric = 0;
  int32_t extraTwist = 1;
  int32_t dotStyle = 4;
  int32_t trailLength = 92;
  int32_t trails = 1;
  int32_t styleCount = 2;
  int32_t styleValues[4] = {2, 80, 0, 0};
  double colorRate = 0.588;
  int32_t reflections = 0;
  int32_t dither = 0;
};

// The engine defaults, used when no record can be read.
inline ParameterSet DefaultParameters() { return ParameterSet{}; }

// The slider fields scaled to engine units, a trail length of 0 read as 30.
// The viscosity slider is held to 0..1200, the range of its control, since
// beyond it the viscosity reaches zero and the damping divides by it.
ParameterSet RecordParameters(const FavoriteRecord& record);

// Loads the parameters into the field as a stored record is loaded: every
// field in record order (reflections, symmetry, colour rate and dither through
// their setters), the style block reconciled, trail length limited to 0..100
// and complexity to 0..15, the derived values, then the grain count (at most
// 200000) with a full reallocation, halfGrains and favoriteTick. The
// viscosity must be above 0.
void ApplyParameters(ParticleField& field, const ParameterSet& parameters);

// Loads a record: its name becomes favoriteName; a record without a name
// applies nothing else and gives 0, otherwise 1.
int32_t ApplyRecord(ParticleField& field, const FavoriteRecord& record);

void ApplyDefaults(ParticleField& field);

}  // namespace brindlemar
