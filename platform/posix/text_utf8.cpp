#include "platform/posix/text_utf8.h"

#include <glib.h>

namespace brindlemar::posix {

uint32_t Cp1252(uint8_t b) {
  static constexpr uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                         0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string TextAsUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const gchar* bad = nullptr;
    if (g_utf8_validate(p, end - p, &bad)) {
      out.append(p, end);
      break;
    }
    out.append(p, bad);
    if (*bad != 0) AppendUtf8(out, Cp1252(static_cast<uint8_t>(*bad)));
    p = bad + 1;
  }
  return out;
}

}  // namespace brindlemar::posix
