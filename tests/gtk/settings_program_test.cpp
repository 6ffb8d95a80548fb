// The settings file's round trip through the settings window: the window
// (real widgets, the logic from ui/, the real settings file in a directory
// of the test's own) is driven as a user drives it, and what OK, Cancel and
// the messages editor leave in the file is read back with a fresh store. The
// preview's timer is the test's, so the window runs without real time.
#include <gtest/gtest.h>
#include <gtkmm.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "gtk/manual_timer.h"
#include "platform/posix/file_store.h"
#include "platform/posix/gtk/settings_program.h"
#include "settings/favorite_record.h"
#include "settings/settings_store.h"
#include "support/collecting_reporter.h"
#include "support/shared_state.h"
#include "ui/dialog_ids.h"

namespace brindlemar::gtk {
namespace {

namespace fs = std::filesystem;

// A click as the button's gesture makes it (activating a button clicks it
// only after a delay).
void Click(Gtk::Widget& button) { g_signal_emit_by_name(button.gobj(), "clicked"); }

template <typename Widget>
Widget& Get(LogicWindow& window, int32_t id) {
  auto* widget = dynamic_cast<Widget*>(window.Controls().WidgetOf(id));
  if (!widget) throw std::runtime_error("no widget of that kind for control " + std::to_string(id));
  return *widget;
}

// The position of the entry with this text in a list of the window.
int32_t Find(LogicWindow& window, int32_t id, const std::string& text) {
  GtkDialogControls& c = window.Controls();
  for (int32_t i = 0; i < c.EntryCount(id); ++i) {
    if (c.EntryText(id, i) == text) return i;
  }
  return -1;
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SettingsProgramTest : public ::testing::Test {
 protected:
  SettingsProgramTest() : dir_(fs::temp_directory_path() / ("h15-program-" + std::to_string(::getpid()))) {
    fs::remove_all(dir_);
  }
  ~SettingsProgramTest() override { fs::remove_all(dir_); }

  // Runs a window over the settings directory; steps act in it once it runs.
  // The user answers every message box, whose texts go to said_.
  int32_t RunWindow(const std::function<void(SettingsSession&)>& steps) {
    sigc::connection answering = Glib::signal_timeout().connect(
        [&] {
          for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
            auto* box = dynamic_cast<Gtk::MessageDialog*>(window);
            if (!box || !box->get_visible()) continue;
            said_.push_back(box->property_text().get_value());
            box->response(Gtk::ResponseType::OK);
          }
          return true;
        },
        20);
    SettingsSession session(dir_.string(), reporter_, timer_, ProgramPlaces{});
    notice_ = session.Window().Notice().get_visible() ? session.Window().Notice().get_text() : "";
    Glib::signal_idle().connect_once([&] { steps(session); });
    const int32_t result = session.Run();
    answering.disconnect();
    return result;
  }

  int32_t Dword(const char* key, const char* name) {
    posix::FileStore store(dir_.string(), reporter_);
    int32_t value = -99;
    ReadDword(store, key, name, value);
    return value;
  }
  std::string String(const char* key, const char* name) {
    posix::FileStore store(dir_.string(), reporter_);
    std::string value = "(missing)";
    ReadString(store, key, name, 1024, value);
    return value;
  }

  testing::SharedStateScope shared_;
  testing::StyleTableScope table_;
  fs::path dir_;
  // What the stores and the session say went wrong.
  testing::CollectingReporter reporter_;
  ManualTimer timer_;
  std::string notice_;
  std::vector<std::string> said_;
};

TEST_F(SettingsProgramTest, OkSavesWhatTheWindowShowsAndLeavesTheDisplayModeAlone) {
  {
    posix::FileStore store(dir_.string(), reporter_);
    store.CreateKey(kConfigKey, nullptr);
    WriteDword(store, kConfigKey, "DirectDraw", 1);
    WriteDword(store, kConfigKey, "ScreenResX", 1024);
    WriteDword(store, kConfigKey, "ScreenResY", 768);
    WriteDword(store, kConfigKey, "ScreenResBits", 16);
  }
  int32_t fountain = -1;
  const int32_t result = RunWindow([&](SettingsSession& s) {
    ConfigWindow& w = s.Window();
    // A first run starts on the random rotation: the user turns it off and
    // goes to the Main page.
    Get<Gtk::CheckButton>(w, IDC_RANDOM_CHOSEN).activate();
    Get<Gtk::Stack>(w, IDC_TABS).set_visible_child("main");
    const int32_t line = Find(w, IDC_CONFIGURATION, "Fountain");
    fountain = w.Controls().EntryData(IDC_CONFIGURATION, line);
    Get<Gtk::DropDown>(w, IDC_CONFIGURATION).set_selected(static_cast<guint>(line));
    Get<Gtk::SpinButton>(w, IDC_GRAINS).set_value(2345);
    g_signal_emit_by_name(Get<Gtk::Scale>(w, IDC_BRIGHTNESS).gobj(), "move-slider", GTK_SCROLL_START);
    Get<Gtk::CheckButton>(w, IDC_LARGE_DOTS).activate();
    Get<Gtk::CheckButton>(w, IDC_SHOW_ZODIAC).activate();
    for (int frame = 0; frame < 3; ++frame) timer_.Fire();
    EXPECT_EQ(s.Preview().Memory().ShownFrames(), 3u);
    EXPECT_EQ(s.Field().configuration, fountain) << "the preview shows the change at once";
    EXPECT_EQ(s.Field().dotStyle, 3);
    Click(Get<Gtk::Button>(w, IDC_OK));
  });
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(notice_.empty()) << notice_;

  const FavoriteRecord saved = ParseRecord(String(kConfigKey, "Settings"));
  EXPECT_EQ(saved.name, "*");
  EXPECT_EQ(saved.configuration, fountain);
  EXPECT_EQ(saved.grains, 2345);
  EXPECT_EQ(saved.brightness, 10);
  EXPECT_EQ(saved.dotStyle, 3);
  EXPECT_EQ(Dword(kConfigKey, "Random"), 0);
  EXPECT_EQ(Dword(kConfigKey, "Clock"), 1);
  EXPECT_EQ(Dword(kConfigKey, "Style"), 1);
  EXPECT_EQ(Dword(kConfigKey, "DirectDraw"), 1);
  EXPECT_EQ(Dword(kConfigKey, "ScreenResX"), 1024);
  EXPECT_EQ(Dword(kConfigKey, "ScreenResY"), 768);
  EXPECT_EQ(Dword(kConfigKey, "ScreenResBits"), 16);
  EXPECT_FALSE(posix::FileStore(dir_.string(), reporter_).OpenKey(kBackupKey)) << "the backup goes with the window";
  EXPECT_FALSE(String(kFavoritesKey, "Fav050").empty()) << "the first run installed the presets";
}

TEST_F(SettingsProgramTest, CancelLeavesTheFileAsItWas) {
  RunWindow([](SettingsSession& s) { Click(Get<Gtk::Button>(s.Window(), IDC_OK)); });
  const std::string before = FileText(dir_ / posix::kSettingsFileName);

  const int32_t result = RunWindow([](SettingsSession& s) {
    ConfigWindow& w = s.Window();
    Get<Gtk::CheckButton>(w, IDC_SHOW_CLOCK).activate();
    Get<Gtk::CheckButton>(w, IDC_RANDOM_CHOSEN).activate();
    Get<Gtk::Stack>(w, IDC_TABS).set_visible_child("main");
    Get<Gtk::SpinButton>(w, IDC_GRAINS).set_value(900);
    Click(Get<Gtk::Button>(w, IDC_CANCEL));
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(FileText(dir_ / posix::kSettingsFileName), before);
}

TEST_F(SettingsProgramTest, MessagesEditorWritesTheMessagesKey) {
  std::string font;
  std::string shownMin, shownMax;
  RunWindow([&](SettingsSession& s) {
    ConfigWindow& w = s.Window();
    Get<Gtk::CheckButton>(w, IDC_SHOW_MESSAGES).activate();
    Glib::signal_idle().connect_once([&] {
      LogicWindow* editor = s.Host().RunningSatellite();
      ASSERT_NE(editor, nullptr);
      EXPECT_EQ(editor->get_title(), "Pop-up Messages");
      Get<Gtk::TextView>(*editor, IDC_MESSAGES_TEXT).get_buffer()->set_text("Hello\nBrindlemar\\rfans\n");
      Get<Gtk::SpinButton>(*editor, IDC_MESSAGES_MIN_TIME).set_value(10);
      Get<Gtk::SpinButton>(*editor, IDC_MESSAGES_MAX_TIME).set_value(5);
      Get<Gtk::CheckButton>(*editor, IDC_MESSAGES_BOLD).activate();
      auto& fonts = Get<Gtk::DropDown>(*editor, IDC_MESSAGES_FONT);
      const int32_t serif = Find(*editor, IDC_MESSAGES_FONT, "DejaVu Serif");
      ASSERT_GE(serif, 0) << "the scalable families are listed";
      fonts.set_selected(static_cast<guint>(serif));
      font = editor->Controls().EntryText(IDC_MESSAGES_FONT, serif);
      Click(Get<Gtk::Button>(*editor, IDC_OK));
    });
    Click(Get<Gtk::Button>(w, IDC_EDIT_MESSAGES));
    shownMin = w.Controls().Text(IDC_MIN_TIME);
    shownMax = w.Controls().Text(IDC_MAX_TIME);
    Click(Get<Gtk::Button>(w, IDC_OK));
  });
  EXPECT_EQ(String(kMessagesKey, "Message1"), "Hello");
  EXPECT_EQ(String(kMessagesKey, "Message2"), "Brindlemar\\rfans");
  EXPECT_EQ(String(kMessagesKey, "Message3"), "(missing)") << "a final line break adds no message";
  EXPECT_EQ(Dword(kMessagesKey, "Num"), 2);
  EXPECT_EQ(Dword(kMessagesKey, "MinTime"), 10);
  EXPECT_EQ(Dword(kMessagesKey, "MaxTime"), 11);
  EXPECT_EQ(Dword(kMessagesKey, "Bold"), 0);
  EXPECT_EQ(Dword(kMessagesKey, "Italic"), 1);
  EXPECT_EQ(String(kMessagesKey, "Font"), font);
  EXPECT_EQ(Dword(kConfigKey, "Messages"), 1);
  // The Random page shows the delays the editor stored.
  EXPECT_EQ(shownMin, "10");
  EXPECT_EQ(shownMax, "11");
}

TEST_F(SettingsProgramTest, SavesThatFailAreSaidOnceWithTheirCause) {
  // No directory can be made there, not even by root.
  dir_ = "/proc/brindlemar-settings-test";
  // Opening the window saves the backup, OK the settings: both fail alike.
  const int32_t result = RunWindow([&](SettingsSession& s) { Click(Get<Gtk::Button>(s.Window(), IDC_OK)); });
  EXPECT_EQ(result, 1);
  ASSERT_EQ(said_.size(), 1u) << "OK closed the window as if it had saved, or the cause was said more than once";
  EXPECT_EQ(said_[0], "The settings could not be saved in /proc/brindlemar-settings-test/settings.reg: " +
                          std::string(std::strerror(ENOENT)) + " (/proc/brindlemar-settings-test).");
}

// Something in the settings file's place that cannot be read: the window
// opens at once (a pipe must not hold it), says why once, above its pages,
// and never writes.
TEST_F(SettingsProgramTest, AFileThatCannotBeReadIsSaidAboveThePagesAndLeftAlone) {
  struct Case {
    const char* what;
    const char* cause;
    std::function<void(const fs::path&)> make;
  } const cases[] = {
      {"directory", "it is a directory", [](const fs::path& file) { fs::create_directories(file); }},
      {"pipe", "it is a pipe", [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
      {"device", "it is a device", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }},
      {"link loop", std::strerror(ELOOP), [](const fs::path& file) { fs::create_symlink(file.filename(), file); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path file = dir_ / posix::kSettingsFileName;
    c.make(file);
    said_.clear();
    int32_t grains = 0;
    const int32_t result = RunWindow([&](SettingsSession& s) {
      grains = s.Field().grainCapacity;
      Get<Gtk::CheckButton>(s.Window(), IDC_SHOW_CLOCK).activate();
      Click(Get<Gtk::Button>(s.Window(), IDC_OK));
    });
    EXPECT_EQ(result, 1);
    EXPECT_NE(notice_.find("cannot be read (" + std::string(c.cause) + ")"), std::string::npos) << notice_;
    EXPECT_TRUE(said_.empty()) << said_[0];
    EXPECT_GT(grains, 0) << "the preview shows the defaults";
    const fs::file_status status = fs::symlink_status(file);
    EXPECT_TRUE(fs::is_directory(status) || fs::is_fifo(status) || fs::is_symlink(status));
  }
}

TEST_F(SettingsProgramTest, AReadOnlyFileIsShownAsStoredAndNeverChanged) {
  {
    posix::FileStore store(dir_.string(), reporter_);
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    ASSERT_TRUE(WriteString(store, kConfigKey, "Settings",
                            "*,3,24,2345,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1"));
    ASSERT_TRUE(WriteDword(store, kConfigKey, "Random", 0));
  }
  const fs::path file = dir_ / posix::kSettingsFileName;
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = FileText(file);
  const fs::file_time_type modified = fs::last_write_time(file);

  std::string shownGrains;
  for (int32_t button : {IDC_OK, IDC_CANCEL}) {
    said_.clear();
    RunWindow([&](SettingsSession& s) {
      ConfigWindow& w = s.Window();
      shownGrains = w.Controls().Text(IDC_GRAINS);
      Get<Gtk::CheckButton>(w, IDC_SHOW_CLOCK).activate();
      Get<Gtk::SpinButton>(w, IDC_GRAINS).set_value(900);
      Click(Get<Gtk::Button>(w, button));
    });
    EXPECT_NE(notice_.find("is read-only"), std::string::npos) << notice_;
    EXPECT_TRUE(said_.empty()) << said_[0];
    EXPECT_EQ(shownGrains, "2345");
    EXPECT_EQ(FileText(file), before);
    EXPECT_EQ(fs::last_write_time(file), modified) << "the file was replaced";
  }
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == posix::kSettingsFileName || name == posix::kLockFileName) << name;
  }
}

// A read-only file that is damaged stays as it is: the notice says what is
// shown, and that nothing is saved, once.
TEST_F(SettingsProgramTest, AReadOnlyDamagedFileIsSaidOnceAndLeftAlone) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* said;
    const char* shown;
  } const cases[] = {
      {"a damaged line",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
       "\"MaxFPS\"=dword:zz\r\n\"Clock\"=dword:00000001\r\n",
       "line 4: \"MaxFPS\"=dword:zz (bad DWORD)", "shown as stored"},
      {"no settings file", "this is not a settings file\n", "damaged (line 1: not a Registry Editor file)",
       "the settings shown are the defaults"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path file = dir_ / posix::kSettingsFileName;
    std::ofstream(file, std::ios::binary) << c.bytes;
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    said_.clear();
    RunWindow([&](SettingsSession& s) {
      Get<Gtk::CheckButton>(s.Window(), IDC_SHOW_CLOCK).activate();
      Click(Get<Gtk::Button>(s.Window(), IDC_OK));
    });
    EXPECT_NE(notice_.find(c.said), std::string::npos) << notice_;
    EXPECT_NE(notice_.find("read-only"), std::string::npos) << notice_;
    EXPECT_NE(notice_.find(c.shown), std::string::npos) << notice_;
    const size_t nothing = notice_.find("nothing");
    EXPECT_NE(nothing, std::string::npos) << notice_;
    EXPECT_EQ(notice_.find("nothing", nothing + 1), std::string::npos) << "said twice: " << notice_;
    EXPECT_TRUE(said_.empty()) << said_[0];
    EXPECT_EQ(FileText(file), c.bytes);
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == posix::kSettingsFileName || name == posix::kLockFileName) << name;
    }
  }
}

TEST_F(SettingsProgramTest, ADamagedLineIsLeftOutAndSaidAboveThePages) {
  fs::create_directories(dir_);
  const std::string damaged =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Config]\r\n"
      "\"MaxFPS\"=dword:zz\r\n"
      "\"Clock\"=dword:00000001\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaloom\\Brindlemar\\Favorites]\r\n"
      "\"Fav000\"=\"Mine,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0\"\r\n";
  std::ofstream(dir_ / posix::kSettingsFileName, std::ios::binary) << damaged;
  bool listed = false;
  std::string clock;
  RunWindow([&](SettingsSession& s) {
    ConfigWindow& w = s.Window();
    listed = Find(w, IDC_FAVORITES, "Mine") >= 0;
    clock = Get<Gtk::CheckButton>(w, IDC_SHOW_CLOCK).get_active() ? "on" : "off";
    Click(Get<Gtk::Button>(w, IDC_OK));
  });
  EXPECT_TRUE(listed) << "the favorites of the file are kept";
  EXPECT_EQ(clock, "on");
  EXPECT_NE(notice_.find("line 4: \"MaxFPS\"=dword:zz (bad DWORD)"), std::string::npos) << notice_;
  int kept = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    if (!entry.path().filename().string().starts_with("settings.reg.damaged-")) continue;
    ++kept;
    EXPECT_NE(notice_.find(entry.path().string()), std::string::npos) << notice_;
    EXPECT_EQ(FileText(entry.path()), damaged);
  }
  EXPECT_EQ(kept, 1);
  EXPECT_TRUE(String(kFavoritesKey, "Fav000").starts_with("Mine,"));
  EXPECT_EQ(FileText(dir_ / posix::kSettingsFileName).find("MaxFPS"), std::string::npos);
}

// The images within widget, depth first.
void CollectImages(Gtk::Widget& widget, std::vector<Gtk::Image*>& images) {
  if (auto* image = dynamic_cast<Gtk::Image*>(&widget)) images.push_back(image);
  for (Gtk::Widget* child = widget.get_first_child(); child; child = child->get_next_sibling()) {
    CollectImages(*child, images);
  }
}

TEST_F(SettingsProgramTest, ADamagedFileIsKeptAsideAndReportedInTheWindow) {
  fs::create_directories(dir_);
  std::ofstream(dir_ / posix::kSettingsFileName) << "this is not a settings file\n[unterminated";
  std::vector<std::string> icons;
  const int32_t result = RunWindow([&icons](SettingsSession& s) {
    // The report's warning sign: an icon of the theme, not a file of that
    // name (which shows as the missing-image icon).
    std::vector<Gtk::Image*> images;
    CollectImages(s.Window(), images);
    for (Gtk::Image* image : images) {
      if (image->get_storage_type() == Gtk::Image::Type::ICON_NAME) icons.push_back(image->get_icon_name());
    }
    Click(Get<Gtk::Button>(s.Window(), IDC_OK));
  });
  EXPECT_NE(std::find(icons.begin(), icons.end(), "dialog-warning-symbolic"), icons.end());
  EXPECT_EQ(result, 1);
  ASSERT_NE(notice_.find("damaged"), std::string::npos) << notice_;
  int kept = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("settings.reg.damaged-", 0) != 0) continue;
    ++kept;
    EXPECT_NE(notice_.find(entry.path().string()), std::string::npos) << notice_;
    EXPECT_EQ(FileText(entry.path()), "this is not a settings file\n[unterminated");
  }
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(ParseRecord(String(kConfigKey, "Settings")).name, "*") << "OK saved into a new file";
}

}  // namespace
}  // namespace brindlemar::gtk
