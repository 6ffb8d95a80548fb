#include "shell/password.h"

#include <memory>

#include "engine/particle_field.h"
#include "overlays/canvas.h"
#include "settings/settings_store.h"
#include "shell/input_rules.h"

namespace brindlemar {
namespace {

constexpr int32_t kScrambledMinLength = 12;

// Characters are signed 8-bit numbers throughout the scramble.
int32_t Signed(char c) { return static_cast<int8_t>(c); }

bool IsPasswordCharacter(int32_t ch) {
  return ch == ' ' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

uint32_t Now(const ParticleField& field) { return field.GetClock().TickMs(); }

// Enter on a non-empty entry: the prompt goes, and the typed password is
// compared with the stored one. 1 when the key is taken (wrong password).
int32_t SubmitPassword(ParticleField& field) {
  field.passwordPrompt = kPromptNone;
  ReadDword(field.Store(), kConfigKey, "Clock", field.showClock);
  if (field.surface) {
    if (Canvas* canvas = field.surface->GetDrawingDC()) {
      DrawPasswordPrompt(field, *canvas, 1);
      field.surface->ReleaseDrawingDC(canvas);
    }
  }
  ScramblePassword(field.passwordEntry);
  std::string stored;
  if (!ReadString(field.Store(), kConfigKey, "Pass", kStoredPasswordBytes, stored) || stored != field.passwordEntry) return 1;
  field.passwordPrompt = kPromptAccepted;
  return 0;
}

}  // namespace

int32_t IsPasswordProtected(PlatformFamily family, uint32_t useValue, std::string_view storedPass) {
  if (family == PlatformFamily::kWindowsNt || useValue == 0) return 0;
  return storedPass != kNoPassword ? 1 : 0;
}

int32_t IsPasswordProtected(PlatformFamily family, SettingsStore& store) {
  // The system's switch is read as four raw bytes, whatever type it was
  // stored with.
  uint32_t useValue = 0;
  StoredValue use;
  if (store.QueryValue(kDesktopKey, "ScreenSaveUsePassword", 4, use)) {
    for (size_t i = 0; i < use.data.size(); ++i) useValue |= static_cast<uint32_t>(use.data[i]) << (8 * i);
  }
  // Read with the same limit as the check on Enter, so that every password
  // the change dialog accepts also turns the protection on.
  std::string pass = kNoPassword;
  ReadString(store, kConfigKey, "Pass", kStoredPasswordBytes, pass);
  return IsPasswordProtected(family, useValue, pass);
}

void ScramblePassword(std::string& text) {
  if (text.empty()) {
    text = kNoPassword;
    return;
  }
  const int32_t n = static_cast<int32_t>(text.size());
  int32_t a = 3214;
  int32_t b = 45;
  // Each swap changes what later steps of the loop visit.
  for (int32_t i = 0; i < n; ++i) {
    const int32_t c = Signed(text[i]);
    int32_t j = c % n;
    // Only a character above 127 reads as negative; folding it back keeps
    // the swap inside the text.
    if (j < 0) j += n;
    text[i] = text[j];
    text[j] = static_cast<char>(c);
    a += c % 47;
    b += c % 3;
  }
  while (static_cast<int32_t>(text.size()) < kScrambledMinLength) {
    text.push_back(static_cast<char>((a & 63) + 32));
    if (text.size() > 2) {
      a = Signed(text[0]) + a + 2 * Signed(text[1]) - 3 * Signed(text[2]);
    } else {
      a = a + 874;
    }
  }
  for (char& ch : text) {
    a = (a + b) & 63;
    const int32_t c = Signed(ch);
    b = c % 13;
    uint8_t t = static_cast<uint8_t>(((c - 32) ^ a) + 32);
    if (static_cast<int8_t>(t) < 32) t = static_cast<uint8_t>(t + 32);
    ch = static_cast<char>(t);
  }
}

int32_t RequestClose(ParticleField& field) {
  if (field.passwordPrompt == kPromptAccepted || !field.passwordProtected) return 1;
  if (field.passwordPrompt == kPromptNone) {
    field.passwordPrompt = kPromptTyping;
    field.passwordEntry.clear();
    field.promptDeadline = Now(field) + kPromptTimeoutMs;
    field.showClock = 0;
  }
  return 0;
}

char PasswordKeyChar(int32_t key, int32_t shiftDown) {
  int32_t ch = 0;
  if (shiftDown) {
    if (key >= 'A' && key <= 'Z') ch = key;
  } else if (key >= 'A' && key <= 'Z') {
    ch = key + 32;
  } else if (key >= kKeyNumpad0 && key <= kKeyNumpad9) {
    ch = key - 48;
  } else if (key < 106 || key > 122) {
    // The keypad's operators and F1 to F11 (106 to 122) type nothing.
    ch = key;
  }
  // Caps Lock plays no part: the letter's case follows Shift alone.
  return IsPasswordCharacter(ch) ? static_cast<char>(ch) : 0;
}

int32_t HandlePasswordKey(ParticleField& field, int32_t key) {
  if (field.passwordPrompt == kPromptNone) {
    RequestClose(field);
    // With the prompt just raised, the key that raised it is typed into it.
    if (field.passwordPrompt == kPromptNone) return 0;
  }
  field.promptDeadline = Now(field) + kPromptTimeoutMs;
  switch (key) {
    case kKeyShift:
      field.shiftDown = 1;
      return 1;
    case kKeyControl:
      return 1;
    case kKeyEnter:
      return field.passwordEntry.empty() ? 1 : SubmitPassword(field);
    case kKeyBackspace:
      if (!field.passwordEntry.empty()) field.passwordEntry.pop_back();
      return 1;
    case kKeySpace:
      // No leading blank.
      if (field.passwordEntry.empty()) return 1;
      break;
    default:
      break;
  }
  const char ch = PasswordKeyChar(key, field.shiftDown);
  if (ch != 0 && static_cast<int32_t>(field.passwordEntry.size()) < kMaxPasswordLength) {
    field.passwordEntry.push_back(ch);
  }
  return 1;
}

void NoteShiftReleased(ParticleField& field) { field.shiftDown = 0; }

void DrawPasswordPrompt(ParticleField& field, Canvas& canvas, int32_t visible) {
  const int32_t w = field.width;
  const int32_t h = field.height;
  const int32_t box = (w - 20) / 22;
  FontSpec fontSpec;
  fontSpec.face = "Arial";
  fontSpec.height = h / 12;
  fontSpec.weight = 700;
  fontSpec.italic = 0;
  std::unique_ptr<CanvasFont> font = canvas.CreateFont(fontSpec);
  CanvasFont* previous = canvas.SelectFont(font.get());

  canvas.SetTextColor(visible ? 0xFFFFFFu : 0u);
  canvas.SelectPen(visible ? StockPen::kWhite : StockPen::kBlack);
  canvas.SetBackgroundColor(0);
  canvas.SetBackground(Background::kTransparent);

  RectI rect{10, h / 14, w - 10, h / 14 + 1};
  canvas.DrawText(kPromptText, rect, kTextCalcRect | kTextCenter);
  const int32_t offset = w / 2 - (rect.left + rect.right) / 2;
  rect.left += offset;
  rect.right += offset;
  canvas.DrawText(kPromptText, rect, kTextCenter);

  canvas.SelectFont(previous);
  canvas.SelectHollowBrush();

  // The characters themselves are never shown, only a box for each.
  const int32_t count = static_cast<int32_t>(field.passwordEntry.size());
  auto drawBox = [&](int32_t i) {
    canvas.Rectangle(i * w / 20 + 10, h / 2 - box / 2, i * w / 20 + box + 10, h / 2 + box / 2);
  };
  for (int32_t i = 0; i < count; ++i) drawBox(i);
  // With trails the image is not cleared between frames, so boxes of a
  // longer entry must be painted out.
  int32_t& drawnBefore = field.promptBoxes;
  if (drawnBefore > count) {
    canvas.SelectPen(StockPen::kBlack);
    for (int32_t i = count; i < drawnBefore; ++i) drawBox(i);
  }
  drawnBefore = count;
  font.reset();

  // A wrap-safe comparison of ticks. Only a prompt that is up can time out;
  // that also keeps the erasing draw below from recursing.
  if (field.passwordPrompt != kPromptNone && static_cast<int32_t>(Now(field) - field.promptDeadline) > 0) {
    field.passwordPrompt = kPromptNone;
    field.promptDeadline = 0xFFFFFFFFu;
    DrawPasswordPrompt(field, canvas, 0);
  }
}

PasswordChange ApplyNewPassword(SettingsStore& store, std::string_view newPassword, std::string_view confirmation) {
  PasswordChange result;
  std::string password(newPassword.substr(0, kMaxPasswordLength));
  if (password != confirmation.substr(0, kMaxPasswordLength)) {
    result.mismatch = 1;
    result.notice = {kPasswordMismatchText, kPasswordNoticeCaption, NoticeIcon::kStop};
    return result;
  }
  for (char ch : password) {
    if (!IsPasswordCharacter(Signed(ch))) {
      result.notice = {kPasswordInvalidText, kPasswordInvalidCaption, NoticeIcon::kStop};
      return result;
    }
  }
  // The empty password is stored as "(none)", which turns protection off.
  ScramblePassword(password);
  bool created = false;
  if (!store.CreateKey(kConfigKey, &created) || !WriteString(store, kConfigKey, "Pass", password)) return result;
  result.notice = {kPasswordChangedText, kPasswordNoticeCaption, NoticeIcon::kInformation};
  return result;
}

}  // namespace brindlemar
