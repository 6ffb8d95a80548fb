#include "ui/sorted_list.h"

namespace brindlemar::ui {
namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Fold(text[i]) != Fold(prefix[i])) return false;
  }
  return true;
}

}  // namespace

int32_t SortedList::FindExact(std::string_view text) const {
  for (size_t i = 0; i < listing_.lines.size(); ++i) {
    if (listing_.lines[i].name == text) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t SortedList::FindNamed(std::string_view name) const {
  const int32_t equal = Find(name);
  if (equal >= 0) return equal;
  for (size_t i = 0; i < listing_.lines.size(); ++i) {
    if (StartsWithIgnoringCase(listing_.lines[i].name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

void SortedList::Fill(DialogControls& controls, int32_t id) const {
  controls.ClearEntries(id);
  for (const ListedFavorite& line : listing_.lines) controls.InsertEntry(id, -1, line.name, line.index);
}

}  // namespace brindlemar::ui
