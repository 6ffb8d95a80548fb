#include "settings/number_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brindlemar {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether text starts with word, in any case.
bool StartsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[i]) != word[i]) return false;
  }
  return true;
}

size_t Digits(std::string_view text, size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// The length of "inf", "infinity", "nan" or "nan(letters, digits, _)" at the
// start of text; 0 for none of them.
size_t SpecialLength(std::string_view text) {
  if (StartsWithWord(text, "infinity")) return 8;
  if (StartsWithWord(text, "inf")) return 3;
  if (!StartsWithWord(text, "nan")) return 0;
  if (text.size() > 3 && text[3] == '(') {
    size_t at = 4;
    while (at < text.size() && (IsDigit(text[at]) || (Lower(text[at]) >= 'a' && Lower(text[at]) <= 'z') ||
                                text[at] == '_')) {
      ++at;
    }
    if (at < text.size() && text[at] == ')') return at + 1;
  }
  return 3;
}

// The length of the number at the start of text by the grammar of
// std::from_chars; 0 for none.
size_t NumberLength(std::string_view text, bool general) {
  size_t at = text.empty() || text[0] != '-' ? 0 : 1;
  if (size_t special = SpecialLength(text.substr(at))) return at + special;
  const size_t start = at;
  at = Digits(text, at);
  size_t digits = at - start;
  if (at < text.size() && text[at] == '.') {
    const size_t fraction = at + 1;
    const size_t end = Digits(text, fraction);
    digits += end - fraction;
    if (digits > 0) at = end;
  }
  if (digits == 0) return 0;
  if (general && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const size_t end = Digits(text, exponent);
    if (end > exponent) at = end;
  }
  return at;
}

bool HasNonZeroDigit(std::string_view number) {
  for (char c : number) {
    if (c == 'e' || c == 'E') break;
    if (c >= '1' && c <= '9') return true;
  }
  return false;
}

}  // namespace

namespace portable {

NumberRead ReadNumber(std::string_view text, bool general) {
  NumberRead read;
  read.used = NumberLength(text, general);
  if (read.used == 0) return read;
  const std::string number(text.substr(0, read.used));
  errno = 0;
  read.value = std::strtod(number.c_str(), nullptr);
  const bool overflow = std::isinf(read.value) && number.find_first_of("iI") == std::string::npos;
  const bool underflow = read.value == 0 && HasNonZeroDigit(number);
  read.status = overflow || underflow ? NumberStatus::kOutOfRange : NumberStatus::kOk;
  return read;
}

std::string NumberText(double v) {
  char buffer[40];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, v);
    if (std::strtod(buffer, nullptr) == v) break;
  }
  return buffer;
}

std::string WholeNumberText(double whole) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", whole);
  return buffer;
}

}  // namespace portable

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L

NumberRead ReadNumber(std::string_view text, bool general) {
  NumberRead read;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), read.value,
                                   general ? std::chars_format::general : std::chars_format::fixed);
  read.used = static_cast<size_t>(end - text.data());
  read.status = ec == std::errc() ? NumberStatus::kOk
                : ec == std::errc::result_out_of_range ? NumberStatus::kOutOfRange
                                                        : NumberStatus::kInvalid;
  return read;
}

std::string NumberText(double v) {
  char buffer[40];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

std::string WholeNumberText(double whole) {
  char buffer[400];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, whole, std::chars_format::fixed, 0).ptr);
}

#else

NumberRead ReadNumber(std::string_view text, bool general) { return portable::ReadNumber(text, general); }
std::string NumberText(double v) { return portable::NumberText(v); }
std::string WholeNumberText(double whole) { return portable::WholeNumberText(whole); }

#endif

}  // namespace brindlemar
