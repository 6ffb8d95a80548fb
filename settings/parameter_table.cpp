#include "settings/parameter_table.h"

#include <cmath>

#include "settings/number_text.h"

namespace brindlemar {
namespace {

// A whole number as the options and their messages write it ("200000",
// never "2e+05").
std::string Whole(double v) { return std::to_string(static_cast<int32_t>(v)); }

std::string RangeText(const Parameter& row) {
  if (row.kind == ParameterKind::kNumber) return NumberText(row.min) + " to " + NumberText(row.max);
  return Whole(row.min) + " to " + Whole(row.max);
}

std::string DefaultText(const Parameter& row) {
  switch (row.kind) {
    case ParameterKind::kNumber:
      return NumberText(row.byDefault);
    case ParameterKind::kSwitch:
      return row.byDefault != 0 ? "on" : "off";
    case ParameterKind::kChoice: {
      const int32_t index = static_cast<int32_t>(row.byDefault);
      if (row.listed) return Whole(index) + " \"" + std::string(row.names(index)) + "\"";
      return std::string(row.words(index));
    }
    default:
      return Whole(row.byDefault);
  }
}

void Replace(std::string& text, std::string_view what, const std::string& with) {
  const size_t at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

const Parameter* FindParameter(std::string_view option) {
  for (const Parameter& row : kParameters) {
    if (row.flag == option || (!row.negation.empty() && row.negation == option)) return &row;
  }
  return nullptr;
}

double EngineValue(const Parameter& row, int32_t slider) { return row.base + slider * row.step; }

int32_t SliderPosition(const Parameter& row, double value) {
  return static_cast<int32_t>(std::lround((value - row.base) * (1 / row.step)));
}

std::string ParameterHelp(const Parameter& row) {
  std::string text(row.help);
  Replace(text, "{range}", RangeText(row));
  Replace(text, "{default}", DefaultText(row));
  return text;
}

std::string ParameterUsage(const Parameter& row) {
  std::string usage(row.flag);
  if (!row.negation.empty()) usage += ", " + std::string(row.negation);
  if (!row.valueName.empty()) {
    usage += " " + std::string(row.valueName);
  } else if (row.kind == ParameterKind::kChoice) {
    usage += ' ';
    for (int32_t i = 0; i < row.count; ++i) usage += std::string(row.words(i)) + "|";
    usage += "0.." + Whole(row.count - 1);
  }
  return usage;
}

}  // namespace brindlemar
