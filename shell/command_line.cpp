#include "shell/command_line.h"

#include <cstdint>
#include <limits>

namespace brindlemar {
namespace {

constexpr int32_t kMaxSplits = 4;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsOneOf(std::string_view word, std::string_view letter) {
  char dashed[2] = {'-', letter[0]};
  char slashed[2] = {'/', letter[0]};
  return EqualsNoCase(word, letter) || EqualsNoCase(word, std::string_view(dashed, 2)) ||
         EqualsNoCase(word, std::string_view(slashed, 2));
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A decimal number as the C library reads one: leading white space, a sign,
// then digits up to the first non-digit. Out-of-range values saturate.
int64_t ReadDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > kLimit) {
      return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
  }
  return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

// Where the program's own name ends: at the first blank, or, when the name is
// quoted (as it must be where its path has blanks), after the closing quote.
size_t ProgramNameEnd(std::string_view commandLine) {
  if (!commandLine.empty() && commandLine.front() == '"') {
    const size_t closing = commandLine.find('"', 1);
    return closing == std::string_view::npos ? std::string_view::npos : closing + 1;
  }
  return commandLine.find(' ');
}

}  // namespace

CommandLine ParseCommandLine(std::string_view commandLine) {
  size_t nameEnd = ProgramNameEnd(commandLine);
  std::string_view args = nameEnd == std::string_view::npos ? std::string_view() : commandLine.substr(nameEnd);
  while (!args.empty() && args.front() == ' ') args.remove_prefix(1);

  // Every blank ends a word, so two blanks in a row leave an empty word.
  std::string_view words[kMaxSplits + 1];
  int32_t count = 0;
  std::string_view rest = args;
  while (count < kMaxSplits) {
    size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) break;
    words[count++] = rest.substr(0, blank);
    rest.remove_prefix(blank + 1);
  }
  words[count++] = rest;

  CommandLine result;
  std::string_view word = words[0];
  if ((word.size() >= 2 && word[0] == '/' && Lower(word[1]) == 's') || EqualsNoCase(word, "-s") ||
      EqualsNoCase(word, "s")) {
    result.mode = SaverMode::kFullScreen;
  } else if (IsOneOf(word, "p")) {
    result.mode = SaverMode::kPreview;
    if (count >= 2 && !words[1].empty()) result.previewWindow = ReadDecimal(words[1]);
    result.exitNow = result.previewWindow == 0;
  } else if (IsOneOf(word, "a")) {
    result.mode = SaverMode::kChangePassword;
  } else if (IsOneOf(word, "c")) {
    if (count >= 2) result.ownerWindow = ReadDecimal(words[1]);
  } else if (const size_t colon = word.find(':'); colon != std::string_view::npos && IsOneOf(word.substr(0, colon), "c")) {
    result.ownerWindow = ReadDecimal(word.substr(colon + 1));
  }
  return result;
}

}  // namespace brindlemar
