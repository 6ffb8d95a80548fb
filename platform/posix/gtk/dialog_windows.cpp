#include "platform/posix/gtk/dialog_windows.h"

#include <cstdint>
#include <limits>

#include "engine/modes.h"
#include "platform/posix/gtk/preview_area.h"
#include "settings/parameter_table.h"
#include "ui/dialog_ids.h"

namespace brindlemar::gtk {
namespace {

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

Gtk::Label* MakeLabel(const std::string& text, float xalign = 0.0f) {
  auto* label = Gtk::make_managed<Gtk::Label>(text);
  label->set_xalign(xalign);
  return label;
}

Gtk::Button* MakeButton(const char* label) {
  return Gtk::make_managed<Gtk::Button>(MnemonicLabel(label), true);
}

Gtk::CheckButton* MakeCheck(const char* label) {
  return Gtk::make_managed<Gtk::CheckButton>(MnemonicLabel(label), true);
}

Gtk::SpinButton* MakeSpin(double min, double max, double step, int widthChars) {
  auto* spin = Gtk::make_managed<Gtk::SpinButton>(Gtk::Adjustment::create(min, min, max, step, step * 10), 1.0, 0);
  spin->set_numeric(true);
  spin->set_width_chars(widthChars);
  spin->set_halign(Gtk::Align::START);
  return spin;
}

// The spin button of a parameter's count, over the range of its control.
Gtk::SpinButton* MakeParameterSpin(ParameterId parameter, double step, int widthChars) {
  const Parameter& row = ParameterRow(parameter);
  return MakeSpin(row.controlMin, row.controlMax, step, widthChars);
}

Gtk::Box* MakeRow(int spacing = 6) { return Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, spacing); }

Gtk::DropDown* MakeDropDown() {
  auto* dropDown = Gtk::make_managed<Gtk::DropDown>();
  dropDown->set_hexpand(true);
  return dropDown;
}

// A slider with its two end labels above it, as the Windows dialog lays out
// its scroll bars.
void AddSlider(GtkDialogControls& c, Gtk::Box& page, int32_t id, int32_t lowId, const char* low, int32_t highId,
               const char* high) {
  if (low) {
    auto* labels = MakeRow();
    auto* lowLabel = MakeLabel(low);
    auto* highLabel = MakeLabel(high, 1.0f);
    highLabel->set_hexpand(true);
    labels->append(*lowLabel);
    labels->append(*highLabel);
    page.append(*labels);
    c.AddLabel(lowId, *lowLabel);
    c.AddLabel(highId, *highLabel);
  }
  auto* scale = Gtk::make_managed<Gtk::Scale>(Gtk::Orientation::HORIZONTAL);
  scale->set_draw_value(false);
  scale->set_hexpand(true);
  page.append(*scale);
  c.AddScale(id, *scale);
}

// The favorites, the dimensionality, the configuration and the grains.
Gtk::Widget* ChoiceRows(GtkDialogControls& c) {
  auto* grid = Gtk::make_managed<Gtk::Grid>();
  grid->set_column_spacing(6);
  grid->set_row_spacing(6);
  auto* favoritesLabel = MakeLabel("Favorites");
  auto* favorites = MakeDropDown();
  auto* favoriteButtons = MakeRow();
  auto* add = MakeButton("A&dd");
  auto* remove = MakeButton("&Remove");
  favoriteButtons->append(*add);
  favoriteButtons->append(*remove);
  grid->attach(*favoritesLabel, 0, 0);
  grid->attach(*favorites, 1, 0);
  grid->attach(*favoriteButtons, 2, 0);
  auto* dimensionalityLabel = MakeLabel("Dimensionality");
  auto* dimensionality = MakeDropDown();
  grid->attach(*dimensionalityLabel, 0, 1);
  grid->attach(*dimensionality, 1, 1);
  auto* configurationLabel = MakeLabel("Initial Configuration");
  auto* configuration = MakeDropDown();
  auto* set = MakeButton("&Set");
  set->set_halign(Gtk::Align::START);
  grid->attach(*configurationLabel, 0, 2);
  grid->attach(*configuration, 1, 2);
  grid->attach(*set, 2, 2);
  auto* grainsLabel = MakeLabel("Grains");
  auto* grains = MakeParameterSpin(ParameterId::kGrains, 100, 7);
  grid->attach(*grainsLabel, 0, 3);
  grid->attach(*grains, 1, 3);
  c.AddLabel(IDC_FAVORITES_LABEL, *favoritesLabel);
  c.AddDropDown(IDC_FAVORITES, *favorites);
  c.AddButton(IDC_ADD_FAVORITE, *add);
  c.AddButton(IDC_REMOVE_FAVORITE, *remove);
  c.AddLabel(IDC_DIMENSIONALITY_LABEL, *dimensionalityLabel);
  c.AddDropDown(IDC_DIMENSIONALITY, *dimensionality);
  c.AddLabel(IDC_CONFIGURATION_LABEL, *configurationLabel);
  c.AddDropDown(IDC_CONFIGURATION, *configuration);
  c.AddButton(IDC_STYLE_SET, *set);
  c.AddLabel(IDC_GRAINS_LABEL, *grainsLabel);
  // The grains edit has no up-down control of its own on Windows: its spin
  // button's range is this window's.
  c.AddSpin(IDC_GRAINS, IDC_GRAINS, *grains);
  return grid;
}

// The line that heads the custom settings.
Gtk::Widget* CustomHeading(GtkDialogControls& c) {
  auto* custom = MakeRow();
  auto* left = Gtk::make_managed<Gtk::Separator>(Gtk::Orientation::HORIZONTAL);
  auto* right = Gtk::make_managed<Gtk::Separator>(Gtk::Orientation::HORIZONTAL);
  auto* customLabel = MakeLabel("  Custom Settings  ", 0.5f);
  for (Gtk::Separator* line : {left, right}) {
    line->set_hexpand(true);
    line->set_valign(Gtk::Align::CENTER);
  }
  custom->append(*left);
  custom->append(*customLabel);
  custom->append(*right);
  custom->set_margin_top(6);
  c.AddWidget(IDC_CUSTOM_LINE, *custom);
  c.AddLabel(IDC_CUSTOM_LABEL, *customLabel);
  return custom;
}

Gtk::Widget* DotStyleRow(GtkDialogControls& c) {
  auto* styles = MakeRow(12);
  // The buttons by stored dot style.
  constexpr int32_t kIds[kDotStyleCount] = {IDC_DOTS, IDC_SPARKLES, IDC_FUZZIES, IDC_LARGE_DOTS, IDC_VERTICAL_BARS};
  Gtk::CheckButton* first = nullptr;
  for (const ModeName<DotStyle>& style : kDotStyles) {
    auto* radio = MakeCheck(style.label);
    if (first) radio->set_group(*first);
    if (!first) first = radio;
    styles->append(*radio);
    c.AddRadio(kIds[Stored(style.value)], *radio);
  }
  return styles;
}

// Twist, trails, dither and reflections with their counts.
Gtk::Widget* StyleOptions(GtkDialogControls& c) {
  auto* options = Gtk::make_managed<Gtk::Grid>();
  options->set_column_spacing(12);
  options->set_row_spacing(6);
  auto* twist = MakeCheck("Extra Twist");
  auto* trails = MakeCheck("Leave Trails");
  auto* trailLength = MakeParameterSpin(ParameterId::kTrailLength, 1, 3);
  auto* dither = MakeCheck("Dither");
  auto* reflections = MakeCheck("Reflections");
  auto* reflectionCount = MakeParameterSpin(ParameterId::kReflections, 1, 3);
  auto* symmetric = MakeCheck("Sym.");
  options->attach(*twist, 0, 0);
  options->attach(*trails, 1, 0);
  options->attach(*trailLength, 2, 0);
  options->attach(*dither, 3, 0);
  options->attach(*reflections, 1, 1);
  options->attach(*reflectionCount, 2, 1);
  options->attach(*symmetric, 3, 1);
  c.AddCheck(IDC_EXTRA_TWIST, *twist);
  c.AddCheck(IDC_TRAILS, *trails);
  c.AddSpin(IDC_TRAIL_LENGTH, IDC_TRAIL_SPIN, *trailLength);
  c.AddCheck(IDC_DITHER, *dither);
  c.AddCheck(IDC_REFLECTIONS, *reflections);
  c.AddSpin(IDC_REFLECTION_COUNT, IDC_REFLECTION_SPIN, *reflectionCount);
  c.AddCheck(IDC_SYMMETRIC, *symmetric);
  return options;
}

Gtk::Widget* MainPage(GtkDialogControls& c) {
  auto* page = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
  page->set_margin_top(6);
  page->append(*ChoiceRows(c));
  AddSlider(c, *page, IDC_ACTIVITY, IDC_ACTIVITY_LOW, "Low Activity", IDC_ACTIVITY_HIGH, "Lots O' Action");
  AddSlider(c, *page, IDC_VISCOSITY, IDC_VISCOSITY_LOW, "Low Viscosity", IDC_VISCOSITY_HIGH, "Very Viscous");
  AddSlider(c, *page, IDC_COMPLEXITY, IDC_COMPLEXITY_LOW, "Low Complexity", IDC_COMPLEXITY_HIGH, "Fancier Stuff");
  AddSlider(c, *page, IDC_BRIGHTNESS, IDC_BRIGHTNESS_LOW, "Subtle Colors", IDC_BRIGHTNESS_HIGH, "Bright");
  AddSlider(c, *page, IDC_COLOR_RATE, 0, nullptr, 0, nullptr);
  page->append(*CustomHeading(c));
  page->append(*DotStyleRow(c));
  page->append(*StyleOptions(c));
  return page;
}

Gtk::Widget* RandomPage(GtkDialogControls& c) {
  auto* page = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
  page->set_margin_top(6);
  auto* chosen = MakeCheck("Choose randomly from among the following:");
  auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
  auto* list = Gtk::make_managed<Gtk::ListBox>();
  list->set_selection_mode(Gtk::SelectionMode::MULTIPLE);
  scroller->set_child(*list);
  scroller->set_vexpand(true);
  scroller->set_has_frame(true);
  scroller->set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
  auto* hint = MakeLabel("(Ctrl+Click to choose more than one)");
  auto* delay = MakeRow();
  auto* delayLabel = MakeLabel("Random delay between");
  auto* minTime = MakeSpin(0, kIntMax, 1, 5);
  auto* andLabel = MakeLabel("and", 0.5f);
  auto* maxTime = MakeSpin(0, kIntMax, 1, 5);
  auto* seconds = MakeLabel("seconds");
  for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{delayLabel, minTime, andLabel, maxTime, seconds}) {
    delay->append(*w);
  }
  page->append(*chosen);
  page->append(*scroller);
  page->append(*hint);
  page->append(*delay);
  c.AddCheck(IDC_RANDOM_CHOSEN, *chosen);
  c.AddListBox(IDC_RANDOM_LIST, *list);
  c.AddLabel(IDC_RANDOM_HINT, *hint);
  c.AddLabel(IDC_DELAY_LABEL, *delayLabel);
  c.AddSpin(IDC_MIN_TIME, IDC_MIN_TIME, *minTime);
  c.AddLabel(IDC_DELAY_AND, *andLabel);
  c.AddSpin(IDC_MAX_TIME, IDC_MAX_TIME, *maxTime);
  c.AddLabel(IDC_DELAY_SECONDS, *seconds);
  return page;
}

// Two buttons or check boxes side by side, equally wide.
Gtk::Box* Pair(Gtk::Widget& a, Gtk::Widget& b) {
  auto* row = MakeRow();
  row->set_homogeneous(true);
  row->append(a);
  row->append(b);
  return row;
}

Gtk::Widget* AlwaysShown(GtkDialogControls& c, PreviewArea& preview) {
  auto* column = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
  auto* frame = Gtk::make_managed<Gtk::Frame>();
  frame->set_child(preview.Widget());
  frame->set_halign(Gtk::Align::CENTER);
  column->append(*frame);
  c.AddWidget(IDC_PREVIEW_FRAME, preview.Widget());

  auto* full = MakeButton("Pre&view");
  auto* help = MakeButton("&Help");
  auto* clock = MakeCheck("Show Clock Face");
  auto* zodiac = MakeCheck("Show Zodiac");
  auto* messages = MakeCheck("Show Messages");
  auto* edit = MakeButton("&Edit Messages...");
  auto* about = MakeButton("&About...");
  // Alt+H is Help's: the home page takes P.
  auto* home = MakeButton("Home &Page...");
  column->append(*Pair(*full, *help));
  // The full-screen saver on several monitors, where Windows has its
  // display options (which Linux leaves out).
  auto* monitorsLabel = Gtk::make_managed<Gtk::Label>(MnemonicLabel("&Monitors:"), true);
  auto* monitors = MakeDropDown();
  monitorsLabel->set_mnemonic_widget(*monitors);
  auto* monitorsRow = MakeRow();
  monitorsRow->set_margin_top(12);
  monitorsRow->append(*monitorsLabel);
  monitorsRow->append(*monitors);
  column->append(*monitorsRow);
  c.AddLabel(IDC_MONITORS_LABEL, *monitorsLabel);
  c.AddDropDown(IDC_MONITORS, *monitors);
  auto* overlays = Pair(*clock, *zodiac);
  overlays->set_margin_top(12);
  column->append(*overlays);
  column->append(*Pair(*messages, *edit));
  auto* more = Pair(*about, *home);
  more->set_valign(Gtk::Align::END);
  more->set_vexpand(true);
  column->append(*more);
  c.AddButton(IDC_FULL_SCREEN_PREVIEW, *full);
  c.AddButton(IDC_HELP_BUTTON, *help);
  c.AddCheck(IDC_SHOW_CLOCK, *clock);
  c.AddCheck(IDC_SHOW_ZODIAC, *zodiac);
  c.AddCheck(IDC_SHOW_MESSAGES, *messages);
  c.AddButton(IDC_EDIT_MESSAGES, *edit);
  c.AddButton(IDC_ABOUT_BUTTON, *about);
  c.AddButton(IDC_WEB_PAGE, *home);
  for (int32_t id : {IDC_USE_DIRECTDRAW, IDC_DISPLAY_MODES, IDC_PASSWORD_NOTE}) c.AddValue(id);
  return column;
}

// A number of the additional settings: its name, its value and its range.
void AddStyleRow(GtkDialogControls& c, Gtk::Grid& grid, int row, int32_t nameId, int32_t valueId, int32_t rangeId) {
  auto* name = MakeLabel("");
  auto* value = MakeSpin(kIntMin, kIntMax, 1, 7);
  auto* range = MakeLabel("");
  grid.attach(*name, 0, row);
  grid.attach(*value, 1, row);
  grid.attach(*range, 2, row);
  c.AddLabel(nameId, *name);
  c.AddSpin(valueId, valueId, *value);
  c.AddLabel(rangeId, *range);
}

Gtk::Button* AddHelpButton(LogicWindow& window, Gtk::Box& row) {
  auto* help = MakeButton("Help");
  help->set_halign(Gtk::Align::END);
  help->set_hexpand(true);
  row.append(*help);
  window.Controls().AddButton(IDC_DIALOG_HELP, *help);
  return help;
}

}  // namespace

ConfigWindow::ConfigWindow(PreviewArea& preview)
    : LogicWindow("Brindlemar", "&Cancel", "&OK"), noticeBox_(Gtk::Orientation::HORIZONTAL, 6) {
  // The keyboard starts on OK, as in the Windows dialog.
  GtkDialogControls& c = Controls();
  // An icon of the theme by its name: Gtk::Image's string constructor
  // would take the name for a file and show the missing-image icon.
  auto* warning = Gtk::make_managed<Gtk::Image>();
  warning->set_from_icon_name("dialog-warning-symbolic");
  noticeBox_.append(*warning);
  notice_.set_wrap(true);
  notice_.set_xalign(0.0f);
  notice_.set_max_width_chars(80);
  noticeBox_.append(notice_);
  noticeBox_.set_visible(false);
  Content().append(noticeBox_);

  auto* columns = MakeRow(18);
  auto* left = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
  auto* stack = Gtk::make_managed<Gtk::Stack>();
  auto* switcher = Gtk::make_managed<Gtk::StackSwitcher>();
  switcher->set_stack(*stack);
  switcher->set_halign(Gtk::Align::CENTER);
  Gtk::Widget* main = MainPage(c);
  Gtk::Widget* random = RandomPage(c);
  stack->add(*main, "main", "Main");
  stack->add(*random, "random", "Random");
  left->append(*switcher);
  left->append(*stack);
  columns->append(*left);
  columns->append(*AlwaysShown(c, preview));
  Content().append(*columns);
  c.AddPages(IDC_TABS, *stack, *switcher, {main, random});
}

void ConfigWindow::ShowNotice(const std::string& text) {
  notice_.set_text(text);
  noticeBox_.set_visible(!text.empty());
}

std::unique_ptr<LogicWindow> MakeAddFavoriteWindow() {
  auto window = std::make_unique<LogicWindow>("Add New Favorite", "Cancel", "OK");
  auto* label = MakeLabel("New Favorite's Name");
  auto* name = Gtk::make_managed<Gtk::Entry>();
  name->set_activates_default(true);
  name->set_width_chars(40);
  window->Content().append(*label);
  window->Content().append(*name);
  window->Controls().AddEntry(IDC_FAVORITE_NAME, *name);
  return window;
}

std::unique_ptr<LogicWindow> MakeFavoriteQuestionWindow(ui::FavoriteQuestion question) {
  const bool replace = question == ui::FavoriteQuestion::kReplace;
  auto window = std::make_unique<LogicWindow>(replace ? "Replace Existing Favorite?" : "Remove Favorite?", "Cancel",
                                               "OK");
  auto* label = MakeLabel(replace ? "Press OK to replace this favorite:" : "Press OK to remove this favorite:");
  auto* name = Gtk::make_managed<Gtk::Entry>();
  name->set_editable(false);
  name->set_can_focus(false);
  name->set_width_chars(40);
  window->Content().append(*label);
  window->Content().append(*name);
  window->Controls().AddEntry(IDC_FAVORITE_NAME, *name);
  return window;
}

std::unique_ptr<LogicWindow> MakeMessagesWindow() {
  auto window = std::make_unique<LogicWindow>("Pop-up Messages", "Cancel", "OK");
  GtkDialogControls& c = window->Controls();
  Gtk::Box& content = window->Content();
  content.set_spacing(6);
  auto* label = Gtk::make_managed<Gtk::Label>(MnemonicLabel("&Messages"), true);
  label->set_xalign(0.0f);
  auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
  auto* text = Gtk::make_managed<Gtk::TextView>();
  text->set_left_margin(4);
  text->set_right_margin(4);
  text->set_wrap_mode(Gtk::WrapMode::NONE);
  scroller->set_child(*text);
  scroller->set_has_frame(true);
  scroller->set_size_request(520, 190);
  scroller->set_policy(Gtk::PolicyType::AUTOMATIC, Gtk::PolicyType::ALWAYS);
  label->set_mnemonic_widget(*text);
  window->SetFirstControl(*text);
  auto* instruction = MakeLabel("Put each message on it's own line.  Use \\r to make a multiple line message.");
  instruction->set_wrap(true);
  content.append(*label);
  content.append(*scroller);
  content.append(*instruction);
  c.AddTextView(IDC_MESSAGES_TEXT, *text, *scroller);

  auto* fontRow = MakeRow(12);
  auto* font = MakeDropDown();
  font->set_enable_search(true);
  font->set_expression(Gtk::PropertyExpression<Glib::ustring>::create(Gtk::StringObject::get_type(), "string"));
  auto* italic = MakeCheck("Italic");
  auto* bold = MakeCheck("Bold");
  fontRow->append(*MakeLabel("Font"));
  fontRow->append(*font);
  fontRow->append(*italic);
  fontRow->append(*bold);
  fontRow->set_margin_top(6);
  content.append(*fontRow);
  c.AddDropDown(IDC_MESSAGES_FONT, *font);
  c.AddCheck(IDC_MESSAGES_ITALIC, *italic);
  c.AddCheck(IDC_MESSAGES_BOLD, *bold);

  auto* delay = MakeRow();
  auto* minTime = MakeSpin(0, kIntMax, 1, 5);
  auto* maxTime = MakeSpin(0, kIntMax, 1, 5);
  delay->append(*MakeLabel("Message delay between"));
  delay->append(*minTime);
  delay->append(*MakeLabel("and"));
  delay->append(*maxTime);
  delay->append(*MakeLabel("seconds"));
  AddHelpButton(*window, *delay);
  content.append(*delay);
  c.AddSpin(IDC_MESSAGES_MIN_TIME, IDC_MESSAGES_MIN_TIME, *minTime);
  c.AddSpin(IDC_MESSAGES_MAX_TIME, IDC_MESSAGES_MAX_TIME, *maxTime);
  return window;
}

std::unique_ptr<LogicWindow> MakeStyleSettingsWindow() {
  auto window = std::make_unique<LogicWindow>("Additional Configuration Settings", "Cancel", "OK");
  GtkDialogControls& c = window->Controls();
  Gtk::Box& content = window->Content();
  content.append(*MakeLabel("Initial Dots Color"));
  auto* colors = MakeRow(12);
  colors->set_margin_start(12);
  auto* black = MakeCheck("Black");
  auto* white = MakeCheck("White");
  auto* random = MakeCheck("Random");
  white->set_group(*black);
  random->set_group(*black);
  colors->append(*black);
  colors->append(*white);
  colors->append(*random);
  content.append(*colors);
  window->SetFirstControl(*black);
  c.AddRadio(IDC_STYLE_BLACK, *black);
  c.AddRadio(IDC_STYLE_WHITE, *white);
  c.AddRadio(IDC_STYLE_RANDOM, *random);

  auto* grid = Gtk::make_managed<Gtk::Grid>();
  grid->set_column_spacing(12);
  grid->set_row_spacing(6);
  AddStyleRow(c, *grid, 0, IDC_STYLE_NAME2, IDC_STYLE_VALUE2, IDC_STYLE_RANGE2);
  AddStyleRow(c, *grid, 1, IDC_STYLE_NAME3, IDC_STYLE_VALUE3, IDC_STYLE_RANGE3);
  AddStyleRow(c, *grid, 2, IDC_STYLE_NAME4, IDC_STYLE_VALUE4, IDC_STYLE_RANGE4);
  content.append(*grid);

  auto* buttons = MakeRow();
  auto* defaults = MakeButton("Set To Defaults");
  buttons->append(*defaults);
  AddHelpButton(*window, *buttons);
  content.append(*buttons);
  c.AddButton(IDC_STYLE_DEFAULTS, *defaults);
  return window;
}

}  // namespace brindlemar::gtk
