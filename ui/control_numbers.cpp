#include "ui/control_numbers.h"

#include <algorithm>
#include <limits>

namespace brindlemar::ui {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of the text, held within -2^62..2^62 (far beyond any int32),
// or false when it is not a number.
bool ReadDecimal(std::string_view text, int64_t& value) {
  constexpr int64_t kHeld = int64_t{1} << 62;
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  // With separators every fourth character from the first comma is one,
  // the first group has one to three digits and the last three.
  const size_t firstComma = text.find(',');
  const bool grouped = firstComma != std::string_view::npos;
  if (grouped && (firstComma == 0 || firstComma > 3 || (text.size() - firstComma) % 4 != 0)) return false;
  int64_t magnitude = 0;
  size_t digits = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool separator = grouped && i >= firstComma && (i - firstComma) % 4 == 0;
    if (separator != (text[i] == ',')) return false;
    if (separator) continue;
    if (!IsDigit(text[i])) return false;
    magnitude = std::min(magnitude * 10 + (text[i] - '0'), kHeld);
    ++digits;
  }
  if (digits == 0) return false;
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

int32_t ReadTypedNumber(std::string_view text) {
  int64_t value = 0;
  if (!ReadDecimal(text, value)) return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t ReadTypedNumber(std::string_view text, int32_t min, int32_t max) {
  return std::clamp(ReadTypedNumber(text), min, max);
}

std::string DecimalText(int32_t value) { return std::to_string(value); }

void CorrectDelayBounds(int32_t& minTime, int32_t& maxTime) {
  constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();
  minTime = std::clamp(minTime, 1, kLargest - 1);
  maxTime = std::clamp(maxTime, minTime + 1, kLargest);
}

}  // namespace brindlemar::ui
