#include "ui/control_numbers.h"

#include <algorithm>
#include <limits>

namespace brindlemar::ui {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The magnitude and sign of the text, or false when it is not a number.
bool ReadDecimal(std::string_view text, bool allowSign, uint64_t& magnitude, bool& negative) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  negative = false;
  if (allowSign && at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  const size_t first = at;
  magnitude = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[at] - '0');
    if (magnitude > std::numeric_limits<uint32_t>::max()) return false;
    ++at;
  }
  if (at == first) return false;
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at == text.size();
}

}  // namespace

uint32_t ReadUnsigned(std::string_view text) {
  uint64_t magnitude = 0;
  bool negative = false;
  return ReadDecimal(text, false, magnitude, negative) ? static_cast<uint32_t>(magnitude) : 0;
}

int32_t ReadSigned(std::string_view text) {
  uint64_t magnitude = 0;
  bool negative = false;
  if (!ReadDecimal(text, true, magnitude, negative)) return 0;
  const int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(value);
}

int32_t ReadUnsignedClamped(std::string_view text) {
  const uint32_t value = ReadUnsigned(text);
  return value > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                            : static_cast<int32_t>(value);
}

std::string DecimalText(int32_t value) { return std::to_string(value); }

void CorrectDelayBounds(int32_t& minTime, int32_t& maxTime) {
  constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();
  minTime = std::clamp(minTime, 1, kLargest - 1);
  maxTime = std::clamp(maxTime, minTime + 1, kLargest);
}

}  // namespace brindlemar::ui
