#include "platform/windows_path.h"

#include <vector>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// UTF-16 units of UTF-8 text: one per sequence, two for a four-byte one.
size_t Utf16Length(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
    if ((c & 0xF8) == 0xF0) ++n;
  }
  return n;
}

}  // namespace

bool IsExtendedOrDevicePath(const std::string& path) {
  return path.size() >= 4 && path[0] == '\\' && path[1] == '\\' &&
         (path[2] == '?' || path[2] == '.') && path[3] == '\\';
}

bool IsAbsolutePath(const std::string& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
    return true;
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool NeedsExtendedForm(const std::string& path) {
  if (IsExtendedOrDevicePath(path)) return false;
  if (Utf16Length(path) + 1 > kPlainPathLimit - 1) return true;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const size_t n = i - start;
    const bool dots = (n == 1 && path[start] == '.') ||
                      (n == 2 && path[start] == '.' && path[start + 1] == '.');
    if (n > 0 && !dots && (path[i - 1] == '.' || path[i - 1] == ' ')) return true;
    start = i + 1;
  }
  return false;
}

bool ToExtendedForm(const std::string& absolute, std::string* out) {
  if (IsExtendedOrDevicePath(absolute)) {
    *out = absolute;
    return true;
  }
  if (!IsAbsolutePath(absolute)) return false;
  std::string root;
  size_t pos;
  if (absolute[1] == ':') {
    root = "\\\\?\\";
    root += absolute.substr(0, 2);
    pos = 3;
  } else {
    // "\\server\share": both names belong to the root and ".." never climbs
    // above them.
    root = "\\\\?\\UNC";
    pos = 2;
    for (int part = 0; part < 2; ++part) {
      while (pos < absolute.size() && IsSeparator(absolute[pos])) ++pos;
      const size_t start = pos;
      while (pos < absolute.size() && !IsSeparator(absolute[pos])) ++pos;
      if (pos == start) return false;
      root += '\\';
      root.append(absolute, start, pos - start);
    }
  }
  std::vector<std::string> names;
  while (pos <= absolute.size()) {
    size_t end = pos;
    while (end < absolute.size() && !IsSeparator(absolute[end])) ++end;
    std::string name = absolute.substr(pos, end - pos);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(std::move(name));
    }
    pos = end + 1;
  }
  *out = root;
  if (names.empty()) *out += '\\';
  for (const std::string& name : names) {
    *out += '\\';
    *out += name;
  }
  return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || IsAbsolutePath(name) || IsExtendedOrDevicePath(name)) return name;
  std::string joined = folder;
  if (!IsSeparator(joined.back())) joined += '\\';
  joined += name;
  return joined;
}
