// The wide form in which a UTF-8 path is handed to the system's file calls.
#pragma once

#include <string>

// A path of up to 259 characters whose names end in no dot or blank goes as
// it is; any other is made absolute (joined to the current folder when
// relative), normalized and given the "\\?\" or "\\?\UNC\" prefix, so that
// deep paths open and a name's trailing dot or blank is kept.
std::wstring SystemPath(const char* utf8);
inline std::wstring SystemPath(const std::string& utf8) { return SystemPath(utf8.c_str()); }

// The current folder in UTF-8, without a trailing separator except at a root.
std::string CurrentFolder();
