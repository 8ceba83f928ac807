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
    // system knows. Only the drive is asked for: the full-path call would
    // drop a trailing dot or blank of every name, and the names are kept as
    // written.
    const wchar_t drive[3] = {static_cast<wchar_t>(static_cast<unsigned char>(path[0])), L':', 0};
    const DWORD n = ::GetFullPathNameW(drive, 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(drive, n, full.data(), nullptr);
    if (got == 0 || got >= n) return Wide(path);
    full.resize(got);
    absolute = JoinPath(Utf8(full), path.substr(2));
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
