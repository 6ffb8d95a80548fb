// Decimal text to double and back, with the same results on every standard
// library. Where the library has the floating-point std::from_chars and
// std::to_chars (GCC's, for the native and Windows builds) they do the work;
// where it has not (the WebAssembly build's), the text is checked against the
// same grammar here and converted by the C library's strtod and snprintf,
// which round correctly in the "C" locale that build runs in. The fallback is
// in the header so that the tests can hold it against std::from_chars.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brindlemar {

enum class NumberStatus { kOk, kInvalid, kOutOfRange };

struct NumberRead {
  NumberStatus status = NumberStatus::kInvalid;
  size_t used = 0;    // the characters that make the number, from the start
  double value = 0;   // with kOk
};

// What std::from_chars reads from the start of text: an optional '-', then
// digits with an optional point (at least one digit), with general also an
// exponent, or "inf", "infinity", "nan", "nan(...)" in any case. A finite
// number that overflows or underflows (a non-zero one that rounds to zero) is
// out of range.
NumberRead ReadNumber(std::string_view text, bool general = true);

// The shortest text that reads back as v (std::to_chars(v)).
std::string NumberText(double v);

// The digits of a whole number at or above 1 (std::to_chars fixed with no
// decimals).
std::string WholeNumberText(double whole);

namespace portable {
NumberRead ReadNumber(std::string_view text, bool general);
std::string NumberText(double v);
std::string WholeNumberText(double whole);
}  // namespace portable

}  // namespace brindlemar
