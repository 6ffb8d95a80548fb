// The small dialogs of the favorites: the name of a new favorite (131) and
// the confirmations before a favorite is replaced (136) or removed (135).
// The flows that run them are the configuration dialog's.
#pragma once

#include <cstdint>
#include <string>

#include "ui/dialog_controls.h"
#include "ui/dialog_host.h"
#include "ui/dialog_logic.h"

namespace brindlemar::ui {

// Names are kept to this many characters.
inline constexpr size_t kMaxFavoriteNameLength = 126;
inline constexpr const char* kNewFavoriteName = "My New Favorite";
// A stored favorite's name ends at its first comma, so a name with one
// cannot be read back.
inline constexpr const char* kCommaInNameText =
    "A favorite's name cannot contain a comma: the stored favorite would end its name there and lose its "
    "settings.  Please choose a name without one.";
inline constexpr const char* kCommaInNameTitle = "Invalid Name";

class AddFavoriteDialog final : public DialogLogic {
 public:
  AddFavoriteDialog(DialogControls& controls, DialogHost& host) : controls_(controls), host_(host) {}

  void Open() override;
  void OnClicked(int32_t id) override;

  // The name typed, after OK.
  const std::string& Name() const { return name_; }

 private:
  DialogControls& controls_;
  DialogHost& host_;
  std::string name_ = kNewFavoriteName;
};

class FavoriteQuestionDialog final : public DialogLogic {
 public:
  FavoriteQuestionDialog(DialogControls& controls, std::string name)
      : controls_(controls), name_(std::move(name)) {}

  void Open() override;
  void OnClicked(int32_t id) override;

 private:
  DialogControls& controls_;
  std::string name_;
};

}  // namespace brindlemar::ui
