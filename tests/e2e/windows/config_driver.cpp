// brindlemar-config-driver: the Windows side of the configuration dialog's
// end-to-end tests. It finds a dialog of another process by its title and
// its controls by id, sends them the messages a user's actions produce
// (a click, typed text, a choice in a list, a scroll, a page change, leaving
// an edit) and reads back what the controls show.
//
//   wait <title> <seconds>           exit 0 once a dialog with that title exists
//   gone <title> <seconds>           exit 0 once none does
//   click <title> <id>               a click on a button (posted: it may open a dialog)
//   set <title> <id> 0|1             clicks a check box when it is not in that state
//   type <title> <id> <text>         replaces an edit's text, as typing does
//   leave <title> <id>               the edit loses the keyboard focus
//   choose <title> <id> <text>       chooses the entry with exactly that text
//   scroll <title> <id> <code>       a scroll bar action (SB_* code)
//   select <title> <id> [pos...]     selects exactly these lines of a list box
//   page <title> <id> <page>         the user chooses a page of a tab control
//   get <title> <id>                 prints the control's text
//   state <title> <id>               prints "checked enabled visible" as 0/1
//   entries <title> <id>             prints a list's entries, "* " before selected ones
//   rect <title> <id>|preview|client|window
//                                    prints the screen rectangle "x y w h" of a
//                                    control, the dialog's preview, its client
//                                    area or its whole window
//   saver <seconds> 1|0              exit 0 once the full-screen saver window
//                                    exists (1) or is gone (0)
//   opened <log> <file>              appends file to log (an "open" verb for tests)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A dialog once it shows: its window exists a moment before its controls do.
HWND FindDialog(const char* title) {
  HWND dialog = FindWindowA("#32770", title);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

HWND Control(const char* title, const char* id) {
  HWND dialog = FindDialog(title);
  return dialog ? GetDlgItem(dialog, std::atoi(id)) : nullptr;
}

bool WaitFor(const char* title, int seconds, bool present) {
  for (int i = 0; i < seconds * 20; ++i) {
    if ((FindDialog(title) != nullptr) == present) return true;
    Sleep(50);
  }
  return false;
}

// An entry's text. Asked for in UTF-16, which Wine copies whole between
// processes.
std::string EntryText(HWND control, bool list, LRESULT index) {
  wchar_t wide[512] = {};
  SendMessageW(control, list ? LB_GETTEXT : CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
  char text[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

bool IsListBox(HWND control) {
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "ListBox") == 0;
}

// The dialog's parent-notification of a control, as the control sends it.
void Notify(HWND control, WORD code) {
  SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

int Choose(HWND control, const char* text) {
  const bool list = IsListBox(control);
  const LRESULT count = SendMessageA(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (EntryText(control, list, i) != text) continue;
    SendMessageA(control, list ? LB_SETCURSEL : CB_SETCURSEL, i, 0);
    Notify(control, list ? LBN_SELCHANGE : CBN_SELCHANGE);
    return 0;
  }
  std::fprintf(stderr, "no entry \"%s\"\n", text);
  return 1;
}

int PrintEntries(HWND control) {
  const bool list = IsListBox(control);
  const LRESULT count = SendMessageA(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
  const LRESULT current = list ? -1 : SendMessageA(control, CB_GETCURSEL, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const bool selected = list ? SendMessageA(control, LB_GETSEL, i, 0) > 0 : i == current;
    std::printf("%s%s\n", selected ? "* " : "", EntryText(control, list, i).c_str());
  }
  return 0;
}

// A page change made with the arrow keys, one page at a time: the tab
// control then tells its dialog itself.
int ChoosePage(HWND tabs, int page) {
  for (int i = 0; i < 8; ++i) {
    const LRESULT current = SendMessageA(tabs, TCM_GETCURSEL, 0, 0);
    if (current == page) return 0;
    const WPARAM key = current < page ? VK_RIGHT : VK_LEFT;
    SendMessageA(tabs, WM_KEYDOWN, key, 1);
    SendMessageA(tabs, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }
  return 1;
}

int PrintRect(HWND window) {
  RECT rect;
  if (!window || !GetWindowRect(window, &rect)) return 1;
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}

int Run(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "opened" && argc >= 4) {
    FILE* log = std::fopen(argv[2], "a");
    if (!log) return 1;
    std::fprintf(log, "%s\n", argv[3]);
    std::fclose(log);
    return 0;
  }
  if (command == "saver" && argc >= 4) {
    const bool present = std::atoi(argv[3]) != 0;
    for (int i = 0; i < std::atoi(argv[2]) * 20; ++i) {
      if ((FindWindowA("WindowsScreenSaverClass", "Brindlemar") != nullptr) == present) return 0;
      Sleep(50);
    }
    return 1;
  }
  if (argc < 4) return 64;
  const char* title = argv[2];
  if (command == "wait") return WaitFor(title, std::atoi(argv[3]), true) ? 0 : 1;
  if (command == "gone") return WaitFor(title, std::atoi(argv[3]), false) ? 0 : 1;
  if (command == "rect" && std::strcmp(argv[3], "client") == 0) {
    HWND dialog = FindDialog(title);
    RECT rect;
    POINT origin = {0, 0};
    if (!dialog || !GetClientRect(dialog, &rect) || !ClientToScreen(dialog, &origin)) return 1;
    std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, rect.right, rect.bottom);
    return 0;
  }
  if (command == "rect" && std::strcmp(argv[3], "window") == 0) return PrintRect(FindDialog(title));
  if (command == "rect" && std::strcmp(argv[3], "preview") == 0) {
    return PrintRect(FindWindowExA(FindDialog(title), nullptr, "CDrawWndDlg Class", nullptr));
  }
  HWND control = Control(title, argv[3]);
  if (!control) {
    std::fprintf(stderr, "no control %s in \"%s\"\n", argv[3], title);
    return 2;
  }
  if (command == "click") return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  if (command == "set" && argc >= 5) {
    const bool want = std::atoi(argv[4]) != 0;
    const bool checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return want == checked || PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (command == "type" && argc >= 5) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    return 0;
  }
  if (command == "leave") {
    Notify(control, EN_KILLFOCUS);
    return 0;
  }
  if (command == "choose" && argc >= 5) return Choose(control, argv[4]);
  if (command == "scroll" && argc >= 5) {
    SendMessageA(GetParent(control), WM_HSCROLL, MAKEWPARAM(std::atoi(argv[4]), 0), reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (command == "select") {
    SendMessageA(control, LB_SETSEL, FALSE, -1);
    for (int i = 4; i < argc; ++i) SendMessageA(control, LB_SETSEL, TRUE, std::atoi(argv[i]));
    Notify(control, LBN_SELCHANGE);
    return 0;
  }
  if (command == "page" && argc >= 5) return ChoosePage(control, std::atoi(argv[4]));
  if (command == "get") {
    char text[65536] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", text);
    return 0;
  }
  if (command == "state") {
    std::printf("%d %d %d\n", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0,
                IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0);
    return 0;
  }
  if (command == "entries") return PrintEntries(control);
  if (command == "rect") return PrintRect(control);
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  const int code = Run(argc, argv);
  std::fflush(stdout);
  return code;
}
