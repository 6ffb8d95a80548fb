// Decimal text to double and back: the portable path, which the WebAssembly
// build takes, reads and writes exactly what std::from_chars and
// std::to_chars do, so that options and records mean the same there.
#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "settings/number_text.h"

namespace brindlemar {
namespace {

void ExpectSameRead(const std::string& text, bool general) {
  const NumberRead mine = portable::ReadNumber(text, general);
  const NumberRead standard = ReadNumber(text, general);
  ASSERT_EQ(mine.status, standard.status) << "'" << text << "'";
  if (mine.status == NumberStatus::kInvalid) return;
  EXPECT_EQ(mine.used, standard.used) << "'" << text << "'";
  if (mine.status != NumberStatus::kOk) return;
  // Bit for bit, NaN and the sign of zero included.
  EXPECT_EQ(std::memcmp(&mine.value, &standard.value, sizeof(double)), 0)
      << "'" << text << "': " << mine.value << " against " << standard.value;
}

TEST(NumberText, ThePortableReadingIsTheStandardOne) {
  const char* const cases[] = {
      "3.62", "0.1", "5", "241", "-0.1", "-0", "0", ".5", "5.", ".", "-", "+1", " 1", "1e3", "1E-3", "1e", "1e+",
      "1e+5x", "2.5e-3", "1e999", "-1e999", "1e-999", "4.9e-324", "2.4e-324", "1.7976931348623157e308",
      "1.7976931348623159e308", "inf", "INF", "-Infinity", "infinit", "nan", "NaN(abc_1)", "nan(", "nan(x", "abc",
      "0x10", "12x", "3.6200000000000000001", "0.30000000000000004", "9007199254740993", "1.00000000000000011102230246251565404236316680908203125",
      "123456789012345678901234567890", "0.000000000000000000000000000000000001", "00012.5000", "1..2", "1.2.3",
      "4.656683928435187e-10", "56", "0.204", "0.588", "3.621", "1,5", "",
  };
  for (const char* text : cases) {
    ExpectSameRead(text, true);
    ExpectSameRead(text, false);
  }
  // Random digit strings around the ranges the options and records use.
  std::mt19937 random(7);
  const char alphabet[] = "0123456789.e-";
  for (int32_t k = 0; k < 20000; ++k) {
    std::string text;
    const int32_t length = 1 + static_cast<int32_t>(random() % 24);
    for (int32_t i = 0; i < length; ++i) text += alphabet[random() % (k % 2 ? 10 : 13)];
    ExpectSameRead(text, true);
    ExpectSameRead(text, false);
  }
}

TEST(NumberText, ThePortableWritingIsTheStandardOne) {
  for (double v : {0.1, 5.0, 1.0, 241.0, 0.01, 2.0, 0.0, 3.62, 1e21, 123456.789, 1e-7}) {
    EXPECT_EQ(portable::NumberText(v), NumberText(v)) << v;
  }
  for (double whole : {1.0, 9.0, 10.0, 1234567.0, 9007199254740993.0, 1e22, 1.7976931348623157e308}) {
    EXPECT_EQ(portable::WholeNumberText(whole), WholeNumberText(whole)) << whole;
  }
}

}  // namespace
}  // namespace brindlemar
