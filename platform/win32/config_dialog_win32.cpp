#include "platform/win32/config_dialog_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/directdraw_display.h"
#include "platform/win32/gdi_window.h"
#include "platform/win32/help_viewer.h"
#include "platform/win32/logic_dialog.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/win32_field.h"
#include "settings/settings_store.h"
#include "ui/config_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/favorite_dialogs.h"
#include "ui/messages_dialog.h"
#include "ui/style_settings_dialog.h"

namespace brindlemar::win32 {
namespace {

constexpr UINT kFrameTimer = 1;
constexpr UINT kPreviewPeriodMs = 33;

// The about box: OK closes it, the web-page button opens the help's front
// page, which stands in for a page of the product's own.
class AboutDialog final : public ui::DialogLogic {
 public:
  explicit AboutDialog(ui::DialogControls& controls) : controls_(controls) {}
  void Open() override {}
  void OnClicked(int32_t id) override {
    if (id == IDC_WEB_PAGE) ShowHelpFrontPage(GetActiveWindow());
    if (id == IDC_OK || id == IDC_CANCEL) controls_.EndDialog(1);
  }

 private:
  ui::DialogControls& controls_;
};

int CALLBACK CollectTrueTypeFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data) {
  if (type & TRUETYPE_FONTTYPE) {
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXA*>(font);
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(reinterpret_cast<const char*>(full->elfFullName));
  }
  return 1;
}

// What the configuration dialog asks of Windows.
class ConfigHost final : public ui::DialogHost {
 public:
  ConfigHost(HINSTANCE instance, SettingsStore& store, Win32Field& field, PlatformFamily family,
             ErrorReporter& reporter)
      : instance_(instance), store_(store), field_(field), family_(family), reporter_(reporter) {}

  void SetDialog(HWND dialog) { dialog_ = dialog; }
  void SetPreviewWindow(GdiWindow* preview) { preview_ = preview; }

  void ShowMessage(std::string_view text, std::string_view title, ui::MessageIcon icon) override {
    const UINT style = icon == ui::MessageIcon::kInformation ? MB_ICONINFORMATION : MB_ICONWARNING;
    MessageBoxA(GetActiveWindow(), std::string(text).c_str(), std::string(title).c_str(), MB_OK | style);
  }

  int32_t RunAddFavorite(std::string& name) override {
    PlainSession<ui::AddFavoriteDialog> session(*this);
    if (RunLogicDialog(instance_, IDD_ADD_FAVORITE, dialog_, session) != 1) return 0;
    name = session.Get().Name();
    return 1;
  }

  int32_t RunFavoriteQuestion(ui::FavoriteQuestion question, std::string_view name) override {
    PlainSession<ui::FavoriteQuestionDialog> session{std::string(name)};
    const int id = question == ui::FavoriteQuestion::kReplace ? IDD_REPLACE_FAVORITE : IDD_REMOVE_FAVORITE;
    return RunLogicDialog(instance_, id, dialog_, session) == 1 ? 1 : 0;
  }

  void RunMessages() override {
    PlainSession<ui::MessagesDialog> session(*this, store_);
    RunLogicDialog(instance_, IDD_MESSAGES, dialog_, session);
  }

  int32_t RunStyleSettings(ui::StyleEdit& edit) override {
    PlainSession<ui::StyleSettingsDialog> session(*this, edit);
    return RunLogicDialog(instance_, IDD_STYLE_SETTINGS, dialog_, session) == 1 ? 1 : 0;
  }

  void RunAbout() override {
    PlainSession<AboutDialog> session;
    RunLogicDialog(instance_, IDD_ABOUT, dialog_, session);
  }

  void ShowHelpTopic(std::string_view keyword) override { win32::ShowHelpTopic(GetActiveWindow(), keyword); }
  void OpenWebPage() override { ShowHelpFrontPage(dialog_); }

  void RunFullScreenSaver() override {
    RunSaver(instance_, nullptr, family_, reporter_);
    SetForegroundWindow(dialog_);
    SetFocus(dialog_);
  }

  int32_t AttachPreview(ParticleField& field) override {
    return preview_ && !Failed(field.Attach(preview_, 0)) ? 1 : 0;
  }

  bool DirectDrawAvailable() override { return IsDirectDrawAvailable(); }
  const DisplayModeSource& DisplayModes() override { return modes_; }
  bool PasswordProtected() override { return field_.passwordProtected != 0; }

  std::vector<std::string> ScalableFontFamilies() override {
    std::vector<std::string> families;
    HDC screen = GetDC(dialog_);
    LOGFONTA any{};
    any.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(screen, &any, CollectTrueTypeFamily, reinterpret_cast<LPARAM>(&families), 0);
    ReleaseDC(dialog_, screen);
    return families;
  }

 private:
  HINSTANCE instance_;
  SettingsStore& store_;
  Win32Field& field_;
  PlatformFamily family_;
  ErrorReporter& reporter_;
  HWND dialog_ = nullptr;
  GdiWindow* preview_ = nullptr;
  DirectDrawModeSource modes_;
};

// Everything the configuration dialog lives with, released in the reverse
// order: the logic before the field it drives, the field before the preview
// window target it draws through.
class ConfigSession final : public LogicDialogSession {
 public:
  ConfigSession(HINSTANCE instance, PlatformFamily family, ErrorReporter& reporter)
      : instance_(instance),
        store_(std::make_unique<RegistryStore>(reporter)),
        field_(std::make_unique<Win32Field>(*store_, family)),
        host_(instance, *store_, *field_, family, reporter),
        logic_(controls_, host_, *store_, *field_) {}

  ui::DialogLogic& Logic() override { return logic_; }

  void BeforeOpen(HWND dialog) override {
    host_.SetDialog(dialog);
    // A themed tab control paints its pages in the window colour, behind
    // labels and check boxes that paint the dialog's: the plain one paints
    // the dialog's colour too.
    SetWindowTheme(GetDlgItem(dialog, IDC_TABS), L" ", L" ");
    CreatePreviewWindow(dialog);
    icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_BRINDLEMAR));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  }

  // The keyboard starts on OK rather than on the first list, whose empty
  // selection would show as a bar of highlight.
  bool AfterOpen(HWND dialog) override {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_OK)), TRUE);
    return true;
  }

  bool Handle(HWND dialog, UINT message, WPARAM, LPARAM, INT_PTR& result) override {
    if (message == WM_PAINT && IsIconic(dialog)) {
      PaintIcon(dialog);
      result = TRUE;
      return true;
    }
    // A new DPI rescales the dialog; the preview follows its frame.
    if (message == WM_DPICHANGED_AFTERPARENT || message == WM_SIZE) PlacePreviewWindow(dialog);
    return false;
  }

  ParticleField& Field() { return *field_; }

 private:
  static LRESULT CALLBACK PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        SetTimer(hwnd, kFrameTimer, kPreviewPeriodMs, nullptr);
        return 0;
      case WM_TIMER:
        if (auto* field = reinterpret_cast<ParticleField*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) field->DriveFrame();
        return 0;
      case WM_DESTROY:
        KillTimer(hwnd, kFrameTimer);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  // The rectangle of the hidden frame, in the dialog's client coordinates.
  static RECT FrameRect(HWND dialog) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, IDC_PREVIEW_FRAME), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  void CreatePreviewWindow(HWND dialog) {
    WNDCLASSA existing;
    if (!GetClassInfoA(instance_, kPreviewClassName, &existing)) {
      WNDCLASSA wc{};
      wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
      wc.lpfnWndProc = PreviewProc;
      wc.hInstance = instance_;
      wc.lpszClassName = kPreviewClassName;
      RegisterClassA(&wc);
    }
    const RECT rect = FrameRect(dialog);
    preview_ = CreateWindowExA(0, kPreviewClassName, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, dialog, nullptr, instance_, nullptr);
    if (!preview_) return;
    SetWindowLongPtrA(preview_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(field_.get()));
    previewTarget_ = std::make_unique<GdiWindow>(preview_);
    host_.SetPreviewWindow(previewTarget_.get());
  }

  void PlacePreviewWindow(HWND dialog) {
    if (!preview_) return;
    const RECT rect = FrameRect(dialog);
    SetWindowPos(preview_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void PaintIcon(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(dialog, &paint);
  }

  HINSTANCE instance_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<GdiWindow> previewTarget_;
  std::unique_ptr<Win32Field> field_;
  ConfigHost host_;
  ui::ConfigDialog logic_;
  HWND preview_ = nullptr;
  HICON icon_ = nullptr;
};

}  // namespace

int RunConfigDialog(void* instance, void* owner, PlatformFamily family, ErrorReporter& reporter) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  auto session = std::make_unique<ConfigSession>(static_cast<HINSTANCE>(instance), family, reporter);
  RunLogicDialog(static_cast<HINSTANCE>(instance), IDD_CONFIG, static_cast<HWND>(owner), *session);
  return 1;
}

}  // namespace brindlemar::win32
