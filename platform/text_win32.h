// Text at the Win32 boundary: the system keeps UTF-8 in its char strings and
// converts only here, to and from the UTF-16 of the wide calls, and to and
// from the ANSI code page of the lists that older programs wrote.
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

// UTF-8 of text in the ANSI code page (every byte maps to something).
std::string AnsiToUtf8(const char* ansi, int size = -1);

// The ANSI code page form of UTF-8 text; false when a character has no exact
// form there (no best-fit look-alike and no default character is ever put in
// its place).
bool Utf8ToAnsiExact(const char* utf8, int size, std::string* ansi);

// Copies UTF-8 text into a fixed buffer of `capacity` bytes, terminated; false
// (and an empty buffer) when it does not fit, so a name is never cut.
bool CopyUtf8(const std::string& text, char* out, size_t capacity);
