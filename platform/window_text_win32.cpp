#include "platform/window_text_win32.h"

#include <shellapi.h>

#include <cstring>

#include "platform/text_win32.h"

bool SetWindowTextUtf8(HWND window, const char* text) {
  return ::SetWindowTextW(window, Wide(text).c_str()) != FALSE;
}

std::string GetWindowTextUtf8(HWND window) {
  const int n = ::GetWindowTextLengthW(window);
  if (n <= 0) return std::string();
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(window, w.data(), n + 1);
  return Utf8(w.data(), got > 0 ? got : 0);
}

bool SetDlgItemTextUtf8(HWND dialog, int id, const char* text) {
  return ::SetDlgItemTextW(dialog, id, Wide(text).c_str()) != FALSE;
}

std::string GetDlgItemTextUtf8(HWND dialog, int id) {
  return GetWindowTextUtf8(::GetDlgItem(dialog, id));
}

int MessageBoxUtf8(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), type);
}

bool SetClipboardTextUtf8(HWND owner, const std::string& text) {
  const std::wstring w = Wide(text);
  const size_t bytes = (w.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  void* p = ::GlobalLock(memory);
  if (!p) {
    ::GlobalFree(memory);
    return false;
  }
  std::memcpy(p, w.c_str(), bytes);
  ::GlobalUnlock(memory);
  if (!::OpenClipboard(owner)) {
    ::GlobalFree(memory);
    return false;
  }
  ::EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!taken) ::GlobalFree(memory);
  ::CloseClipboard();
  return taken;
}

std::string GetClipboardTextUtf8(HWND owner, size_t maxUnits) {
  if (!::OpenClipboard(owner)) return {};
  std::string text;
  if (HANDLE memory = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(memory))) {
      const size_t room = ::GlobalSize(memory) / sizeof(wchar_t);
      size_t units = 0;
      while (units < room && units < maxUnits && p[units] != 0) ++units;
      text = Utf8(p, static_cast<int>(units));
      ::GlobalUnlock(memory);
    }
  }
  ::CloseClipboard();
  return text;
}

std::string DragQueryFileUtf8(HDROP drop, UINT index) {
  const UINT n = ::DragQueryFileW(drop, index, nullptr, 0);
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  const UINT got = ::DragQueryFileW(drop, index, w.data(), n + 1);
  return Utf8(w.data(), static_cast<int>(got));
}
