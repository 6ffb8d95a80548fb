// What the configuration dialogs ask of their platform beyond their own
// controls: message boxes, the satellite dialogs (each of which runs its own
// logic from ui/ over its own controls), help, the about box, the full-screen
// saver run, the preview field's window, and a few facts about the machine.
//
// One host serves the main dialog and the satellites. Everything here is
// modal from the logic's side: a call returns when what it started is over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindlemar {
class DisplayModeSource;
class ParticleField;
}  // namespace brindlemar

namespace brindlemar::ui {

// The help topics, by the keyword that opens each.
inline constexpr const char* kMainHelpTopic = "Main Help Page";
inline constexpr const char* kMessagesHelpTopic = "Messages";
inline constexpr const char* kStyleHelpTopic = "Additional Configuration Settings";

enum class MessageIcon : int32_t { kInformation, kWarning };

// The two confirmations of the favorites: replace (dialog 136) or remove
// (dialog 135) the named favorite.
enum class FavoriteQuestion : int32_t { kReplace, kRemove };

// What the additional settings dialog edits: a configuration's style block.
struct StyleEdit {
  int32_t configuration = 0;  // selects the style table row
  int32_t count = 0;          // settings in use, 1 to 4
  int32_t values[4] = {};     // the colour (0 black, 1 white, 2 random), then the numbers
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  virtual void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;

  // Dialog 131: 1 after OK with the name typed, 0 after Cancel.
  virtual int32_t RunAddFavorite(std::string& name) = 0;
  // Dialogs 135 and 136: 1 when the user confirms.
  virtual int32_t RunFavoriteQuestion(FavoriteQuestion question, std::string_view name) = 0;
  // Dialog 132; it writes the Messages key itself.
  virtual void RunMessages() = 0;
  // Dialog 138: 1 after OK (edit then holds the new values), 0 after Cancel.
  virtual int32_t RunStyleSettings(StyleEdit& edit) = 0;
  virtual void RunAbout() = 0;

  // Opens the help topic named by keyword; failures pass silently.
  virtual void ShowHelpTopic(std::string_view keyword) = 0;
  // The product's page (the front page of the help: it has no other).
  virtual void OpenWebPage() = 0;

  // Runs the saver full screen with the stored settings and returns when it
  // has ended, the dialog back in front.
  virtual void RunFullScreenSaver() = 0;

  // Attaches field to the preview's window (not full screen, no random
  // favorite); 1 on success.
  virtual int32_t AttachPreview(ParticleField& field) = 0;

  // Whether the platform can change the display mode for the saver at all.
  virtual bool DirectDrawAvailable() = 0;
  // The modes it can change to.
  virtual const DisplayModeSource& DisplayModes() = 0;
  // Whether the saver itself asks for a password (then it never changes the
  // display mode).
  virtual bool PasswordProtected() = 0;
  // The scalable font families of the system, full names in the system's
  // order; the messages dialog filters and sorts them.
  virtual std::vector<std::string> ScalableFontFamilies() = 0;
};

}  // namespace brindlemar::ui
