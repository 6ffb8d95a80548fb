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

std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = Fold(c);
  return folded;
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

  // False when the first line is no Registry Editor header; otherwise every
  // line that cannot be read is left out and noted, and the rest is read.
  bool Run() {
    std::string_view header = Trim(lines_[0]);
    if (header != kRegedit4 && header != kRegedit5) {
      error_ = "line 1: not a Registry Editor file";
      return false;
    }
    unicode_ = header == kRegedit5;
    for (at_ = 1; at_ < lines_.size(); ++at_) {
      std::string_view line = Trim(lines_[at_]);
      if (line.empty() || line[0] == ';') continue;
      const size_t first = at_;
      bool ok = line[0] == '['                       ? Section(line)
                : (line[0] == '"' || line[0] == '@') ? Value(line)
                                                     : Fail("unexpected text");
      if (!ok) Drop(first, line);
    }
    return true;
  }

  const std::string& Error() const { return error_; }
  std::vector<DroppedLines>& Dropped() { return dropped_; }

 private:
  enum class Place { kNone, kKey, kDeletedKey, kDroppedKey };

  bool Fail(std::string_view why) {
    why_ = why;
    return false;
  }

  // Leaves out the lines from first to the current one. A key left out takes
  // the values below it along: they would otherwise land in the key before.
  void Drop(size_t first, std::string_view line) {
    if (line[0] == '[') {
      place_ = Place::kDroppedKey;
      droppedKeyLine_ = first + 1;
    }
    // The wrapped lines of hex data go with their value.
    if (IsHexData(line)) {
      while (Trim(lines_[at_]).ends_with('\\') && at_ + 1 < lines_.size()) ++at_;
    }
    dropped_.push_back(DroppedLines{first + 1, at_ + 1, std::string(line), why_});
    if (error_.empty()) error_ = "line " + std::to_string(first + 1) + ": " + why_;
  }

  // Whether a value line holds hex data, judged without reading it: the
  // text after its last '=' begins with "hex".
  static bool IsHexData(std::string_view line) {
    size_t equals = line.rfind('=');
    return line[0] != '[' && equals != std::string_view::npos &&
           StartsWithText(Trim(line.substr(equals + 1)), "hex");
  }

  bool Section(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return Fail("key name without its closing bracket");
    std::string_view path = line.substr(1, line.size() - 2);
    bool remove = !path.empty() && path[0] == '-';
    if (remove) path.remove_prefix(1);
    if (!IsKeyPath(path)) return Fail("bad key name");
    if (remove) {
      tree_.RemoveKey(path);
      place_ = Place::kDeletedKey;
      return true;
    }
    if (tree_.AddKey(path, &key_) == AddedKey::kRefused) return Fail(Refusal(path));
    place_ = Place::kKey;
    return true;
  }

  // Why the tree refused a key.
  static std::string_view Refusal(std::string_view path) {
    size_t levels = 0;
    for (size_t begin = 0; begin <= path.size(); ++levels) {
      size_t end = std::min(path.find('\\', begin), path.size());
      if (end - begin > kMaxKeyNameLength) return "a key name longer than 255 characters";
      begin = end + 1;
    }
    return levels > kMaxKeyDepth ? "a key deeper than 512 levels" : "more keys than a settings file may hold";
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
    if (place_ == Place::kDroppedKey) {
      return Fail("value of the key left out at line " + std::to_string(droppedKeyLine_));
    }
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
      if (at_ + 1 == lines_.size()) return Fail("hex data cut short");
      ++at_;
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
  RegTree::KeyId key_ = RegTree::kNoKey;
  size_t droppedKeyLine_ = 0;
  std::string why_;
  // The first line left out, or why the file is none at all.
  std::string error_;
  std::vector<DroppedLines> dropped_;
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

bool IsKeyPath(std::string_view path) {
  return !path.empty() && path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string_view::npos &&
         path.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

RegTree::KeyId RegTree::Child(const std::map<std::string, KeyId>& children, std::string_view name) const {
  auto it = children.find(Folded(name));
  return it == children.end() ? kNoKey : it->second;
}

RegTree::KeyId RegTree::Find(std::string_view path) const {
  if (!IsKeyPath(path)) return kNoKey;
  KeyId at = kNoKey;
  for (size_t begin = 0; begin <= path.size();) {
    size_t end = std::min(path.find('\\', begin), path.size());
    std::string_view level = path.substr(begin, end - begin);
    at = Child(at == kNoKey ? hives_ : nodes_[static_cast<size_t>(at)].children, level);
    if (at == kNoKey) return kNoKey;
    begin = end + 1;
  }
  return nodes_[static_cast<size_t>(at)].exists ? at : kNoKey;
}

AddedKey RegTree::AddKey(std::string_view path, KeyId* id) {
  if (!IsKeyPath(path)) return AddedKey::kRefused;
  std::vector<std::string_view> levels;
  for (size_t begin = 0; begin <= path.size();) {
    size_t end = std::min(path.find('\\', begin), path.size());
    if (levels.size() == kMaxKeyDepth || end - begin > kMaxKeyNameLength) return AddedKey::kRefused;
    levels.push_back(path.substr(begin, end - begin));
    begin = end + 1;
  }
  // The hive, the first level, is a key of its own only when it is named
  // alone; otherwise it just holds the keys below it.
  auto isKeyLevel = [&](size_t n) { return n > 0 || levels.size() == 1; };

  // What would be new is counted first, so that a refused key leaves no
  // parents behind.
  size_t newKeys = 0;
  size_t newPathBytes = 0;
  size_t pathBytes = 0;
  KeyId at = kNoKey;
  bool known = true;
  for (size_t n = 0; n < levels.size(); ++n) {
    pathBytes += (n > 0 ? 1 : 0) + levels[n].size();
    if (known) {
      at = Child(n == 0 ? hives_ : nodes_[static_cast<size_t>(at)].children, levels[n]);
      known = at != kNoKey;
    }
    if (isKeyLevel(n) && (!known || !nodes_[static_cast<size_t>(at)].exists)) {
      ++newKeys;
      newPathBytes += pathBytes;
    }
  }
  if (newKeys == 0) {
    if (id) *id = at;
    return AddedKey::kExisting;
  }
  if (keyCount_ + newKeys > kMaxKeys || pathBytes_ + newPathBytes > kMaxKeyPathBytes) return AddedKey::kRefused;

  at = kNoKey;
  pathBytes = 0;
  for (size_t n = 0; n < levels.size(); ++n) {
    pathBytes += (n > 0 ? 1 : 0) + levels[n].size();
    std::map<std::string, KeyId>& children = n == 0 ? hives_ : nodes_[static_cast<size_t>(at)].children;
    auto [place, added] = children.try_emplace(Folded(levels[n]), static_cast<KeyId>(nodes_.size()));
    KeyId next = place->second;
    if (added) {
      // Last: growing the nodes moves the map that place points into.
      Node node;
      node.name = std::string(levels[n]);
      node.parent = at;
      node.pathBytes = pathBytes;
      nodes_.push_back(std::move(node));
    }
    at = next;
    Node& node = nodes_[static_cast<size_t>(at)];
    if (isKeyLevel(n) && !node.exists) {
      node.exists = true;
      ++keyCount_;
      pathBytes_ += node.pathBytes;
    }
  }
  if (id) *id = at;
  return AddedKey::kNew;
}

void RegTree::Remove(KeyId id) {
  Node& node = nodes_[static_cast<size_t>(id)];
  for (const auto& [folded, child] : node.children) Remove(child);
  if (node.exists) {
    --keyCount_;
    pathBytes_ -= node.pathBytes;
  }
  // The slot stays, emptied: ids of other keys keep their meaning.
  node.exists = false;
  node.children.clear();
  node.values.clear();
  node.values.shrink_to_fit();
  node.valueAt.clear();
}

bool RegTree::RemoveKey(std::string_view path) {
  KeyId id = Find(path);
  if (id == kNoKey) return false;
  KeyId parent = nodes_[static_cast<size_t>(id)].parent;
  std::string folded = Folded(nodes_[static_cast<size_t>(id)].name);
  Remove(id);
  (parent == kNoKey ? hives_ : nodes_[static_cast<size_t>(parent)].children).erase(folded);
  return true;
}

const RegValue* RegTree::FindValue(std::string_view path, std::string_view name) const {
  KeyId id = Find(path);
  if (id == kNoKey) return nullptr;
  const Node& node = nodes_[static_cast<size_t>(id)];
  auto it = node.valueAt.find(Folded(name));
  return it == node.valueAt.end() ? nullptr : &node.values[it->second];
}

bool RegTree::SetValue(std::string_view path, RegValue value) { return SetValue(Find(path), std::move(value)); }

bool RegTree::SetValue(KeyId key, RegValue value) {
  if (key == kNoKey || !nodes_[static_cast<size_t>(key)].exists) return false;
  Node& node = nodes_[static_cast<size_t>(key)];
  auto [place, added] = node.valueAt.try_emplace(Folded(value.name), node.values.size());
  if (added) {
    node.values.push_back(std::move(value));
  } else {
    // The registry keeps the name as first spelt.
    RegValue& kept = node.values[place->second];
    kept.type = value.type;
    kept.data = std::move(value.data);
  }
  return true;
}

bool RegTree::DeleteValue(std::string_view path, std::string_view name) { return DeleteValue(Find(path), name); }

bool RegTree::DeleteValue(KeyId id, std::string_view name) {
  if (id == kNoKey || !nodes_[static_cast<size_t>(id)].exists) return false;
  Node& node = nodes_[static_cast<size_t>(id)];
  auto it = node.valueAt.find(Folded(name));
  if (it == node.valueAt.end()) return false;
  size_t at = it->second;
  node.valueAt.erase(it);
  node.values.erase(node.values.begin() + static_cast<std::ptrdiff_t>(at));
  for (auto& [folded, position] : node.valueAt) {
    if (position > at) --position;
  }
  return true;
}

const std::vector<RegValue>* RegTree::Values(std::string_view path) const {
  KeyId id = Find(path);
  return id == kNoKey ? nullptr : &nodes_[static_cast<size_t>(id)].values;
}

void RegTree::AppendKeys(KeyId id, std::string& path, std::vector<Key>& keys) const {
  const Node& node = nodes_[static_cast<size_t>(id)];
  size_t parentLength = path.size();
  if (node.parent != kNoKey) path += '\\';
  path += node.name;
  if (node.exists) keys.push_back(Key{path, node.values});
  for (const auto& [folded, child] : node.children) AppendKeys(child, path, keys);
  path.resize(parentLength);
}

std::vector<RegTree::Key> RegTree::Keys() const {
  std::vector<Key> keys;
  keys.reserve(keyCount_);
  std::string path;
  for (const auto& [folded, hive] : hives_) AppendKeys(hive, path, keys);
  return keys;
}
RegFileReading ReadRegFile(std::string_view bytes, RegTree& tree) {
  RegFileReading reading;
  std::string converted;
  std::string_view text = bytes;
  if (bytes.starts_with("\xFF\xFE")) {
    if (bytes.size() % 2 != 0) {
      reading.error = "UTF-16 text with an odd number of bytes";
      return reading;
    }
    converted = Utf16ToUtf8(bytes.substr(2));
    text = converted;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  RegTree parsed;
  Parser parser(text, parsed);
  reading.isRegFile = parser.Run();
  reading.error = parser.Error();
  if (!reading.isRegFile) return reading;
  reading.dropped = std::move(parser.Dropped());
  tree = std::move(parsed);
  return reading;
}

bool ParseRegFile(std::string_view bytes, RegTree& tree, std::string* error) {
  RegTree parsed;
  RegFileReading reading = ReadRegFile(bytes, parsed);
  if (!reading.isRegFile || !reading.dropped.empty()) {
    if (error) *error = reading.error;
    return false;
  }
  tree = std::move(parsed);
  return true;
}

std::string DescribeDropped(const DroppedLines& dropped) {
  constexpr size_t kShown = 60;
  std::string text = dropped.first == dropped.last
                         ? "line " + std::to_string(dropped.first)
                         : "lines " + std::to_string(dropped.first) + "-" + std::to_string(dropped.last);
  text += ": ";
  size_t shown = 0;
  for (char c : dropped.text) {
    if (shown++ == kShown) {
      text += "...";
      break;
    }
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x20 || byte == 0x7F) {
      constexpr char kDigits[] = "0123456789abcdef";
      text += "\\x";
      text += kDigits[byte >> 4];
      text += kDigits[byte & 15];
    } else {
      text += c;
    }
  }
  return text + " (" + dropped.reason + ")";
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
