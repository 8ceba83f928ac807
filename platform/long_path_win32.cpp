#include "platform/long_path_win32.h"

#include <windows.h>

#include "platform/text_win32.h"
#include "platform/windows_path.h"

std::string CurrentFolder() {
  DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring w(n, L'\0');
  n = ::GetCurrentDirectoryW(n, w.data());
  w.resize(n);
  std::string folder = Utf8(w);
  // The current folder may itself be in the extended form; it is given back
  // in the plain one, which the callers join names to. A root keeps its
  // separator.
  if (folder.compare(0, 8, "\\\\?\\UNC\\") == 0)
    folder.erase(1, 6);  // "\\?\UNC\server" to "\\server"
  else if (folder.compare(0, 4, "\\\\?\\") == 0)
    folder = folder.substr(4);
  if (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

std::wstring SystemPath(const char* utf8) {
  const std::string path = utf8 ? utf8 : "";
  if (!NeedsExtendedForm(path)) return Wide(path);
  std::string absolute;
  if (IsAbsolutePath(path)) {
    absolute = path;
  } else if (path.size() >= 2 && path[1] == ':') {
    // "C:name" is relative to drive C's own current folder, which only the
    // system knows; its full-path call is not limited to 260 characters.
    const std::wstring w = Wide(path);
    const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return w;
    full.resize(got);
    // The full-path call drops a trailing dot or blank of the last name; keep
    // the name as written.
    absolute = Utf8(full);
    size_t cut = path.find_last_of("\\/");
    const std::string last = path.substr(cut == std::string::npos ? 2 : cut + 1);
    cut = absolute.find_last_of('\\');
    absolute.resize(cut + 1);
    absolute += last;
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    // Rooted: on the drive or share of the current folder.
    const std::string here = CurrentFolder();
    if (here.size() >= 2 && here[1] == ':') {
      absolute.assign(here, 0, 2);
      absolute += path;
    } else {
      size_t pos = here.find('\\', 2);
      if (pos != std::string::npos) pos = here.find('\\', pos + 1);
      absolute.assign(here, 0, pos);
      absolute += path;
    }
  } else {
    absolute = JoinPath(CurrentFolder(), path);
  }
  std::string extended;
  if (!ToExtendedForm(absolute, &extended)) return Wide(path);
  return Wide(extended);
}
