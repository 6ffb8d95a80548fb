#include "ui/style_settings_dialog.h"

#include <algorithm>
#include <cstdio>

#include "engine/style_table.h"
#include "ui/control_numbers.h"
#include "ui/dialog_ids.h"

namespace brindlemar::ui {
namespace {

constexpr int32_t kColorButtons[] = {IDC_STYLE_BLACK, IDC_STYLE_WHITE, IDC_STYLE_RANDOM};

// The controls of settings 2, 3 and 4 (the table's settings 1 to 3).
struct SettingRow {
  int32_t name;
  int32_t value;
  int32_t range;
};
constexpr SettingRow kRows[] = {
    {IDC_STYLE_NAME2, IDC_STYLE_VALUE2, IDC_STYLE_RANGE2},
    {IDC_STYLE_NAME3, IDC_STYLE_VALUE3, IDC_STYLE_RANGE3},
    {IDC_STYLE_NAME4, IDC_STYLE_VALUE4, IDC_STYLE_RANGE4},
};

const StyleParams* Row(int32_t configuration) {
  if (configuration < 0 || configuration >= kConfigurationCount) return nullptr;
  return &StyleRecord(configuration);
}

void CheckColor(DialogControls& controls, int32_t color) {
  for (int32_t i = 0; i < 3; ++i) controls.SetChecked(kColorButtons[i], i == color);
}

}  // namespace

std::string StyleRangeText(int32_t min, int32_t max) {
  char text[48];
  std::snprintf(text, sizeof text, "(%d to %d)", min, max);
  return text;
}

void StyleSettingsDialog::Open() {
  const StyleParams* row = Row(edit_.configuration);
  CheckColor(controls_, edit_.values[0]);
  for (int32_t k = 2; k <= 4; ++k) {
    const SettingRow& controls = kRows[k - 2];
    const bool shown = row && edit_.count >= k;
    if (!shown) {
      for (int32_t id : {controls.name, controls.value, controls.range}) controls_.Show(id, false);
      continue;
    }
    const StyleSetting& setting = row->settings[k - 1];
    controls_.SetText(controls.value, DecimalText(edit_.values[k - 1]));
    controls_.SetText(controls.range, StyleRangeText(setting.min, setting.max));
    controls_.SetText(controls.name, setting.label);
  }
  if (row && edit_.count >= 2) {
    controls_.SelectAllText(IDC_STYLE_VALUE2);
    controls_.Focus(IDC_STYLE_VALUE2);
  }
}

void StyleSettingsDialog::OnClicked(int32_t id) {
  switch (id) {
    case IDC_STYLE_DEFAULTS:
      SetToDefaults();
      return;
    case IDC_OK:
      Store();
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

void StyleSettingsDialog::OnHelp() { host_.ShowHelpTopic(kStyleHelpTopic); }

void StyleSettingsDialog::SetToDefaults() {
  const StyleParams* row = Row(edit_.configuration);
  if (!row) return;
  CheckColor(controls_, row->settings[0].defaultValue);
  for (int32_t k = 2; k <= std::min(edit_.count, 4); ++k) {
    controls_.SetText(kRows[k - 2].value, DecimalText(row->settings[k - 1].defaultValue));
  }
}

void StyleSettingsDialog::Store() {
  edit_.values[0] = 0;
  if (controls_.IsChecked(IDC_STYLE_WHITE)) edit_.values[0] = 1;
  if (controls_.IsChecked(IDC_STYLE_RANDOM)) edit_.values[0] = 2;
  const StyleParams* row = Row(edit_.configuration);
  if (!row) return;
  for (int32_t k = 2; k <= std::min(edit_.count, 4); ++k) {
    const StyleSetting& setting = row->settings[k - 1];
    edit_.values[k - 1] = ReadTypedNumber(controls_.Text(kRows[k - 2].value), setting.min, setting.max);
  }
}

}  // namespace brindlemar::ui
