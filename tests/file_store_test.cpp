// The settings file outside Windows: the Registry Editor text it writes and
// reads, keys beyond the limits, damaged files set aside, files that cannot
// be read left alone, changes that cannot be saved, interrupted calls, links,
// temporary files of ended writers, parsing once, sets of changes, and
// writers that run at the same time. Failures of the file system are
// injected through its seam.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/file_store.h"
#include "platform/posix/reg_file.h"
#include "settings/change_set.h"
#include "settings/settings_store.h"
#include "support/collecting_reporter.h"
#include "support/faulty_file_system.h"

namespace brindlemar {
namespace {

namespace fs = std::filesystem;
using posix::FileCall;
using posix::RegTree;
using posix::RegValue;
using testing::FaultyFileSystem;

const std::string kConfig = "HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config";

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::string Utf16Le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(RegFile, WritesTheRegedit4Form) {
  RegTree tree;
  ASSERT_EQ(tree.AddKey(kConfig), posix::AddedKey::kNew);
  ASSERT_EQ(tree.AddKey("hkey_current_user\\software\\tessaloom\\brindlemar\\config"), posix::AddedKey::kExisting);
  tree.AddKey("HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar-Old");
  tree.AddKey("HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites");
  std::vector<uint8_t> counting(30);
  for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i);
  const RegValue values[] = {
      {"Settings", posix::kRegString, Bytes(std::string_view("C:\\saver \"1\"", 13))},
      {"", posix::kRegString, Bytes(std::string_view("x", 2))},
      {"Random", posix::kRegDword, {0x2a, 0, 0, 0}},
      {"RanArray", posix::kRegBinary, {1, 2, 0xff}},
      {"Empty", posix::kRegBinary, {}},
      {"Lines", posix::kRegString, Bytes(std::string_view("a\r\nb", 5))},
      {"Path", 2, Bytes(std::string_view("%H%", 4))},
      {"Short", posix::kRegDword, {1, 2}},
      {"Long", posix::kRegBinary, counting},
  };
  for (const RegValue& v : values) ASSERT_TRUE(tree.SetValue(kConfig, v));

  const std::string expected =
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
      "\"Settings\"=\"C:\\\\saver \\\"1\\\"\"\r\n"
      "@=\"x\"\r\n"
      "\"Random\"=dword:0000002a\r\n"
      "\"RanArray\"=hex:01,02,ff\r\n"
      "\"Empty\"=hex:\r\n"
      "\"Lines\"=hex(1):61,0d,0a,62,00\r\n"
      "\"Path\"=hex(2):25,48,25,00\r\n"
      "\"Short\"=hex(4):01,02\r\n"
      "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
      "  16,17,18,19,1a,1b,1c,1d\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar-Old]\r\n"
      "\r\n";
  std::string written = posix::WriteRegFile(tree);
  EXPECT_EQ(written, expected);

  RegTree again;
  std::string error;
  ASSERT_TRUE(posix::ParseRegFile(written, again, &error)) << error;
  EXPECT_EQ(posix::WriteRegFile(again), expected);
}

TEST(RegFile, ReadsTheVersion5FormAsExported) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"; exported\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
      u"@=\"default\"\r\n"
      u"\"Settings\"=\"Grüße \\\\ \\\"€\\\"\"\r\n"
      u"\"Random\"=dword:0000002A\r\n"
      u"\"RanArray\"=hex:01,02,\\\r\n"
      u"  03,04\r\n"
      u"\"Path\"=hex(2):25,00,48,00,00,00\r\n"
      u"\"Wide\"=hex(1):fc,00,3d,d8,00,de,00,00\r\n"
      u"\"Big\"=hex(b):01,00,00,00,00,00,00,80\r\n";
  RegTree fromUtf16;
  std::string error;
  ASSERT_TRUE(posix::ParseRegFile(Utf16Le(text), fromUtf16, &error)) << error;

  struct Expected {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> data;
  } const expected[] = {
      {"", posix::kRegString, Bytes(std::string_view("default", 8))},
      {"Settings", posix::kRegString,
       Bytes(std::string_view("Gr\xC3\xBC\xC3\x9F"
                              "e \\ \"\xE2\x82\xAC\"",
                              16))},
      {"Random", posix::kRegDword, {0x2a, 0, 0, 0}},
      {"RanArray", posix::kRegBinary, {1, 2, 3, 4}},
      {"Path", 2, Bytes(std::string_view("%H", 3))},
      {"Wide", 1, Bytes(std::string_view("\xC3\xBC\xF0\x9F\x98\x80", 7))},
      {"Big", 11, {1, 0, 0, 0, 0, 0, 0, 0x80}},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    const RegValue* v = fromUtf16.FindValue(kConfig, e.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, e.type);
    EXPECT_EQ(v->data, e.data);
  }
  EXPECT_TRUE(fromUtf16.HasKey("HKEY_CURRENT_USER\\Software\\Tessaloom"));
}

TEST(RegFile, ReadsUtf8FormsOfVersion5LikeItsUtf16Form) {
  const std::string utf8Body =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\n"
      "\"Settings\"=\"Gr\xC3\xBC\xC3\x9F"
      "e\"\n"
      "\"Path\"=hex(2):25,00,48,00,00,00\n";
  const std::u16string utf16Body =
      u"Windows Registry Editor Version 5.00\n"
      u"\n"
      u"[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\n"
      u"\"Settings\"=\"Grüße\"\n"
      u"\"Path\"=hex(2):25,00,48,00,00,00\n";
  RegTree reference;
  ASSERT_TRUE(posix::ParseRegFile(Utf16Le(utf16Body), reference, nullptr));
  for (const std::string& bytes : {utf8Body, "\xEF\xBB\xBF" + utf8Body}) {
    RegTree tree;
    std::string error;
    ASSERT_TRUE(posix::ParseRegFile(bytes, tree, &error)) << error;
    EXPECT_EQ(posix::WriteRegFile(tree), posix::WriteRegFile(reference));
  }
}

TEST(RegFile, ReadsKeysAsTheRegistryWould) {
  const std::string text =
      "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\A\\Old]\n"
      "\"Gone\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\Software\\A]\n"
      "\"Kept\"=\"one\"\n"
      "\"Dropped\"=\"x\"\n"
      "  [hkey_current_user\\software\\a]  \n"
      "\"KEPT\"=\"two\"\n"
      "\"Dropped\"=-\n"
      "[-HKEY_CURRENT_USER\\Software\\A\\Old]\n"
      "\"Ignored\"=\"y\"\n";
  RegTree tree;
  std::string error;
  ASSERT_TRUE(posix::ParseRegFile(text, tree, &error)) << error;
  EXPECT_EQ(posix::WriteRegFile(tree),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A]\r\n"
            "\"Kept\"=\"two\"\r\n\r\n");
}

TEST(RegFile, RefusesDamagedText) {
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  } const cases[] = {
      {"empty", ""},
      {"garbage header", "REGEDIT5\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"},
      {"binary garbage", std::string("\x7f"
                                     "ELF\x02\x01\x01\0\0",
                                     9)},
      {"truncated section", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Softw"},
      {"empty key name", "REGEDIT4\r\n\r\n[]\r\n"},
      {"empty key level", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\\\Software]\r\n"},
      {"value before any key", "REGEDIT4\r\n\"a\"=\"b\"\r\n"},
      {"bad hex", head + "\"b\"=hex:01,zz\r\n"},
      {"three hex digits", head + "\"b\"=hex:01,123\r\n"},
      {"missing byte", head + "\"b\"=hex:01,,02\r\n"},
      {"bad type", head + "\"b\"=hex(zz):01\r\n"},
      {"hex cut short", head + "\"b\"=hex:01,02,\\\r\n"},
      {"hex cut at the end", head + "\"b\"=hex:01,02,\\"},
      {"trailing comma", head + "\"b\"=hex:01,02,\r\n"},
      {"unterminated string", head + "\"s\"=\"abc\r\n"},
      {"unterminated name", head + "\"s=\"abc\"\r\n"},
      {"invalid escape", head + "\"s\"=\"a\\qb\"\r\n"},
      {"text after string", head + "\"s\"=\"a\" b\r\n"},
      {"missing equals", head + "\"s\" \"a\"\r\n"},
      {"long dword", head + "\"n\"=dword:000000001\r\n"},
      {"bad dword", head + "\"n\"=dword:12g4\r\n"},
      {"unknown kind", head + "\"s\"=str:abc\r\n"},
      {"stray line", head + "hello\r\n"},
      {"odd UTF-16", Utf16Le(u"Windows Registry Editor Version 5.00\r\n") + "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegTree tree;
    tree.AddKey("HKEY_CURRENT_USER\\Before");
    std::string error;
    EXPECT_FALSE(posix::ParseRegFile(c.bytes, tree, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(posix::WriteRegFile(tree), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Before]\r\n\r\n");
  }
}

TEST(RegFile, ALineThatCannotBeReadCostsThatLineOnly) {
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"Before\"=dword:00000001\r\n";
  const std::string tail = "[HKEY_CURRENT_USER\\Software\\B]\r\n\"After\"=\"kept\"\r\n";
  struct Case {
    const char* what;
    std::string bad;      // between head and tail
    size_t first, last;   // the lines left out
    const char* shown;    // how the first of them is described
  } const cases[] = {
      {"bad DWORD", "\"MaxFPS\"=dword:zz\r\n", 5, 5, "line 5: \"MaxFPS\"=dword:zz (bad DWORD)"},
      {"NULs", std::string("\0\0\0\r\n", 5), 5, 5, "line 5: \\x00\\x00\\x00 (unexpected text)"},
      {"unterminated string", "\"Settings\"=\"*,3,24\r\n", 5, 5, "(unterminated quoted text)"},
      {"wrapped hex with a bad byte", "\"RanArray\"=hex:01,02,\\\r\n  0g,04\r\n", 5, 6,
       "lines 5-6: \"RanArray\"=hex:01,02,\\ (bad hex data)"},
      // Not taken for a wrapped line: the next line is a value of its own.
      {"string ending in a backslash", "\"Path\"=\"C:\\\r\n", 5, 5, "line 5: "},
      // The key's values go with it, or they would land in the key before.
      {"bad key", "[HKEY_CURRENT_USER\\\\Bad]\r\n\"Lost\"=dword:00000002\r\n", 5, 5, "(bad key name)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegTree tree;
    posix::RegFileReading reading = posix::ReadRegFile(head + c.bad + tail, tree);
    ASSERT_TRUE(reading.isRegFile);
    ASSERT_FALSE(reading.dropped.empty());
    EXPECT_EQ(reading.dropped[0].first, c.first);
    EXPECT_EQ(reading.dropped[0].last, c.last);
    EXPECT_NE(posix::DescribeDropped(reading.dropped[0]).find(c.shown), std::string::npos)
        << posix::DescribeDropped(reading.dropped[0]);
    const RegValue* before = tree.FindValue("HKEY_CURRENT_USER\\Software\\A", "Before");
    const RegValue* after = tree.FindValue("HKEY_CURRENT_USER\\Software\\B", "After");
    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->data, Bytes(std::string_view("kept", 5)));
    EXPECT_EQ(tree.Values("HKEY_CURRENT_USER\\Software\\A")->size(), 1u) << "nothing of the bad line was kept";
  }

  // The cut-off last line of a file.
  RegTree cut;
  posix::RegFileReading reading = posix::ReadRegFile(head + "\"Settings\"=\"*,3,2", cut);
  ASSERT_EQ(reading.dropped.size(), 1u);
  EXPECT_EQ(reading.dropped[0].first, 5u);
  EXPECT_NE(cut.FindValue("HKEY_CURRENT_USER\\Software\\A", "Before"), nullptr);

  // A file without its header is no Registry Editor file: nothing is read.
  RegTree none;
  none.AddKey("HKEY_CURRENT_USER\\Before");
  reading = posix::ReadRegFile("REGEDIT5\r\n" + tail, none);
  EXPECT_FALSE(reading.isRegFile);
  EXPECT_FALSE(reading.error.empty());
  EXPECT_TRUE(none.HasKey("HKEY_CURRENT_USER\\Before"));
  EXPECT_FALSE(none.HasKey("HKEY_CURRENT_USER\\Software\\B"));
}

// A key path of the given depth below the hive's first level.
std::string DeepKey(size_t levels, std::string_view level = "k") {
  std::string path = "HKEY_CURRENT_USER";
  for (size_t n = 1; n < levels; ++n) {
    path += '\\';
    path += level;
  }
  return path;
}

TEST(RegFile, RefusesKeysBeyondTheRegistrysLimits) {
  struct Case {
    const char* what;
    std::string path;
    posix::AddedKey expected;
    size_t keys;  // the four of the Config path and what the case adds
  } const cases[] = {
      {"512 levels", DeepKey(posix::kMaxKeyDepth), posix::AddedKey::kNew, 4 + 511},
      {"513 levels", DeepKey(posix::kMaxKeyDepth + 1), posix::AddedKey::kRefused, 4},
      {"a level of 255 characters", "HKEY_CURRENT_USER\\" + std::string(255, 'n'), posix::AddedKey::kNew, 5},
      {"a level of 256 characters", "HKEY_CURRENT_USER\\" + std::string(256, 'n'), posix::AddedKey::kRefused, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegTree tree;
    tree.AddKey(kConfig);
    EXPECT_EQ(tree.AddKey(c.path), c.expected);
    // A refused key leaves none of its parents behind.
    EXPECT_EQ(tree.KeyCount(), c.keys);
  }

  RegTree many;
  for (size_t n = 0; n < posix::kMaxKeys - 1; ++n) {
    ASSERT_EQ(many.AddKey("HKEY_CURRENT_USER\\" + std::to_string(n)), posix::AddedKey::kNew);
  }
  EXPECT_EQ(many.AddKey("HKEY_CURRENT_USER\\last"), posix::AddedKey::kNew);
  EXPECT_EQ(many.AddKey("HKEY_CURRENT_USER\\one too many"), posix::AddedKey::kRefused);
}

TEST(RegFile, AFileOfAbsurdKeysDoesNotParse) {
  const std::string cases[] = {
      // 10 KB of one key 5,000 levels deep.
      "REGEDIT4\r\n\r\n[" + DeepKey(5000, "a") + "]\r\n",
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(300, 'n') + "]\r\n",
  };
  for (const std::string& bytes : cases) {
    RegTree tree;
    std::string error;
    EXPECT_FALSE(posix::ParseRegFile(bytes, tree, &error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  }
}

TEST(UserConfigDirectory, FollowsTheEnvironment) {
  struct Case {
    const char* configDir;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
  } const cases[] = {
      {"/srv/saver", "/x", "/home/u", "/srv/saver"},
      {nullptr, "/x", "/home/u", "/x/brindlemar"},
      {"", "/x", "/home/u", "/x/brindlemar"},
      {nullptr, "", "/home/u", "/home/u/.config/brindlemar"},
      {nullptr, "relative", "/home/u", "/home/u/.config/brindlemar"},
      {nullptr, nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(posix::UserConfigDirectory(c.configDir, c.xdgConfigHome, c.home), c.expected);
  }
}

class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("brindlemar-file-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  static fs::path File(const fs::path& dir) { return dir / posix::kSettingsFileName; }

  // The names of everything in dir but the settings file and its lock file.
  static std::vector<std::string> Others(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
      std::string name = entry.path().filename().string();
      if (name != posix::kSettingsFileName && name != posix::kLockFileName) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  // What the stores say went wrong.
  testing::CollectingReporter reporter_;
};

TEST_F(FileStoreTest, WritesUnderTheCurrentUsersHive) {
  posix::FileStore store(dir_.string(), reporter_);
  ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteDword(store, kConfigKey, "Random", 1));
  ASSERT_TRUE(WriteString(store, kConfigKey, "Settings", "*"));
  EXPECT_EQ(ReadBytes(File(dir_)),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tessaloom]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
            "\"Random\"=dword:00000001\r\n"
            "\"Settings\"=\"*\"\r\n\r\n");
  EXPECT_TRUE(Others(dir_).empty());
}

TEST_F(FileStoreTest, CreatesItsDirectoryOnTheFirstChange) {
  fs::path nested = dir_ / "config" / "brindlemar";
  posix::FileStore store(nested.string(), reporter_);
  EXPECT_FALSE(store.OpenKey(kConfigKey));
  EXPECT_FALSE(fs::exists(nested));
  ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
  EXPECT_TRUE(fs::exists(File(nested)));
}

TEST_F(FileStoreTest, KeepsValuesOfARegistryEditorExportItCannotUse) {
  WriteBytes(File(dir_), Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                 u"[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
                                 u"\"Settings\"=\"Grüße\"\r\n"
                                 u"\"Path\"=hex(2):25,00,48,00,00,00\r\n"
                                 u"\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                                 u"[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                                 u"\"Kept\"=dword:00000002\r\n"));
  posix::FileStore store(dir_.string(), reporter_);
  std::string settings;
  ASSERT_TRUE(ReadString(store, kConfigKey, "Settings", 256, settings));
  EXPECT_EQ(settings,
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  ASSERT_TRUE(WriteDword(store, kConfigKey, "Clock", 1));

  std::string text = ReadBytes(File(dir_));
  EXPECT_TRUE(text.starts_with("REGEDIT4\r\n"));
  for (const char* line :
       {"\"Path\"=hex(2):25,48,00\r\n", "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n",
        "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"Kept\"=dword:00000002\r\n", "\"Clock\"=dword:00000001\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

TEST_F(FileStoreTest, AFileThatIsNoSettingsFileIsKeptAsideWholeAndReplacedByDefaults) {
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  } const cases[] = {
      {"empty", ""},
      {"garbage header", "\x01\x02garbage\r\n" + head},
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0", 9)},
      {"too large", head + std::string(posix::kMaxSettingsFileBytes, ';')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = dir_ / c.what;
    fs::create_directories(dir);
    WriteBytes(File(dir), c.bytes);
    posix::FileStore store(dir.string(), reporter_);

    reporter_.Clear();
    EXPECT_FALSE(store.OpenKey(kConfigKey));
    EXPECT_TRUE(store.EnumerateValues(kConfigKey).empty());
    std::string report = reporter_.Text();

    std::vector<std::string> kept = Others(dir);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].starts_with("settings.reg.damaged-")) << kept[0];
    EXPECT_EQ(ReadBytes(dir / kept[0]), c.bytes);
    EXPECT_FALSE(fs::exists(File(dir)));
    EXPECT_EQ(reporter_.LinesStartingWith("settings file"), 1u) << report;
    EXPECT_NE(report.find(File(dir).string()), std::string::npos) << report;
    EXPECT_NE(report.find(kept[0]), std::string::npos) << report;
    posix::SettingsFileDamage damage = store.TakeDamage();
    EXPECT_FALSE(damage.wholeFile.empty());
    EXPECT_EQ(damage.keptAs, (dir / kept[0]).string());
    EXPECT_FALSE(store.TakeDamage().Found()) << "taken once";

    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    ASSERT_TRUE(WriteDword(store, kConfigKey, "Clock", 1));
    EXPECT_TRUE(ReadBytes(File(dir)).starts_with("REGEDIT4\r\n"));
    EXPECT_EQ(ReadBytes(dir / kept[0]), c.bytes);
  }
}

// A user's file: favorites, messages and settings, with one line mistyped.
std::string UsersFile(const std::string& bad) {
  return "REGEDIT4\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
         "\"Settings\"=\"*,3,24,2345,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1\"\r\n" +
         bad +
         "\"Clock\"=dword:00000001\r\n"
         "\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\r\n"
         "\"Fav000\"=\"Mine,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0\"\r\n"
         "\r\n"
         "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Messages]\r\n"
         "\"Message1\"=\"Hello\"\r\n";
}

TEST_F(FileStoreTest, ADamagedLineCostsThatLineAndTheRestIsKept) {
  struct Case {
    const char* what;
    std::string bad;
    const char* said;  // what the report shows of it
  } const cases[] = {
      {"bad DWORD", "\"MaxFPS\"=dword:zz\r\n", "line 5: \"MaxFPS\"=dword:zz (bad DWORD)"},
      {"NUL", std::string("\"Random\"=dword:0000") + '\0' + "\r\n", "line 5: \"Random\"=dword:0000\\x00 (bad DWORD)"},
      {"stray text", "MaxFPS = 60\r\n", "line 5: MaxFPS = 60 (unexpected text)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = dir_ / c.what;
    fs::create_directories(dir);
    const std::string original = UsersFile(c.bad);
    WriteBytes(File(dir), original);

    reporter_.Clear();
    {
      posix::FileStore store(dir.string(), reporter_);
      std::string text;
      ASSERT_TRUE(ReadString(store, kFavoritesKey, "Fav000", 256, text));
      EXPECT_TRUE(text.starts_with("Mine,"));
      ASSERT_TRUE(ReadString(store, kMessagesKey, "Message1", 256, text));
      EXPECT_EQ(text, "Hello");
      int32_t clock = 0;
      EXPECT_TRUE(ReadDword(store, kConfigKey, "Clock", clock));
      EXPECT_EQ(clock, 1);
      posix::SettingsFileDamage damage = store.TakeDamage();
      ASSERT_EQ(damage.dropped.size(), 1u);
      EXPECT_EQ(damage.dropped[0].first, 5u);
      EXPECT_TRUE(damage.wholeFile.empty());
    }
    std::string report = reporter_.Text();

    std::vector<std::string> kept = Others(dir);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].starts_with("settings.reg.damaged-")) << kept[0];
    EXPECT_EQ(ReadBytes(dir / kept[0]), original) << "the copy is the file byte for byte";
    EXPECT_NE(report.find("1 line cannot be read"), std::string::npos) << report;
    EXPECT_NE(report.find(c.said), std::string::npos) << report;
    EXPECT_NE(report.find(kept[0]), std::string::npos) << report;

    // The file now holds what was read; the next start finds nothing wrong
    // and makes no second copy, and a change keeps everything else.
    const std::string rewritten = ReadBytes(File(dir));
    EXPECT_EQ(rewritten.find(c.bad), std::string::npos);
    reporter_.Clear();
    posix::FileStore next(dir.string(), reporter_);
    ASSERT_TRUE(WriteDword(next, kConfigKey, "Style", 1));
    EXPECT_FALSE(next.TakeDamage().Found());
    EXPECT_EQ(reporter_.Text(), "");
    EXPECT_EQ(Others(dir), kept);
    const std::string after = ReadBytes(File(dir));
    for (const char* line : {"\"Fav000\"=\"Mine,", "\"Message1\"=\"Hello\"", "\"Clock\"=dword:00000001",
                             "\"Style\"=dword:00000001", "\"Settings\"=\"*,3,24,2345,"}) {
      EXPECT_NE(after.find(line), std::string::npos) << line;
    }
  }
}

TEST_F(FileStoreTest, ADamagedFileThatCannotBeReplacedIsCopiedOnce) {
  const std::string original = UsersFile("\"MaxFPS\"=dword:zz\r\n");
  WriteBytes(File(dir_), original);
  reporter_.Clear();
  for (int start = 0; start < 3; ++start) {
    FaultyFileSystem files;
    // The copy is renamed into place; the replacement of the file is not.
    files.Fail(FileCall::kRename, EIO, -1, posix::kSettingsFileName);
    posix::FileStore store(dir_.string(), reporter_, files);
    std::string text;
    ASSERT_TRUE(ReadString(store, kFavoritesKey, "Fav000", 256, text));
    EXPECT_FALSE(WriteDword(store, kConfigKey, "Style", 1)) << "a change would lose the damaged line";
    EXPECT_NE(store.LastFailure(), "");
  }
  EXPECT_EQ(ReadBytes(File(dir_)), original);
  std::vector<std::string> kept = Others(dir_);
  ASSERT_EQ(kept.size(), 1u) << "one copy for every start";
  EXPECT_EQ(ReadBytes(dir_ / kept[0]), original);

  // Once the file can be replaced, the copy there serves.
  reporter_.Clear();
  posix::FileStore store(dir_.string(), reporter_);
  ASSERT_TRUE(WriteDword(store, kConfigKey, "Style", 1));
  std::string report = reporter_.Text();
  EXPECT_NE(report.find(kept[0]), std::string::npos) << report;
  EXPECT_EQ(Others(dir_), kept);
  EXPECT_EQ(ReadBytes(File(dir_)).find("MaxFPS"), std::string::npos);
}

TEST_F(FileStoreTest, AReadOnlyFileIsReadAndNeverChanged) {
  struct Case {
    const char* what;
    std::string bytes;
  } const cases[] = {
      {"whole", UsersFile("")},
      {"with a damaged line", UsersFile("\"MaxFPS\"=dword:zz\r\n")},
      {"no settings file", "garbage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = dir_ / c.what;
    fs::create_directories(dir);
    WriteBytes(File(dir), c.bytes);
    fs::permissions(File(dir), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const fs::file_time_type modified = fs::last_write_time(File(dir));

    reporter_.Clear();
    posix::FileStore store(dir.string(), reporter_);
    EXPECT_TRUE(store.ReadOnly());
    std::string text;
    EXPECT_EQ(ReadString(store, kFavoritesKey, "Fav000", 256, text), c.bytes != "garbage");
    // Nothing to change: a value as it is, a key that is there.
    int32_t clock = 0;
    if (ReadDword(store, kConfigKey, "Clock", clock)) {
      EXPECT_TRUE(WriteDword(store, kConfigKey, "Clock", clock));
      EXPECT_TRUE(store.CreateKey(kConfigKey, nullptr));
    }
    EXPECT_FALSE(WriteDword(store, kConfigKey, "Style", 1));
    EXPECT_EQ(store.LastFailure(), "the file is read-only");
    ChangeSet presets;
    presets.unlessKeyExists = kFavoritesKey;
    presets.CreateKey(kFavoritesKey).SetString(kFavoritesKey, "Fav000", "Preset,1");
    EXPECT_NE(store.ApplyChanges(presets), ChangeResult::kMade);

    EXPECT_EQ(ReadBytes(File(dir)), c.bytes);
    EXPECT_EQ(fs::last_write_time(File(dir)), modified);
    EXPECT_TRUE(Others(dir).empty()) << "no copy and no temporary file";
  }
}

TEST_F(FileStoreTest, NewDamageNeverReplacesAnEarlierKeptFile) {
  posix::FileStore store(dir_.string(), reporter_);
  const std::string first = "first damage";
  const std::string second = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\r\n";
  reporter_.Clear();
  WriteBytes(File(dir_), first);
  EXPECT_TRUE(store.EnumerateValues(kConfigKey).empty());
  WriteBytes(File(dir_), second);
  // This time a change finds the damage: it is set aside all the same.
  bool created = false;
  ASSERT_TRUE(store.CreateKey(kConfigKey, &created));
  EXPECT_TRUE(created);
  std::string report = reporter_.Text();
  EXPECT_EQ(reporter_.LinesStartingWith("settings file"), 2u) << report;

  std::vector<std::string> kept = Others(dir_);
  ASSERT_EQ(kept.size(), 2u);
  std::vector<std::string> contents{ReadBytes(dir_ / kept[0]), ReadBytes(dir_ / kept[1])};
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{second, first}));
  EXPECT_TRUE(store.OpenKey(kConfigKey));
}

TEST_F(FileStoreTest, RefusesAChangeThatWouldOutgrowTheFile) {
  posix::FileStore store(dir_.string(), reporter_);
  ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteDword(store, kConfigKey, "Random", 1));
  std::string before = ReadBytes(File(dir_));
  // Three characters of text per byte of data.
  EXPECT_FALSE(WriteBinary(store, kConfigKey, "RanArray", std::vector<uint8_t>(posix::kMaxSettingsFileBytes / 3 + 1)));
  EXPECT_EQ(ReadBytes(File(dir_)), before);
  EXPECT_TRUE(Others(dir_).empty());
  EXPECT_TRUE(WriteBinary(store, kConfigKey, "RanArray", {1}));
}

TEST_F(FileStoreTest, WritersAtTheSameTimeKeepEveryChange) {
  constexpr int kWrites = 100;
  {
    posix::FileStore setup(dir_.string(), reporter_);
    ASSERT_TRUE(setup.CreateKey(kConfigKey, nullptr));
  }
  reporter_.Clear();
  std::atomic<bool> writing{true};
  std::atomic<int> wholeReads{0}, brokenReads{0};
  // Reads the file behind the stores' backs: it must be whole every time.
  std::thread reader([&] {
    while (writing) {
      RegTree tree;
      bool whole = posix::ParseRegFile(ReadBytes(File(dir_)), tree, nullptr);
      ++(whole ? wholeReads : brokenReads);
    }
  });
  std::atomic<int> failedWrites{0};
  auto writer = [&](const char* prefix) {
    // A store of its own, as another process would have.
    posix::FileStore store(dir_.string(), reporter_);
    for (int i = 0; i < kWrites; ++i) {
      if (!WriteDword(store, kConfigKey, prefix + std::to_string(i), i)) ++failedWrites;
    }
  };
  std::thread a(writer, "A"), b(writer, "B");
  a.join();
  b.join();
  writing = false;
  reader.join();
  EXPECT_EQ(reporter_.Text(), "");

  EXPECT_EQ(failedWrites, 0);
  EXPECT_EQ(brokenReads, 0);
  EXPECT_GT(wholeReads, 0);
  posix::FileStore check(dir_.string(), reporter_);
  EXPECT_EQ(check.EnumerateValues(kConfigKey).size(), 2u * kWrites);
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kWrites; ++i) {
      int32_t value = -1;
      ASSERT_TRUE(ReadDword(check, kConfigKey, prefix + std::to_string(i), value)) << prefix << i;
      EXPECT_EQ(value, i);
    }
  }
  EXPECT_TRUE(Others(dir_).empty());  // no temporary file left behind
}

// A settings file with Config's "Random" = 1 and "Settings", written by a
// store of its own; returns its bytes.
std::string WriteGoodFile(const fs::path& dir) {
  posix::FileStore store(dir.string(), testing::UnwatchedReporter());
  EXPECT_TRUE(store.CreateKey(kConfigKey, nullptr));
  EXPECT_TRUE(WriteDword(store, kConfigKey, "Random", 1));
  EXPECT_TRUE(WriteString(store, kConfigKey, "Settings", "*,1,2"));
  return ReadBytes(dir / posix::kSettingsFileName);
}

TEST_F(FileStoreTest, AFileThatCannotBeReadIsNeitherMovedNorRewritten) {
  struct Case {
    const char* what;
    FileCall call;
    int error;
  } const cases[] = {
      {"no permission", FileCall::kOpen, EACCES},
      {"no descriptors left", FileCall::kOpen, EMFILE},
      {"no descriptors left in the system", FileCall::kOpen, ENFILE},
      {"no memory", FileCall::kOpen, ENOMEM},
      {"input error on open", FileCall::kOpen, EIO},
      {"input error on read", FileCall::kRead, EIO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = dir_ / c.what;
    fs::create_directories(dir);
    const std::string good = WriteGoodFile(dir);
    FaultyFileSystem files;
    files.Fail(c.call, c.error, -1, c.call == FileCall::kRead ? "" : posix::kSettingsFileName);
    posix::FileStore store(dir.string(), reporter_, files);

    reporter_.Clear();
    int32_t random = 7;
    EXPECT_FALSE(ReadDword(store, kConfigKey, "Random", random));
    EXPECT_EQ(random, 7);
    EXPECT_FALSE(store.OpenKey(kConfigKey));
    EXPECT_FALSE(WriteDword(store, kConfigKey, "Clock", 1));
    std::string report = reporter_.Text();

    EXPECT_EQ(reporter_.LinesStartingWith("cannot read settings file"), 1u) << report;
    EXPECT_NE(report.find(std::strerror(c.error)), std::string::npos) << report;
    EXPECT_EQ(ReadBytes(File(dir)), good);
    EXPECT_TRUE(Others(dir).empty());
  }
}

TEST_F(FileStoreTest, SomethingElseInTheFilesPlaceIsLeftAlone) {
  for (const char* what : {"pipe", "directory"}) {
    SCOPED_TRACE(what);
    fs::path dir = dir_ / what;
    fs::create_directories(dir);
    if (std::string(what) == "pipe") {
      ASSERT_EQ(mkfifo(File(dir).c_str(), 0600), 0);
    } else {
      fs::create_directories(File(dir));
    }
    posix::FileStore store(dir.string(), reporter_);
    reporter_.Clear();
    EXPECT_FALSE(store.OpenKey(kConfigKey));
    EXPECT_FALSE(store.CreateKey(kConfigKey, nullptr));
    std::string report = reporter_.Text();
    EXPECT_EQ(reporter_.LinesStartingWith("cannot read settings file"), 1u) << report;
    EXPECT_TRUE(std::string(what) == "pipe" ? fs::is_fifo(File(dir)) : fs::is_directory(File(dir)));
    EXPECT_TRUE(Others(dir).empty());
  }
}

TEST_F(FileStoreTest, InterruptedCallsAreMadeAgain) {
  FaultyFileSystem files;
  for (FileCall call : {FileCall::kOpen, FileCall::kRead, FileCall::kWrite, FileCall::kFsync, FileCall::kFlock,
                        FileCall::kMkdir, FileCall::kMakeTemp, FileCall::kRename, FileCall::kStat}) {
    files.Fail(call, EINTR, 2);
  }
  posix::FileStore store(dir_.string(), reporter_, files);
  reporter_.Clear();
  ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteDword(store, kConfigKey, "Random", 1));
  posix::FileStore other(dir_.string(), reporter_, files);
  int32_t random = 0;
  EXPECT_TRUE(ReadDword(other, kConfigKey, "Random", random));
  EXPECT_EQ(random, 1);
  EXPECT_EQ(reporter_.Text(), "");
  EXPECT_TRUE(Others(dir_).empty());
}

TEST_F(FileStoreTest, AChangeThatCannotBeSavedIsReportedOnceAndChangesNothing) {
  struct Case {
    const char* what;
    FileCall call;
    int error;
    std::string path;
  } const cases[] = {
      {"disk full", FileCall::kWrite, ENOSPC, ""},
      {"quota", FileCall::kWrite, EDQUOT, ""},
      {"flush fails", FileCall::kFsync, EIO, ""},
      {"directory not writable", FileCall::kMakeTemp, EACCES, ""},
      {"rename fails", FileCall::kRename, EIO, ""},
      {"no lock file", FileCall::kOpen, EROFS, posix::kLockFileName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = dir_ / c.what;
    fs::create_directories(dir);
    const std::string good = WriteGoodFile(dir);
    FaultyFileSystem files;
    files.Fail(c.call, c.error, -1, c.path);
    posix::FileStore store(dir.string(), reporter_, files);

    reporter_.Clear();
    EXPECT_FALSE(WriteDword(store, kConfigKey, "Clock", 1));
    EXPECT_FALSE(WriteDword(store, kConfigKey, "Style", 1));
    int32_t random = 0;
    EXPECT_TRUE(ReadDword(store, kConfigKey, "Random", random));
    std::string report = reporter_.Text();

    EXPECT_EQ(reporter_.LinesStartingWith("the settings could not be saved"), 1u) << report;
    EXPECT_NE(report.find(std::strerror(c.error)), std::string::npos) << report;
    EXPECT_EQ(ReadBytes(File(dir)), good);
    EXPECT_TRUE(Others(dir).empty());  // no temporary file left either
  }
}

TEST_F(FileStoreTest, TemporaryFilesOfEndedWritersGoWithTheNextChange) {
  const std::vector<std::string> stale = {"settings.reg.tmp-AbC123", "settings.reg.tmp-zz9zz9"};
  const std::vector<std::string> kept = {"notes.tmp-123456", "settings.reg.tmp-1234567", "settings.reg.tmp-12345"};
  for (const std::string& name : stale) WriteBytes(dir_ / name, "REGEDIT4\r\n");
  for (const std::string& name : kept) WriteBytes(dir_ / name, "x");
  posix::FileStore store(dir_.string(), reporter_);
  EXPECT_EQ(Others(dir_).size(), stale.size() + kept.size());  // reads leave them
  ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Others(dir_), expected);
}

TEST_F(FileStoreTest, ALinkedSettingsFileIsWrittenThroughItsLink) {
  struct Case {
    const char* what;
    std::string link;      // what settings.reg points to, from the settings directory
    std::string target;    // the file that holds the settings, from the test directory
    std::string hop;       // a link on the way, from the test directory, or ""
  } const cases[] = {
      {"relative", "../dotfiles/brindlemar.reg", "dotfiles/brindlemar.reg", ""},
      {"absolute", "", "dotfiles/brindlemar.reg", ""},
      {"link to a link", "../hop.reg", "dotfiles/brindlemar.reg", "hop.reg"},
      {"dangling", "../dotfiles/new.reg", "dotfiles/new.reg", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path base = dir_ / c.what;
    fs::path config = base / "config";
    fs::create_directories(config);
    fs::create_directories(base / "dotfiles");
    fs::path target = base / c.target;
    if (std::string(c.what) != "dangling") {
      WriteGoodFile(config);
      fs::rename(File(config), target);
    }
    if (!c.hop.empty()) fs::create_symlink("dotfiles/brindlemar.reg", base / c.hop);
    std::string link = c.link.empty() ? target.string() : c.link;
    fs::create_symlink(link, File(config));

    posix::FileStore store(config.string(), reporter_);
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    ASSERT_TRUE(WriteDword(store, kConfigKey, "Clock", 1));

    EXPECT_TRUE(fs::is_symlink(File(config)));
    EXPECT_EQ(fs::read_symlink(File(config)).string(), link);
    if (!c.hop.empty()) {
      EXPECT_TRUE(fs::is_symlink(base / c.hop));
    }
    EXPECT_NE(ReadBytes(target).find("\"Clock\"=dword:00000001"), std::string::npos);
    posix::FileStore again(config.string(), reporter_);
    int32_t clock = 0;
    EXPECT_TRUE(ReadDword(again, kConfigKey, "Clock", clock));
    EXPECT_EQ(clock, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(base / "dotfiles"), fs::directory_iterator()), 1);
  }
}

TEST_F(FileStoreTest, TheFileIsParsedOncePerChange) {
  constexpr int kValues = 1000;
  ChangeSet many;
  many.CreateKey(kFavoritesKey);
  for (int k = 0; k < kValues; ++k) many.SetString(kFavoritesKey, "Fav" + std::to_string(k), "Name,1,2,3");
  posix::FileStore writer(dir_.string(), reporter_);
  ASSERT_EQ(writer.ApplyChanges(many), ChangeResult::kMade);

  FaultyFileSystem files;
  posix::FileStore reader(dir_.string(), reporter_, files);
  std::string text;
  for (int k = 0; k < kValues; ++k) ASSERT_TRUE(ReadString(reader, kFavoritesKey, "Fav" + std::to_string(k), 64, text));
  EXPECT_EQ(files.Calls(FileCall::kOpen), 1);

  // Another writer's change is seen at the next read, with one more parse.
  ASSERT_TRUE(WriteString(writer, kFavoritesKey, "Fav0", "Changed,1"));
  ASSERT_TRUE(ReadString(reader, kFavoritesKey, "Fav0", 64, text));
  EXPECT_EQ(text, "Changed,1");
  ASSERT_TRUE(ReadString(reader, kFavoritesKey, "Fav1", 64, text));
  EXPECT_EQ(files.Calls(FileCall::kOpen), 2);
}

TEST_F(FileStoreTest, ASetOfChangesIsOneReplacementOrNothing) {
  const std::string good = WriteGoodFile(dir_);
  FaultyFileSystem files;
  posix::FileStore store(dir_.string(), reporter_, files);
  ChangeSet set;
  set.DeleteKey(kConfigKey).CreateKey(kFavoritesKey);
  for (int k = 0; k < 51; ++k) set.SetString(kFavoritesKey, "Fav" + std::to_string(k), "Name,1");
  ASSERT_EQ(store.ApplyChanges(set), ChangeResult::kMade);
  EXPECT_EQ(files.Calls(FileCall::kRename), 1);
  EXPECT_FALSE(store.OpenKey(kConfigKey));
  EXPECT_EQ(store.EnumerateValues(kFavoritesKey).size(), 51u);

  // A set that cannot be made in full changes nothing.
  ChangeSet broken;
  broken.SetString(kFavoritesKey, "Fav0", "Other,1").SetString("Software\\Nowhere", "x", "y");
  std::string before = ReadBytes(File(dir_));
  EXPECT_EQ(store.ApplyChanges(broken), ChangeResult::kFailed);
  EXPECT_EQ(ReadBytes(File(dir_)), before);
  std::string text;
  ASSERT_TRUE(ReadString(store, kFavoritesKey, "Fav0", 64, text));
  EXPECT_EQ(text, "Name,1");
}

}  // namespace
}  // namespace brindlemar

#endif  // !defined(_WIN32)
