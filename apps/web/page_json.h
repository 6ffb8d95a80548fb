// Just enough JSON for the texts the page's script reads: objects and arrays
// of strings, whole numbers and other values, written in order. Strings are
// written as valid UTF-8: a byte that starts no valid sequence (a link may
// carry any bytes) becomes U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar {

class JsonArray;

class JsonObject {
 public:
  void Add(std::string_view name, std::string_view text);
  void Add(std::string_view name, const char* text) { Add(name, std::string_view(text)); }
  void Add(std::string_view name, int32_t number);
  void Add(std::string_view name, const JsonObject& object);
  void Add(std::string_view name, const JsonArray& array);
  std::string Text() const { return "{" + members_ + "}"; }

 private:
  void Name(std::string_view name);
  std::string members_;
};

class JsonArray {
 public:
  void Add(std::string_view text);
  void Add(const JsonObject& object);
  std::string Text() const { return "[" + items_ + "]"; }

 private:
  void Next();
  std::string items_;
};

// text as a JSON string, quotes included.
std::string JsonString(std::string_view text);

}  // namespace brindlemar
