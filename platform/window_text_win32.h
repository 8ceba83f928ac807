// Window, dialog and message-box text in UTF-8, and the clipboard's Unicode
// text. Windows of the deliverables are wide windows (registered and created
// with the wide calls), so every name shows as it is.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

bool SetWindowTextUtf8(HWND window, const char* text);
std::string GetWindowTextUtf8(HWND window);
bool SetDlgItemTextUtf8(HWND dialog, int id, const char* text);
std::string GetDlgItemTextUtf8(HWND dialog, int id);
int MessageBoxUtf8(HWND owner, const char* text, const char* caption, UINT type);

// Puts `text` on the clipboard as CF_UNICODETEXT (Windows derives the 8-bit
// forms from it for programs that ask for those). False when the clipboard
// could not be opened or the memory not had.
bool SetClipboardTextUtf8(HWND owner, const std::string& text);
// The clipboard's CF_UNICODETEXT as UTF-8, at most `maxUnits` UTF-16 units
// of it; "" when it holds no text or cannot be opened.
std::string GetClipboardTextUtf8(HWND owner, size_t maxUnits);

// The path of file `index` of a drop, however long.
std::string DragQueryFileUtf8(HDROP drop, UINT index);
