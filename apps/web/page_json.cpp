#include "apps/web/page_json.h"

namespace brindlemar {
namespace {

// The length of the valid UTF-8 sequence at the start of text, 0 for none.
size_t SequenceLength(std::string_view text) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(0);
  size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4                  ? 4
                                                                  : 0;
  if (length == 0 || length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
  }
  // No overlong forms, surrogates or code points beyond U+10FFFF.
  if (length == 3 && ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0))) return 0;
  if (length == 4 && ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))) return 0;
  return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  while (!text.empty()) {
    const size_t length = SequenceLength(text);
    if (length == 0) {
      out += "\\ufffd";
      text.remove_prefix(1);
      continue;
    }
    const char c = text[0];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (length == 1 && static_cast<unsigned char>(c) < 0x20) {
      out += "\\u00";
      out += kHex[(c >> 4) & 15];
      out += kHex[c & 15];
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out + "\"";
}

void JsonObject::Name(std::string_view name) {
  if (!members_.empty()) members_ += ',';
  members_ += JsonString(name) + ":";
}

void JsonObject::Add(std::string_view name, std::string_view text) {
  Name(name);
  members_ += JsonString(text);
}

void JsonObject::Add(std::string_view name, int32_t number) {
  Name(name);
  members_ += std::to_string(number);
}

void JsonObject::Add(std::string_view name, const JsonObject& object) {
  Name(name);
  members_ += object.Text();
}

void JsonObject::Add(std::string_view name, const JsonArray& array) {
  Name(name);
  members_ += array.Text();
}

void JsonArray::Next() {
  if (!items_.empty()) items_ += ',';
}

void JsonArray::Add(std::string_view text) {
  Next();
  items_ += JsonString(text);
}

void JsonArray::Add(const JsonObject& object) {
  Next();
  items_ += object.Text();
}

}  // namespace brindlemar
