// The saver's own password protection, for the platforms where the saver and
// not the system asks for the password: the scrambled stored form, the
// on-screen prompt that holds back the end of the saver until the password
// is typed, and the change of the stored password.
//
// The prompt's state lives in the field (passwordPrompt, passwordEntry,
// promptDeadline, shiftDown); time comes from the field's clock and settings
// from its store. Keys are virtual key codes (shell/input_rules.h).
// Nothing here shows a window: the change of password reports the notice to
// show and the caller shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar {

class Canvas;
class ParticleField;
class SettingsStore;

// On the NT family the system asks for the password itself.
enum class PlatformFamily : int32_t { kWindows9x, kWindowsNt };

// passwordPrompt values.
inline constexpr int32_t kPromptNone = 0;
inline constexpr int32_t kPromptTyping = 1;
inline constexpr int32_t kPromptAccepted = 2;

inline constexpr const char* kNoPassword = "(none)";
inline constexpr int32_t kMaxPasswordLength = 127;
// "Pass" is read with room for the longest password and its NUL.
inline constexpr size_t kStoredPasswordBytes = kMaxPasswordLength + 1;
inline constexpr uint32_t kPromptTimeoutMs = 15000;

inline constexpr const char* kPromptText = "Brindlemar is password protected!\r\nPlease enter password.";

inline constexpr const char* kPasswordMismatchText = "Passwords do not match!  Password not changed.";
inline constexpr const char* kPasswordInvalidText =
    "Passwords can contain only letters (upper and lower case), numerals and spaces.";
inline constexpr const char* kPasswordChangedText = "Password changed successfully.";
inline constexpr const char* kPasswordNoticeCaption = "Windows";
inline constexpr const char* kPasswordInvalidCaption = "Invalid Password";

// Whether the saver must ask for a password: never on the NT family; else
// when the system's switch is on and a password is stored.
int32_t IsPasswordProtected(PlatformFamily family, uint32_t useValue, std::string_view storedPass);
// The same with the switch ("ScreenSaveUsePassword") and "Pass" read from
// the store.
int32_t IsPasswordProtected(PlatformFamily family, SettingsStore& store);

// Turns a password into its stored form, in place: at least 12 characters,
// each in 32..127 or 160..191; the empty password becomes "(none)".
void ScramblePassword(std::string& text);

// Asked when the saver window is to close: 1 when it may, 0 when the prompt
// has been raised (or is up) instead.
int32_t RequestClose(ParticleField& field);

// The character a key types into the prompt, or 0 for none.
char PasswordKeyChar(int32_t key, int32_t shiftDown);

// Offers a pressed key to the prompt, raising it first where the password is
// required: 1 when the key was taken, 0 when it goes on to end the saver.
int32_t HandlePasswordKey(ParticleField& field, int32_t key);

void NoteShiftReleased(ParticleField& field);

// Draws the prompt into the frame (in black when visible is 0, which erases
// it) and takes it down once its time has run out.
void DrawPasswordPrompt(ParticleField& field, Canvas& canvas, int32_t visible);

enum class NoticeIcon : int32_t { kNone, kStop, kInformation };

struct PasswordNotice {
  const char* text = nullptr;  // null: nothing to show
  const char* caption = nullptr;
  NoticeIcon icon = NoticeIcon::kNone;
};

struct PasswordChange {
  // The two entries differ: the dialog stays open on the new password.
  int32_t mismatch = 0;
  PasswordNotice notice;
};

// The OK button of the change-password dialog: checks the two entries and
// stores the new password's scrambled form as "Pass".
PasswordChange ApplyNewPassword(SettingsStore& store, std::string_view newPassword, std::string_view confirmation);

}  // namespace brindlemar
