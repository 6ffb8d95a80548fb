#include "platform/win32/dialog_fit.h"

#include <algorithm>
#include <cstring>

namespace brindlemar::win32 {
namespace {

// The smallest font a fitted dialog is given, in points: below it the text
// is no longer legible, and a dialog that fits nowhere keeps this size.
constexpr WORD kSmallestPointSize = 6;

// The fixed head of an extended dialog template (DLGTEMPLATEEX), up to its
// variable-length menu, class, title and font fields.
#pragma pack(push, 1)
struct ExtendedTemplateHead {
  WORD version;
  WORD signature;
  DWORD helpId;
  DWORD extendedStyle;
  DWORD style;
  WORD itemCount;
  short x, y, width, height;
};
#pragma pack(pop)

// The size in bytes of a "string or ordinal" field starting at offset.
size_t StringOrOrdinalSize(const std::vector<BYTE>& bytes, size_t offset) {
  WORD first = 0;
  if (offset + sizeof first > bytes.size()) return 0;
  std::memcpy(&first, &bytes[offset], sizeof first);
  if (first == 0) return sizeof(WORD);
  if (first == 0xFFFF) return 2 * sizeof(WORD);
  size_t size = 0;
  for (WORD c = first; offset + size + sizeof c <= bytes.size(); size += sizeof c) {
    std::memcpy(&c, &bytes[offset + size], sizeof c);
    if (c == 0) return size + sizeof c;
  }
  return 0;
}

// Where the font's point size lies in an extended template with a font,
// and where the head ends (after the face name); false for other templates.
bool FindFont(const std::vector<BYTE>& bytes, size_t& pointSizeAt, size_t& headEnd) {
  ExtendedTemplateHead head;
  if (bytes.size() < sizeof head) return false;
  std::memcpy(&head, bytes.data(), sizeof head);
  if (head.signature != 0xFFFF || !(head.style & DS_SETFONT)) return false;
  size_t offset = sizeof head;
  for (int field = 0; field < 2; ++field) {  // the menu, then the class
    const size_t size = StringOrOrdinalSize(bytes, offset);
    if (size == 0) return false;
    offset += size;
  }
  const size_t title = StringOrOrdinalSize(bytes, offset);  // a string, never an ordinal
  if (title == 0) return false;
  pointSizeAt = offset + title;
  // Point size, weight, italic and character set, then the face name.
  const size_t face = pointSizeAt + 2 * sizeof(WORD) + 2;
  const size_t faceSize = StringOrOrdinalSize(bytes, face);
  if (faceSize == 0) return false;
  headEnd = face + faceSize;
  return true;
}

INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The window size the dialog of this template gets, measured on a hidden
// dialog made from its head alone, so that the system's own rules turn
// dialog units into pixels; false when none can be made.
bool MeasureDialog(HINSTANCE instance, const std::vector<BYTE>& bytes, size_t headEnd, SIZE& size) {
  std::vector<BYTE> head(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(headEnd));
  ExtendedTemplateHead fixed;
  std::memcpy(&fixed, head.data(), sizeof fixed);
  fixed.itemCount = 0;
  fixed.style &= ~static_cast<DWORD>(WS_VISIBLE);
  std::memcpy(head.data(), &fixed, sizeof fixed);
  head.resize((head.size() + 3) & ~static_cast<size_t>(3), 0);
  HWND dialog = CreateDialogIndirectParamA(instance, reinterpret_cast<const DLGTEMPLATE*>(head.data()), nullptr,
                                           MeasureProc, 0);
  if (!dialog) return false;
  RECT rect;
  const bool measured = GetWindowRect(dialog, &rect) != 0;
  DestroyWindow(dialog);
  size = {rect.right - rect.left, rect.bottom - rect.top};
  return measured;
}

RECT WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

std::vector<BYTE> FitDialogTemplate(HINSTANCE instance, int templateId, HWND owner) {
  HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  if (!data) return {};
  std::vector<BYTE> bytes(data, data + SizeofResource(instance, resource));

  size_t pointSizeAt = 0, headEnd = 0;
  if (!FindFont(bytes, pointSizeAt, headEnd)) return bytes;
  const HMONITOR monitor =
      owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY) : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  const RECT work = WorkAreaOf(monitor);
  WORD points = 0;
  std::memcpy(&points, &bytes[pointSizeAt], sizeof points);
  for (; points > kSmallestPointSize; --points) {
    std::memcpy(&bytes[pointSizeAt], &points, sizeof points);
    SIZE size;
    if (!MeasureDialog(instance, bytes, headEnd, size)) break;
    if (size.cx <= work.right - work.left && size.cy <= work.bottom - work.top) break;
  }
  std::memcpy(&bytes[pointSizeAt], &points, sizeof points);
  return bytes;
}

void KeepInWorkArea(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return;
  const RECT work = WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
  const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
  const LONG x = std::max(work.left, std::min(rect.left, work.right - width));
  const LONG y = std::max(work.top, std::min(rect.top, work.bottom - height));
  if (x == rect.left && y == rect.top) return;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace brindlemar::win32
