// Text at the Win32 boundary: the system keeps UTF-8 in its char strings and
// converts only here, to and from the UTF-16 of the wide calls (the ANSI
// code page of older lists is platform/ansi_codepage.h).
#pragma once

#include <windows.h>

#include <string>

// UTF-16 of UTF-8 text (`size` bytes, or up to the terminator when -1).
std::wstring Wide(const char* utf8, int size = -1);
inline std::wstring Wide(const std::string& utf8) {
  return Wide(utf8.data(), static_cast<int>(utf8.size()));
}

// UTF-8 of UTF-16 text (`count` units, or up to the terminator when -1).
std::string Utf8(const wchar_t* text, int count = -1);
inline std::string Utf8(const std::wstring& text) {
  return Utf8(text.data(), static_cast<int>(text.size()));
}

// Copies UTF-8 text into a fixed buffer of `capacity` bytes, terminated; false
// (and an empty buffer) when it does not fit, so a name is never cut.
bool CopyUtf8(const std::string& text, char* out, size_t capacity);
