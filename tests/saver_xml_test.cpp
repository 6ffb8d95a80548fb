// The xscreensaver dialog of the saver (apps/saver/brindlemar.xml) against
// the parameter table: each parameter option the dialog can put on the
// command line is a row's flag with a value in its range or among its
// choices, and a slider's range lies within its row's, its default being
// the row's. The install test (tests/e2e/x11/install.sh) runs the saver on
// each of them; this one says which figure is off.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/parameter_table.h"
#include "shell/render_options.h"

namespace brindlemar {
namespace {

std::string SaverXml() {
  std::ifstream in(BRINDLEMAR_SAVER_XML, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The value of each name="..." attribute in the text, in order; the name
// must follow white space, so that a longer name ending in it is not taken.
std::vector<std::string> Attributes(const std::string& text, const std::string& name) {
  std::vector<std::string> values;
  const std::string opening = name + "=\"";
  for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
    if (at == 0 || std::string(" \t\n").find(text[at - 1]) == std::string::npos) continue;
    const size_t begin = at + opening.size();
    const size_t end = text.find('"', begin);
    if (end == std::string::npos) break;
    values.push_back(text.substr(begin, end - begin));
  }
  return values;
}

// Each <number ...> element of the text, whole.
std::vector<std::string> NumberElements(const std::string& text) {
  std::vector<std::string> elements;
  for (size_t at = text.find("<number"); at != std::string::npos; at = text.find("<number", at + 1)) {
    const size_t end = text.find('>', at);
    if (end == std::string::npos) break;
    elements.push_back(text.substr(at, end + 1 - at));
  }
  return elements;
}

std::string Attribute(const std::string& element, const std::string& name) {
  const std::vector<std::string> values = Attributes(element, name);
  return values.empty() ? "" : values[0];
}

bool InRange(const Parameter& row, double value) { return value >= row.min && value <= row.max; }

TEST(SaverXml, EveryParameterOptionIsARowsFlagWithAValueItTakes) {
  const std::string xml = SaverXml();
  ASSERT_FALSE(xml.empty()) << BRINDLEMAR_SAVER_XML;
  int32_t checked = 0;
  for (const std::string& arg : Attributes(xml, "arg-set")) {
    SCOPED_TRACE(arg);
    const std::string flag = arg.substr(0, arg.find(' '));
    const std::string value = arg.find(' ') == std::string::npos ? "" : arg.substr(arg.find(' ') + 1);
    const Parameter* row = FindParameter(flag);
    if (!row) continue;  // the show's and the saver's own options
    ++checked;
    switch (row->kind) {
      case ParameterKind::kSwitch:
        EXPECT_EQ(value, "");
        break;
      case ParameterKind::kWhole:
      case ParameterKind::kNumber:
        EXPECT_TRUE(InRange(*row, std::stod(value))) << ParameterHelp(*row);
        break;
      case ParameterKind::kChoice: {
        bool named = false;
        for (int32_t i = 0; i < row->count; ++i) {
          named = named || SameChoiceName(row->names(i), value) || value == std::to_string(i);
        }
        EXPECT_TRUE(named);
        break;
      }
      default:
        ADD_FAILURE() << "a whole record in the dialog";
    }
  }
  EXPECT_GT(checked, 0);
}

TEST(SaverXml, SlidersLieInTheirRowsRangeAndStartAtItsDefault) {
  const std::string xml = SaverXml();
  ASSERT_FALSE(xml.empty()) << BRINDLEMAR_SAVER_XML;
  int32_t sliders = 0;
  for (const std::string& element : NumberElements(xml)) {
    const std::string arg = Attribute(element, "arg");
    SCOPED_TRACE(arg);
    const Parameter* row = FindParameter(arg.substr(0, arg.find(' ')));
    ASSERT_NE(row, nullptr);
    ++sliders;
    EXPECT_TRUE(InRange(*row, std::stod(Attribute(element, "low"))));
    EXPECT_TRUE(InRange(*row, std::stod(Attribute(element, "high"))));
    EXPECT_EQ(std::stod(Attribute(element, "default")), row->byDefault);
  }
  EXPECT_GT(sliders, 0);
}

}  // namespace
}  // namespace brindlemar
