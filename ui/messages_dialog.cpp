#include "ui/messages_dialog.h"

#include <algorithm>
#include <cstdio>

#include "settings/change_set.h"
#include "settings/settings_store.h"
#include "ui/control_numbers.h"
#include "ui/dialog_ids.h"
#include "ui/sorted_list.h"

namespace brindlemar::ui {
namespace {

std::string MessageValueName(int32_t number) {
  char name[24];
  std::snprintf(name, sizeof name, "Message%d", number);
  return name;
}

}  // namespace

std::string JoinMessages(const std::vector<std::string>& messages, size_t limit) {
  std::string text;
  for (const std::string& message : messages) {
    if (text.size() + message.size() + 2 > limit) break;
    text += message;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> SplitMessages(std::string_view text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\r', at);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(at));
      break;
    }
    lines.emplace_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

void MessagesDialog::Open() {
  // The system names a family once for each of its character sets, in an
  // order of its own: only the repeats are left out.
  SortedList fonts;
  for (const std::string& family : host_.ScalableFontFamilies()) {
    if (fonts.Find(family) < 0) fonts.Insert(family, 0);
  }
  fonts.Fill(controls_, IDC_MESSAGES_FONT);

  int32_t minTime = 60, maxTime = 90, bold = 1, italic = 1;
  const bool opened = store_.OpenKey(kMessagesKey);
  if (opened) {
    ReadString(store_, kMessagesKey, "Font", 256, storedFace_);
    ReadDword(store_, kMessagesKey, "MinTime", minTime);
    ReadDword(store_, kMessagesKey, "MaxTime", maxTime);
    ReadDword(store_, kMessagesKey, "Bold", bold);
    ReadDword(store_, kMessagesKey, "Italic", italic);
  }
  controls_.Select(IDC_MESSAGES_FONT, fonts.FindNamed(storedFace_));
  controls_.SetChecked(IDC_MESSAGES_ITALIC, italic != 0);
  controls_.SetChecked(IDC_MESSAGES_BOLD, bold != 0);
  CorrectDelayBounds(minTime, maxTime);
  controls_.SetText(IDC_MESSAGES_MIN_TIME, DecimalText(minTime));
  controls_.SetText(IDC_MESSAGES_MAX_TIME, DecimalText(maxTime));

  if (opened) {
    std::vector<std::string> messages;
    for (int32_t number = 1; number <= kMaxStoredMessages; ++number) {
      std::string message;
      if (!ReadString(store_, kMessagesKey, MessageValueName(number), kMessageBytes, message) || message.empty()) break;
      messages.push_back(std::move(message));
    }
    controls_.SetText(IDC_MESSAGES_TEXT, JoinMessages(messages, kMessagesTextLimit));
  }
  SizePreviewFont();
}

void MessagesDialog::SizePreviewFont() {
  const int32_t chosen = controls_.Selection(IDC_MESSAGES_FONT);
  FontSpec font;
  font.face = chosen >= 0 ? controls_.EntryText(IDC_MESSAGES_FONT, chosen) : storedFace_;
  font.bold = controls_.IsChecked(IDC_MESSAGES_BOLD) ? 1 : 0;
  font.italic = controls_.IsChecked(IDC_MESSAGES_ITALIC) ? 1 : 0;
  const int32_t room = controls_.ClientWidth(IDC_MESSAGES_TEXT);
  for (font.height = kLargestPreviewHeight; font.height > 1; --font.height) {
    if (controls_.TextWidth(IDC_MESSAGES_TEXT, font, kFontSample) < room) break;
  }
  previewFont_ = font;
  controls_.SetFont(IDC_MESSAGES_TEXT, font);
}

void MessagesDialog::OnSelectionChanged(int32_t id) {
  if (id == IDC_MESSAGES_FONT) SizePreviewFont();
}

void MessagesDialog::OnClicked(int32_t id) {
  switch (id) {
    case IDC_MESSAGES_BOLD:
    case IDC_MESSAGES_ITALIC:
      SizePreviewFont();
      return;
    case IDC_OK:
      Save();
      controls_.EndDialog(1);
      return;
    case IDC_CANCEL:
      controls_.EndDialog(0);
      return;
    case IDC_DIALOG_HELP:
      OnHelp();
      return;
    default:
      return;
  }
}

void MessagesDialog::OnHelp() { host_.ShowHelpTopic(kMessagesHelpTopic); }

// The key is replaced as a whole, in one change, so that a running saver
// reads the old messages or the new ones, never a mixture.
void MessagesDialog::Save() {
  ChangeSet changes;
  changes.DeleteKey(kMessagesKey).CreateKey(kMessagesKey);
  const int32_t chosen = controls_.Selection(IDC_MESSAGES_FONT);
  changes.SetString(kMessagesKey, "Font", chosen >= 0 ? controls_.EntryText(IDC_MESSAGES_FONT, chosen) : storedFace_);
  int32_t minTime = ReadTypedNumber(controls_.Text(IDC_MESSAGES_MIN_TIME));
  int32_t maxTime = ReadTypedNumber(controls_.Text(IDC_MESSAGES_MAX_TIME));
  CorrectDelayBounds(minTime, maxTime);
  changes.SetValue(kMessagesKey, "MinTime", DwordValue(minTime));
  changes.SetValue(kMessagesKey, "MaxTime", DwordValue(maxTime));
  changes.SetValue(kMessagesKey, "Italic", DwordValue(controls_.IsChecked(IDC_MESSAGES_ITALIC) ? 1 : 0));
  changes.SetValue(kMessagesKey, "Bold", DwordValue(controls_.IsChecked(IDC_MESSAGES_BOLD) ? 1 : 0));
  const std::string text = controls_.Text(IDC_MESSAGES_TEXT).substr(0, kMessagesTextLimit);
  const std::vector<std::string> lines = SplitMessages(text);
  int32_t number = 0;
  for (const std::string& line : lines) changes.SetString(kMessagesKey, MessageValueName(++number), line);
  changes.SetValue(kMessagesKey, "Num", DwordValue(number));
  store_.ApplyChanges(changes);
}

}  // namespace brindlemar::ui
