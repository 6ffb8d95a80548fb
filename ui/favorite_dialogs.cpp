#include "ui/favorite_dialogs.h"

#include "ui/dialog_ids.h"

namespace brindlemar::ui {

void AddFavoriteDialog::Open() {
  controls_.SetText(IDC_FAVORITE_NAME, name_);
  controls_.SelectAllText(IDC_FAVORITE_NAME);
  controls_.Focus(IDC_FAVORITE_NAME);
}

void AddFavoriteDialog::OnClicked(int32_t id) {
  if (id == IDC_CANCEL) {
    controls_.EndDialog(0);
    return;
  }
  if (id != IDC_OK) return;
  std::string typed = controls_.Text(IDC_FAVORITE_NAME);
  if (typed.find(',') != std::string::npos) {
    host_.ShowMessage(kCommaInNameText, kCommaInNameTitle, MessageIcon::kWarning);
    controls_.Focus(IDC_FAVORITE_NAME);
    controls_.SelectAllText(IDC_FAVORITE_NAME);
    return;
  }
  name_ = typed.substr(0, kMaxFavoriteNameLength);
  controls_.EndDialog(1);
}

void FavoriteQuestionDialog::Open() { controls_.SetText(IDC_FAVORITE_NAME, name_); }

void FavoriteQuestionDialog::OnClicked(int32_t id) {
  if (id == IDC_OK) controls_.EndDialog(1);
  if (id == IDC_CANCEL) controls_.EndDialog(0);
}

}  // namespace brindlemar::ui
