// The entries of a list that shows its texts in order (the configurations,
// the display modes, the font names), ordered as the favorites are ordered:
// by text without regard to ASCII case, an equal text after those already
// there. The logic orders them and the list control only shows them, so the
// order is the same on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/favorite_list.h"
#include "ui/dialog_controls.h"

namespace brindlemar::ui {

class SortedList {
 public:
  // Returns the position of the new entry.
  int32_t Insert(std::string text, int32_t data) { return listing_.Insert(std::move(text), data); }
  // The first position whose text equals text exactly, else -1.
  int32_t FindExact(std::string_view text) const;
  // The first position whose text equals text ignoring ASCII case, else -1.
  int32_t Find(std::string_view text) const { return listing_.Find(text); }
  // The first position whose text equals name ignoring ASCII case, else the
  // first whose text begins with it, else -1.
  int32_t FindNamed(std::string_view name) const;
  // Replaces the entries of the list control id with these.
  void Fill(DialogControls& controls, int32_t id) const;

 private:
  FavoriteListing listing_;
};

}  // namespace brindlemar::ui
