// The pop-up messages dialog (132): the messages, one per line, their font
// (a scalable family, bold, italic) and the bounds of the random delay
// between two transitions. The text box shows the messages in the chosen
// font, sized so that a sample sentence fits its width. OK replaces the
// whole Messages key; Cancel writes nothing.
#pragma once

#include <cstdint>
#include <string>

#include "overlays/message_overlay.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_host.h"
#include "ui/dialog_logic.h"

namespace brindlemar {
class SettingsStore;
}

namespace brindlemar::ui {

inline constexpr const char* kFontSample = "The Quick Brown Fox Jumped Over The Lazy Dog. ABCD";
// The largest preview font height tried; the sizing goes down from it, and
// stops at 1 where even that is too wide.
inline constexpr int32_t kLargestPreviewHeight = 32;
// What the text box holds, in characters.
inline constexpr size_t kMessagesTextLimit = 16383;
// Messages read back are numbered from 1 to this.
inline constexpr int32_t kMaxStoredMessages = 127;
// A stored message with its terminating zero, as it is read back: the
// longest line the text box holds, as the saver reads it too.
inline constexpr size_t kMessageBytes = kMessageTextBytes;
static_assert(kMessageBytes > kMessagesTextLimit);

class MessagesDialog final : public DialogLogic {
 public:
  MessagesDialog(DialogControls& controls, DialogHost& host, SettingsStore& store)
      : controls_(controls), host_(host), store_(store) {}

  void Open() override;
  void OnClicked(int32_t id) override;
  void OnSelectionChanged(int32_t id) override;
  void OnHelp() override;

  // The font the text box was last given.
  const FontSpec& PreviewFont() const { return previewFont_; }

 private:
  void SizePreviewFont();
  void Save();

  DialogControls& controls_;
  DialogHost& host_;
  SettingsStore& store_;
  // The face stored when the dialog opened: kept where no entry is chosen.
  std::string storedFace_ = "Arial";
  FontSpec previewFont_;
};

// The stored messages as the text box shows them: each followed by a line
// break, whole messages only, at most limit characters.
std::string JoinMessages(const std::vector<std::string>& messages, size_t limit);
// The text box's lines as they are stored: split at each carriage return,
// the character after it skipped, a final line break adding no message.
std::vector<std::string> SplitMessages(std::string_view text);

}  // namespace brindlemar::ui
