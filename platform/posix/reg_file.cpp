#include "platform/posix/reg_file.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace brindlemar::posix {
namespace {

constexpr std::string_view kRegedit4 = "REGEDIT4";
constexpr std::string_view kRegedit5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kBlank = " \t\r";
constexpr std::string_view kCrlf = "\r\n";
// Hex lines are wrapped once they reach this many characters, which keeps
// every line within 80.
constexpr size_t kHexLineLimit = 76;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// A subkey's path continues its parent's with a backslash.
bool IsBelow(std::string_view path, std::string_view parent) {
  return path.size() > parent.size() && path[parent.size()] == '\\' && SameText(path.substr(0, parent.size()), parent);
}

std::string_view Trim(std::string_view s) {
  size_t begin = s.find_first_not_of(kBlank);
  if (begin == std::string_view::npos) return {};
  return s.substr(begin, s.find_last_not_of(kBlank) - begin + 1);
}

std::optional<uint32_t> ParseHexNumber(std::string_view digits, size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  uint32_t n = 0;
  for (char c : digits) {
    char f = Fold(c);
    uint32_t d;
    if (f >= '0' && f <= '9') {
      d = static_cast<uint32_t>(f - '0');
    } else if (f >= 'a' && f <= 'f') {
      d = static_cast<uint32_t>(f - 'a' + 10);
    } else {
      return std::nullopt;
    }
    n = n << 4 | d;
  }
  return n;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Unpaired surrogates become U+FFFD; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes) {
  std::string out;
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

class Parser {
 public:
  Parser(std::string_view text, RegTree& tree) : tree_(tree) {
    for (size_t begin = 0; begin <= text.size();) {
      size_t end = std::min(text.find('\n', begin), text.size());
      lines_.push_back(text.substr(begin, end - begin));
      begin = end + 1;
    }
  }

  bool Run() {
    std::string_view header = Trim(lines_[0]);
    if (header != kRegedit4 && header != kRegedit5) return Fail("not a Registry Editor file");
    unicode_ = header == kRegedit5;
    for (at_ = 1; at_ < lines_.size(); ++at_) {
      std::string_view line = Trim(lines_[at_]);
      if (line.empty() || line[0] == ';') continue;
      bool ok = line[0] == '['                       ? Section(line)
                : (line[0] == '"' || line[0] == '@') ? Value(line)
                                                     : Fail("unexpected text");
      if (!ok) return false;
    }
    return true;
  }

  const std::string& Error() const { return error_; }

 private:
  enum class Place { kNone, kKey, kDeletedKey };

  bool Fail(std::string_view why) {
    error_ = "line " + std::to_string(at_ + 1) + ": " + std::string(why);
    return false;
  }

  bool Section(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return Fail("key name without its closing bracket");
    std::string_view path = line.substr(1, line.size() - 2);
    bool remove = !path.empty() && path[0] == '-';
    if (remove) path.remove_prefix(1);
    if (!IsKeyPath(path)) return Fail("bad key name");
    key_ = std::string(path);
    if (remove) {
      tree_.RemoveKey(path);
      place_ = Place::kDeletedKey;
    } else {
      tree_.AddKey(path);
      place_ = Place::kKey;
    }
    return true;
  }

  // Reads a quoted text starting at s[pos], the opening quote, and leaves pos
  // after the closing one.
  bool Quoted(std::string_view s, size_t& pos, std::string& out) {
    for (++pos; pos < s.size();) {
      char c = s[pos++];
      if (c == '"') return true;
      if (c == '\\') {
        if (pos == s.size()) break;
        c = s[pos++];
        if (c != '\\' && c != '"') return Fail("invalid escape in quoted text");
      }
      out += c;
    }
    return Fail("unterminated quoted text");
  }

  bool Value(std::string_view line) {
    if (place_ == Place::kNone) return Fail("value before the first key");
    RegValue value;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!Quoted(line, pos, value.name)) {
      return false;
    }
    pos = line.find_first_not_of(kBlank, pos);
    if (pos == std::string_view::npos || line[pos] != '=') return Fail("value name without '='");
    std::string_view data = Trim(line.substr(pos + 1));
    bool remove = data == "-";
    if (!remove && !Data(data, value)) return false;
    // Values under a deleted key are read, to find damage, but not kept.
    if (place_ == Place::kDeletedKey) return true;
    if (remove) {
      tree_.DeleteValue(key_, value.name);
    } else {
      tree_.SetValue(key_, std::move(value));
    }
    return true;
  }

  bool Data(std::string_view data, RegValue& value) {
    if (!data.empty() && data[0] == '"') {
      std::string text;
      size_t pos = 0;
      if (!Quoted(data, pos, text)) return false;
      if (pos != data.size()) return Fail("text after the closing quote");
      value.type = kRegString;
      value.data.assign(text.begin(), text.end());
      value.data.push_back(0);
      return true;
    }
    if (StartsWithText(data, "dword:")) {
      std::optional<uint32_t> n = ParseHexNumber(Trim(data.substr(6)), 8);
      if (!n) return Fail("bad DWORD");
      value.type = kRegDword;
      value.data = {static_cast<uint8_t>(*n), static_cast<uint8_t>(*n >> 8), static_cast<uint8_t>(*n >> 16),
                    static_cast<uint8_t>(*n >> 24)};
      return true;
    }
    if (!StartsWithText(data, "hex")) return Fail("unknown kind of value");
    data.remove_prefix(3);
    value.type = kRegBinary;
    if (!data.empty() && data[0] == '(') {
      size_t close = data.find(')');
      std::optional<uint32_t> type =
          close == std::string_view::npos ? std::nullopt : ParseHexNumber(data.substr(1, close - 1), 8);
      if (!type) return Fail("bad value type");
      value.type = *type;
      data.remove_prefix(close + 1);
    }
    if (data.empty() || data[0] != ':') return Fail("unknown kind of value");
    std::string bytes(data.substr(1));
    while (!bytes.empty() && bytes.back() == '\\') {
      bytes.pop_back();
      if (++at_ == lines_.size()) return Fail("hex data cut short");
      bytes += Trim(lines_[at_]);
    }
    if (!HexBytes(bytes, value.data)) return Fail("bad hex data");
    // The 5.00 form holds the data of strings, expandable strings (2) and
    // string lists (7) as UTF-16; the narrow functions see UTF-8.
    if (unicode_ && (value.type == kRegString || value.type == 2 || value.type == 7)) {
      std::string narrow =
          Utf16ToUtf8(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
      value.data.assign(narrow.begin(), narrow.end());
    }
    return true;
  }

  // Comma-separated bytes of one or two hex digits. A trailing comma is a
  // sign of a file cut short after a wrapped line.
  static bool HexBytes(std::string_view text, std::vector<uint8_t>& out) {
    text = Trim(text);
    if (text.empty()) return true;
    for (size_t begin = 0;;) {
      size_t comma = text.find(',', begin);
      std::optional<uint32_t> byte = ParseHexNumber(Trim(text.substr(begin, comma - begin)), 2);
      if (!byte) return false;
      out.push_back(static_cast<uint8_t>(*byte));
      if (comma == std::string_view::npos) return true;
      begin = comma + 1;
    }
  }

  RegTree& tree_;
  std::vector<std::string_view> lines_;
  size_t at_ = 0;
  bool unicode_ = false;
  Place place_ = Place::kNone;
  std::string key_;
  std::string error_;
};

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

void AppendHexByte(std::string& out, uint8_t b) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[b >> 4];
  out += kDigits[b & 15];
}

// A string is written in quotes when it has exactly one NUL, at its end, and
// no line break; any other string data is written as hex(1).
bool QuotesAsText(const RegValue& value) {
  const std::vector<uint8_t>& d = value.data;
  return value.type == kRegString && !d.empty() && d.back() == 0 &&
         std::none_of(d.begin(), d.end() - 1, [](uint8_t b) { return b == 0 || b == '\r' || b == '\n'; });
}

void AppendValue(std::string& out, const RegValue& value) {
  size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  const std::vector<uint8_t>& d = value.data;
  if (QuotesAsText(value)) {
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(d.data()), d.size() - 1));
  } else if (value.type == kRegDword && d.size() == 4) {
    out += "dword:";
    for (size_t i = 4; i-- > 0;) AppendHexByte(out, d[i]);
  } else {
    if (value.type == kRegBinary) {
      out += "hex:";
    } else {
      char type[16];
      size_t n = 0;
      for (uint32_t t = value.type; n == 0 || t != 0; t >>= 4) type[n++] = "0123456789abcdef"[t & 15];
      out += "hex(";
      while (n > 0) out += type[--n];
      out += "):";
    }
    for (size_t i = 0; i < d.size(); ++i) {
      AppendHexByte(out, d[i]);
      if (i + 1 == d.size()) break;
      out += ',';
      if (out.size() - lineStart >= kHexLineLimit) {
        out += "\\\r\n  ";
        lineStart = out.size() - 2;
      }
    }
  }
  out += kCrlf;
}

}  // namespace

bool KeyPathLess::operator()(std::string_view a, std::string_view b) const {
  // The separator ranks below every other character.
  auto rank = [](char c) { return c == '\\' ? 0 : 1 + static_cast<uint8_t>(Fold(c)); };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ra = rank(a[i]), rb = rank(b[i]);
    if (ra != rb) return ra < rb;
  }
  return a.size() < b.size();
}

bool IsKeyPath(std::string_view path) {
  return !path.empty() && path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string_view::npos &&
         path.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool RegTree::HasKey(std::string_view path) const { return keys_.find(path) != keys_.end(); }

bool RegTree::AddKey(std::string_view path) {
  // The hive itself, the first level, is not a parent worth a section.
  size_t hiveEnd = path.find('\\');
  if (hiveEnd != std::string_view::npos) {
    for (size_t at = path.find('\\', hiveEnd + 1); at != std::string_view::npos; at = path.find('\\', at + 1)) {
      std::string_view parent = path.substr(0, at);
      if (!HasKey(parent)) keys_.emplace(std::string(parent), std::vector<RegValue>());
    }
  }
  if (HasKey(path)) return false;
  keys_.emplace(std::string(path), std::vector<RegValue>());
  return true;
}

bool RegTree::RemoveKey(std::string_view path) {
  auto it = keys_.find(path);
  if (it == keys_.end()) return false;
  it = keys_.erase(it);
  while (it != keys_.end() && IsBelow(it->first, path)) it = keys_.erase(it);
  return true;
}

const RegValue* RegTree::FindValue(std::string_view path, std::string_view name) const {
  const std::vector<RegValue>* values = Values(path);
  if (!values) return nullptr;
  auto it = std::find_if(values->begin(), values->end(), [&](const RegValue& v) { return SameText(v.name, name); });
  return it == values->end() ? nullptr : &*it;
}

bool RegTree::SetValue(std::string_view path, RegValue value) {
  auto key = keys_.find(path);
  if (key == keys_.end()) return false;
  auto it = std::find_if(key->second.begin(), key->second.end(),
                         [&](const RegValue& v) { return SameText(v.name, value.name); });
  if (it == key->second.end()) {
    key->second.push_back(std::move(value));
  } else {
    // The registry keeps the name as first spelt.
    it->type = value.type;
    it->data = std::move(value.data);
  }
  return true;
}

bool RegTree::DeleteValue(std::string_view path, std::string_view name) {
  auto key = keys_.find(path);
  if (key == keys_.end()) return false;
  auto it =
      std::find_if(key->second.begin(), key->second.end(), [&](const RegValue& v) { return SameText(v.name, name); });
  if (it == key->second.end()) return false;
  key->second.erase(it);
  return true;
}

const std::vector<RegValue>* RegTree::Values(std::string_view path) const {
  auto it = keys_.find(path);
  return it == keys_.end() ? nullptr : &it->second;
}

bool ParseRegFile(std::string_view bytes, RegTree& tree, std::string* error) {
  std::string converted;
  std::string_view text = bytes;
  if (bytes.starts_with("\xFF\xFE")) {
    if (bytes.size() % 2 != 0) {
      if (error) *error = "UTF-16 text with an odd number of bytes";
      return false;
    }
    converted = Utf16ToUtf8(bytes.substr(2));
    text = converted;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  RegTree parsed;
  Parser parser(text, parsed);
  if (!parser.Run()) {
    if (error) *error = parser.Error();
    return false;
  }
  tree = std::move(parsed);
  return true;
}

std::string WriteRegFile(const RegTree& tree) {
  std::string out(kRegedit4);
  out += kCrlf;
  out += kCrlf;
  for (const auto& [path, values] : tree.Keys()) {
    out += '[';
    out += path;
    out += ']';
    out += kCrlf;
    for (const RegValue& value : values) AppendValue(out, value);
    out += kCrlf;
  }
  return out;
}

}  // namespace brindlemar::posix
