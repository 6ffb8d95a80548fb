#include "overlays/message_overlay.h"

#include <cstdint>
#include <memory>
#include <string>

#include "engine/particle_field.h"
#include "overlays/canvas.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

constexpr size_t kFaceBytes = 256;
constexpr int32_t kFirstHeight = 96;
constexpr int32_t kSmallestHeight = 6;
constexpr int32_t kMargin = 10;
// From this length on a text is measured at the smallest height first: the
// longest the saver read before messages could be as long as the messages
// dialog stores them.
constexpr size_t kLongText = 512;

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

// The fitting of one message: each height tried selects a font of that
// height and measures the block into rect.
class Fitting {
 public:
  Fitting(ParticleField& field, Canvas& canvas, bool keyOpen, const std::string& text, int32_t lines)
      : field_(field), canvas_(canvas), keyOpen_(keyOpen), text_(text), lines_(lines) {}

  // True when the block fits between the margins at this height; the font
  // stays selected either way.
  bool TryHeight(int32_t height) {
    FontSpec fontSpec;
    fontSpec.face = "Arial";
    if (keyOpen_) ReadString(field_.Store(), kMessagesKey, "Font", kFaceBytes, fontSpec.face);
    fontSpec.height = height;
    fontSpec.weight = field_.fontWeight;
    fontSpec.italic = field_.fontItalic;
    font_ = canvas_.CreateFont(fontSpec);
    previous_ = canvas_.SelectFont(font_.get());
    canvas_.SetTextColor(0xFFFFFF);
    canvas_.SetBackground(Background::kTransparent);

    const int32_t w = field_.width;
    const int32_t h = field_.height;
    const int32_t textHeight = canvas_.TextExtent(text_).cy * lines_;
    rect.left = kMargin;
    rect.right = w - kMargin;
    rect.top = h / 2 - textHeight / 2;
    rect.bottom = rect.top + textHeight;
    canvas_.DrawText(text_, rect, kTextCenter | kTextCalcRect);

    const int32_t blockHeight = (rect.bottom - rect.top) + 6;
    rect.top = h / 2 - blockHeight / 2;
    rect.bottom = rect.top + blockHeight;
    return rect.left >= kMargin && rect.right <= w - kMargin;
  }

  // Selects the font from before the last height tried and deletes that one.
  void Undo() {
    canvas_.SelectFont(previous_);
    font_.reset();
  }

  RectI rect;

 private:
  ParticleField& field_;
  Canvas& canvas_;
  const bool keyOpen_;
  const std::string& text_;
  const int32_t lines_;
  std::unique_ptr<CanvasFont> font_;
  CanvasFont* previous_ = nullptr;
};

}  // namespace

void DrawMessage(ParticleField& field, Canvas& canvas) {
  SettingsStore& store = field.Store();
  const bool keyOpen = store.OpenKey(kMessagesKey);

  std::string text = "Your message goes here!";
  if (keyOpen) {
    ReadString(store, kMessagesKey, "Message" + std::to_string(field.messageIndex + 1), kMessageTextBytes, text);
  }
  const int32_t lines = BreakLines(text);

  Fitting fitting(field, canvas, keyOpen, text, lines);
  // Measuring costs in proportion to the text, and a long line that is too
  // wide even at the smallest height would be measured at all 23 heights in
  // every frame (a 16,383-character line: about 100 ms a frame). Such a text
  // is measured at the smallest height first and, when it does not fit
  // there, drawn at it at once; the larger heights are wider still. Shorter
  // texts step down from the largest height as they always have.
  bool fitted = false;
  if (text.size() >= kLongText) {
    fitted = !fitting.TryHeight(kSmallestHeight);
    if (!fitted) fitting.Undo();
  }
  for (int32_t fontHeight = kFirstHeight; !fitted;) {
    if (fitting.TryHeight(fontHeight)) break;
    const int32_t next = static_cast<int32_t>(fontHeight * 0.9);
    if (next < kSmallestHeight) break;
    fitting.Undo();
    fontHeight = next;
  }

  const int32_t w = field.width;
  RectI& rect = fitting.rect;
  canvas.SelectPen(StockPen::kWhite);
  rect.left = kMargin;
  rect.right = w - kMargin;
  canvas.DrawText(text, rect, kTextCenter);
  field.messageRect = RectI{kMargin, rect.top - kMargin, w - kMargin, rect.bottom + kMargin};

  fitting.Undo();
}

}  // namespace brindlemar
