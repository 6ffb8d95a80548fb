#include "platform/win32/help_viewer.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/help_pages.h"

namespace brindlemar::win32 {
namespace {

// The type of HTML resources.
constexpr WORD kHtmlResourceType = 23;

bool WriteResource(HMODULE module, int resource, const std::string& path) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(kHtmlResourceType));
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (!bytes) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

// Writes every page, so that the links between them work, into
// "%TEMP%\Brindlemar Help"; the folder, or "" when it cannot be had.
std::string WriteHelpPages() {
  char temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length > MAX_PATH) return {};
  const std::string folder = std::string(temp) + "Brindlemar Help";
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  HMODULE module = GetModuleHandleA(nullptr);
  for (const ui::HelpPage& page : ui::kHelpPages) {
    if (!WriteResource(module, page.resource, folder + "\\" + page.file)) return {};
  }
  return folder;
}

void OpenPage(void* owner, const char* page) {
  const std::string folder = WriteHelpPages();
  if (folder.empty()) return;
  const std::string path = folder + "\\" + page;
  ShellExecuteA(static_cast<HWND>(owner), "open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace

void ShowHelpTopic(void* owner, std::string_view keyword) { OpenPage(owner, ui::HelpPageFor(keyword)); }

void ShowHelpFrontPage(void* owner) { OpenPage(owner, ui::kHelpFrontPage); }

}  // namespace brindlemar::win32
