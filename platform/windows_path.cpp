#include "platform/windows_path.h"

#include <vector>

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// UTF-16 units of UTF-8 text: one per sequence, two for a four-byte one.
size_t Utf16Length(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
    if ((c & 0xF8) == 0xF0) ++n;
  }
  return n;
}

// The text behind the last separator (behind "C:" for "C:name").
std::string LastName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  if (cut != std::string::npos) return path.substr(cut + 1);
  if (path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) return path.substr(2);
  return path;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// "\\server\share" of a network path (either separator), or of the extended
// form "\\?\UNC\server\share"; false for any other path.
bool ShareOf(const std::string& path, std::string* server, std::string* share) {
  size_t pos;
  if (path.size() >= 8 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == '?' &&
      IsSeparator(path[3]) && EqualsIgnoringAsciiCase(path.substr(4, 3), "unc") &&
      IsSeparator(path[7])) {
    pos = 8;
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    pos = 2;
  } else {
    return false;
  }
  std::string* parts[2] = {server, share};
  for (std::string* part : parts) {
    const size_t start = pos;
    while (pos < path.size() && !IsSeparator(path[pos])) ++pos;
    if (pos == start) return false;
    part->assign(path, start, pos - start);
    if (pos < path.size()) ++pos;
  }
  return true;
}

// The root a rooted name ("\\x") hangs from: "C:", "\\server\share",
// "\\?\C:", "\\?\UNC\server\share" or "\\?\<volume>"; empty when the
// folder has none.
std::string RootOf(const std::string& folder) {
  if (folder.size() >= 2 && IsDriveLetter(folder[0]) && folder[1] == ':')
    return folder.substr(0, 2);
  size_t pos = 0;
  int names = 0;
  if (IsExtendedOrDevicePath(folder)) {
    pos = 4;
    names = folder.size() >= 8 && EqualsIgnoringAsciiCase(folder.substr(4, 3), "unc") &&
                    IsSeparator(folder[7])
                ? 3
                : 1;
  } else if (folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
    pos = 2;
    names = 2;
  } else {
    return std::string();
  }
  for (int k = 0; k < names; ++k) {
    if (k > 0) ++pos;
    while (pos < folder.size() && !IsSeparator(folder[pos])) ++pos;
  }
  return folder.substr(0, pos);
}

// `root` followed by the names of `path` from `pos` on, normalized: "/"
// becomes "\\", repeated separators fold, "." goes and ".." takes the name
// before it, never the root.
std::string RootAndNormalizedNames(const std::string& root, const std::string& path, size_t pos) {
  std::vector<std::string> names;
  while (pos <= path.size()) {
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string name = path.substr(pos, end - pos);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(std::move(name));
    }
    pos = end + 1;
  }
  std::string out = root;
  for (const std::string& name : names) {
    out += '\\';
    out += name;
  }
  if (names.empty()) out += '\\';
  return out;
}

// An extended path with its names normalized after its root.
std::string NormalizeExtended(const std::string& path) {
  const std::string root = RootOf(path);
  return RootAndNormalizedNames(root, path, root.size());
}

}  // namespace

bool IsReservedDeviceName(const std::string& name) {
  // The base name: up to the first dot or colon, without trailing blanks.
  size_t end = name.find_first_of(".:");
  if (end == std::string::npos) end = name.size();
  while (end > 0 && name[end - 1] == ' ') --end;
  const std::string base = name.substr(0, end);
  static const char* const kPlain[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* word : kPlain)
    if (EqualsIgnoringAsciiCase(base, word)) return true;
  if (base.size() < 4) return false;
  const std::string stem = base.substr(0, 3);
  if (!EqualsIgnoringAsciiCase(stem, "com") && !EqualsIgnoringAsciiCase(stem, "lpt")) return false;
  const std::string digit = base.substr(3);
  if (digit.size() == 1) return digit[0] >= '0' && digit[0] <= '9';
  // Superscript one, two and three (U+00B9, U+00B2, U+00B3).
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

ListNameKind ClassifyListName(const std::string& name) {
  const size_t n = name.size();
  if (n >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) {
    // "\\.\", "\\?\" (and "\\." or "\\?" alone) name devices and the
    // system's own namespace.
    if (n >= 3 && (name[2] == '.' || name[2] == '?') && (n == 3 || IsSeparator(name[3])))
      return ListNameKind::Device;
    return ListNameKind::Network;
  }
  // "\??\" is the system's own namespace, passed through unchanged.
  if (n >= 4 && IsSeparator(name[0]) && name[1] == '?' && name[2] == '?' && IsSeparator(name[3]))
    return ListNameKind::Device;
  if (n >= 1 && IsSeparator(name[0])) return ListNameKind::Rooted;
  if (n >= 2 && IsDriveLetter(name[0]) && name[1] == ':')
    return n >= 3 && IsSeparator(name[2]) ? ListNameKind::Absolute : ListNameKind::DriveRelative;
  return ListNameKind::Relative;
}

bool ListNamePath(const std::string& listFolder, const std::string& name, std::string* path,
                  uint32_t* nameStart) {
  *nameStart = 0;
  path->clear();
  switch (ClassifyListName(name)) {
    case ListNameKind::Device:
      return false;
    case ListNameKind::Network: {
      // Only the list's own server and share.
      std::string server, share, listServer, listShare;
      if (!ShareOf(name, &server, &share) || !ShareOf(listFolder, &listServer, &listShare) ||
          !EqualsIgnoringAsciiCase(server, listServer) ||
          !EqualsIgnoringAsciiCase(share, listShare))
        return false;
      // On the list's share, in the list's form.
      *path = IsExtendedOrDevicePath(listFolder)
                  ? RootOf(listFolder) + name.substr(2 + server.size() + 1 + share.size())
                  : name;
      break;
    }
    case ListNameKind::Rooted: {
      const std::string root = RootOf(listFolder);
      *path = root.empty() ? name : root + name;
      break;
    }
    case ListNameKind::DriveRelative:
    case ListNameKind::Absolute:
      *path = name;
      break;
    case ListNameKind::Relative:
      if (listFolder.empty()) {
        *path = name;
        break;
      }
      *path = listFolder;
      if (!IsSeparator(path->back())) *path += '\\';
      *nameStart = static_cast<uint32_t>(path->size());
      *path += name;
      break;
  }
  if (IsExtendedOrDevicePath(*path)) {
    const std::string folder =
        *nameStart > 0 ? NormalizeExtended(path->substr(0, *nameStart)) : std::string();
    *path = NormalizeExtended(*path);
    if (*nameStart > 0) {
      // The name's folder part stays the list's folder unless ".." left it;
      // then a missing name is resolved in the folder it leads to.
      const std::string prefix = folder.back() == '\\' ? folder : folder + '\\';
      *nameStart = path->compare(0, prefix.size(), prefix) == 0
                       ? static_cast<uint32_t>(prefix.size())
                       : static_cast<uint32_t>(path->find_last_of('\\') + 1);
    }
  }
  return true;
}

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
  if (IsReservedDeviceName(LastName(path))) return true;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const size_t n = i - start;
    const bool dots =
        (n == 1 && path[start] == '.') || (n == 2 && path[start] == '.' && path[start + 1] == '.');
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
  *out = RootAndNormalizedNames(root, absolute, pos);
  return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || IsAbsolutePath(name) || IsExtendedOrDevicePath(name)) return name;
  std::string joined = folder;
  if (!IsSeparator(joined.back())) joined += '\\';
  joined += name;
  return joined;
}
