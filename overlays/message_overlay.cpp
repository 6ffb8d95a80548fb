#include "overlays/message_overlay.h"

#include <cstdint>
#include <memory>
#include <string>

#include "engine/particle_field.h"
#include "overlays/canvas.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

constexpr size_t kTextBytes = 512;
constexpr size_t kFaceBytes = 256;
constexpr int32_t kFirstHeight = 96;
constexpr int32_t kSmallestHeight = 6;
constexpr int32_t kMargin = 10;

// Stored texts mark a line break by a backslash and an "r"; the pair becomes
// a carriage return and a blank, so every later line starts with a blank.
int32_t BreakLines(std::string& text) {
  int32_t lines = 1;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\\' && text[i + 1] == 'r') {
      text[i] = '\r';
      text[i + 1] = ' ';
      ++lines;
    }
  }
  return lines;
}

}  // namespace

void DrawMessage(ParticleField& field, Canvas& canvas) {
  SettingsStore& store = field.Store();
  const bool keyOpen = store.OpenKey(kMessagesKey);

  std::string text = "Your message goes here!";
  if (keyOpen) {
    ReadString(store, kMessagesKey, "Message" + std::to_string(field.messageIndex + 1), kTextBytes, text);
  }
  const int32_t lines = BreakLines(text);

  const int32_t w = field.width;
  const int32_t h = field.height;
  int32_t fontHeight = kFirstHeight;
  std::unique_ptr<CanvasFont> font;
  CanvasFont* previous = nullptr;
  RectI rect;
  for (;;) {
    FontSpec fontSpec;
    fontSpec.face = "Arial";
    if (keyOpen) ReadString(store, kMessagesKey, "Font", kFaceBytes, fontSpec.face);
    fontSpec.height = fontHeight;
    fontSpec.weight = field.fontWeight;
    fontSpec.italic = field.fontItalic;
    font = canvas.CreateFont(fontSpec);
    previous = canvas.SelectFont(font.get());
    canvas.SetTextColor(0xFFFFFF);
    canvas.SetBackground(Background::kTransparent);

    const int32_t textHeight = canvas.TextExtent(text).cy * lines;
    rect.left = kMargin;
    rect.right = w - kMargin;
    rect.top = h / 2 - textHeight / 2;
    rect.bottom = rect.top + textHeight;
    canvas.DrawText(text, rect, kTextCenter | kTextCalcRect);

    const int32_t blockHeight = (rect.bottom - rect.top) + 6;
    rect.top = h / 2 - blockHeight / 2;
    rect.bottom = rect.top + blockHeight;
    if (rect.left >= kMargin && rect.right <= w - kMargin) break;

    const int32_t next = static_cast<int32_t>(fontHeight * 0.9);
    if (next < kSmallestHeight) break;
    canvas.SelectFont(previous);
    font.reset();
    fontHeight = next;
  }

  canvas.SelectPen(StockPen::kWhite);
  rect.left = kMargin;
  rect.right = w - kMargin;
  canvas.DrawText(text, rect, kTextCenter);
  field.messageRect = RectI{kMargin, rect.top - kMargin, w - kMargin, rect.bottom + kMargin};

  canvas.SelectFont(previous);
}

}  // namespace brindlemar
