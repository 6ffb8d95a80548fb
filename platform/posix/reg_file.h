// Registry Editor files as a key tree: the bytes of a ".reg" file parsed into
// keys and typed values, and a tree written back as text. Reads the
// "REGEDIT4" form and the "Windows Registry Editor Version 5.00" form (UTF-16LE
// with a byte-order mark, as the editor exports it, or UTF-8); writes the
// "REGEDIT4" form with CRLF line ends and lines of hex data wrapped with ",\".
// Pure conversions between text and tree: no file access, no globals.
//
// Key paths are full paths as the file spells them, hive first
// ("HKEY_CURRENT_USER\\Software\\..."); keys and value names compare without
// regard to ASCII case and keep the spelling they were first given. A key's
// parents below its hive exist whenever it does. A key beyond the limits
// below is a line that cannot be read. Value data are the bytes the
// narrow-character registry functions hand out: a string carries its
// terminating NUL, and the UTF-16 string data of the 5.00 form become UTF-8.
// Value types other than string, binary and DWORD are kept as their bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brindlemar::posix {

inline constexpr uint32_t kRegString = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

struct RegValue {
  std::string name;  // empty for the key's default value, "@" in the file
  uint32_t type = kRegBinary;
  std::vector<uint8_t> data;
};

// How far a tree may grow. A registry refuses keys deeper than 512 levels
// and key names (one level) longer than 255 characters; the counts of keys
// and the characters of all their full paths keep a damaged or hostile file
// from costing more than a small multiple of its own size to read and to
// write back.
inline constexpr size_t kMaxKeyDepth = 512;
inline constexpr size_t kMaxKeyNameLength = 255;
inline constexpr size_t kMaxKeys = 100000;
inline constexpr size_t kMaxKeyPathBytes = 16u << 20;

enum class AddedKey { kNew, kExisting, kRefused };

// The keys of a file, each held once as its own level with a link to its
// parent, so that a deep key costs its depth and not its depth squared.
// Values of a key are found by name through an index.
class RegTree {
 public:
  // A key's place in the tree, valid until the key is removed.
  using KeyId = int32_t;
  static constexpr KeyId kNoKey = -1;

  struct Key {
    std::string path;
    const std::vector<RegValue>& values;
  };

  bool HasKey(std::string_view path) const { return Find(path) != kNoKey; }
  KeyId Find(std::string_view path) const;
  // Adds the key and any missing parent below the hive. Refused when the
  // path is no key path or the tree would outgrow the limits above.
  AddedKey AddKey(std::string_view path, KeyId* id = nullptr);
  // Removes the key with all its subkeys; false when it is missing.
  bool RemoveKey(std::string_view path);

  // Null when the key or the value is missing.
  const RegValue* FindValue(std::string_view path, std::string_view name) const;
  // Replaces a value in its place or appends it; false when the key is missing.
  bool SetValue(std::string_view path, RegValue value);
  bool SetValue(KeyId key, RegValue value);
  bool DeleteValue(std::string_view path, std::string_view name);
  bool DeleteValue(KeyId key, std::string_view name);
  // The key's values in the order they were first set; null when it is missing.
  const std::vector<RegValue>* Values(std::string_view path) const;

  // Every key with its full path, parents before their subkeys and
  // siblings ordered without regard to ASCII case.
  std::vector<Key> Keys() const;
  size_t KeyCount() const { return keyCount_; }

 private:
  struct Node {
    std::string name;  // this level, as first spelt
    KeyId parent = kNoKey;
    // False for a hive that only holds keys, and for a removed key.
    bool exists = false;
    size_t pathBytes = 0;
    std::map<std::string, KeyId> children;  // by folded name
    std::vector<RegValue> values;
    std::unordered_map<std::string, size_t> valueAt;  // folded name to position
  };

  KeyId Child(const std::map<std::string, KeyId>& children, std::string_view name) const;
  void Remove(KeyId id);
  void AppendKeys(KeyId id, std::string& path, std::vector<Key>& keys) const;

  std::vector<Node> nodes_;
  std::map<std::string, KeyId> hives_;  // by folded name
  size_t keyCount_ = 0;
  size_t pathBytes_ = 0;
};

// True when the path names a key: not empty, no empty level, no line break.
bool IsKeyPath(std::string_view path);

// Lines of a file that could not be read (lines first to last, from 1: a
// value's wrapped lines go together), as the file had them, and why.
struct DroppedLines {
  size_t first = 0;
  size_t last = 0;
  std::string text;  // the first line
  std::string reason;
};

// What reading a file gave. A file whose first line is no Registry Editor
// header is none: nothing is read from it. In any other file a line that
// cannot be read costs that line (with a key, the values below it) and
// nothing else.
struct RegFileReading {
  bool isRegFile = false;
  std::vector<DroppedLines> dropped;
  // Why it is no Registry Editor file, or where its first damage is.
  std::string error;
};

// Reads what can be read of a file into tree, which is left untouched when
// the file is none.
RegFileReading ReadRegFile(std::string_view bytes, RegTree& tree);

// Parses a whole file, every line of it. On failure returns false, leaves
// tree untouched and, when error is given, says where and why.
bool ParseRegFile(std::string_view bytes, RegTree& tree, std::string* error);

// "line 5: "MaxFPS"=dword:zz (bad DWORD)", for a person: long lines are cut,
// control characters written as \xNN.
std::string DescribeDropped(const DroppedLines& dropped);
std::string WriteRegFile(const RegTree& tree);

}  // namespace brindlemar::posix
