// The additional configuration settings dialog (138): the initial dots
// colour and up to three numbers of one configuration, with their names and
// ranges from the style table. It edits a StyleEdit handed to it; OK limits
// each number to its range silently and stores them, Cancel leaves the edit
// as it was. The caller applies the result.
#pragma once

#include <cstdint>
#include <string>

#include "ui/dialog_controls.h"
#include "ui/dialog_host.h"
#include "ui/dialog_logic.h"

namespace brindlemar::ui {

// A setting's range as its text shows it.
std::string StyleRangeText(int32_t min, int32_t max);

class StyleSettingsDialog final : public DialogLogic {
 public:
  StyleSettingsDialog(DialogControls& controls, DialogHost& host, StyleEdit& edit)
      : controls_(controls), host_(host), edit_(edit) {}

  void Open() override;
  void OnClicked(int32_t id) override;
  void OnHelp() override;

 private:
  void SetToDefaults();
  void Store();

  DialogControls& controls_;
  DialogHost& host_;
  StyleEdit& edit_;
};

}  // namespace brindlemar::ui
