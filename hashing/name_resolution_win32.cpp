#include "hashing/name_resolution_win32.h"

#include <cstring>
#include <string>

#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"

namespace {

bool IsLetterOrDigit(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

// True when `name` ends with `tail` (case-insensitive, as the file system
// compares names).
bool EndsWith(const std::wstring& name, const wchar_t* tail) {
  const size_t tailLength = std::wcslen(tail);
  if (name.size() < tailLength) return false;
  return ::lstrcmpiW(name.c_str() + name.size() - tailLength, tail) == 0;
}

HANDLE OpenForReading(const char* name, DWORD share, DWORD flags) {
  return CreateFileUtf8(name, GENERIC_READ, share, OPEN_EXISTING, flags);
}

// The first `nameStart` bytes of `name`: the folder a list's name was joined
// to, where a wildcard match is opened.
std::string FolderPart(const char* name, size_t nameStart) {
  return std::string(name, strnlen(name, nameStart));
}

// The match `found` of a pattern made from `name`: in the folder part, or by
// its bare name in the current folder.
std::string MatchPath(const char* name, size_t nameStart, const char* found) {
  std::string path = FolderPart(name, nameStart);
  path += found;
  return path;
}

}  // namespace

bool FileExistsExactly(const char* name) {
  WIN32_FIND_DATAW found;
  UniqueFindHandle search(::FindFirstFileExW(SystemPath(name).c_str(), FindExInfoStandard, &found,
                                             FindExSearchNameMatch, nullptr, 0));
  if (!search) return false;
  search.Reset();
  const std::wstring wide = Wide(name);
  if (EndsWith(wide, found.cFileName)) return true;
  // A file whose long name is itself a valid 8.3 name has no separate short
  // name: the search reports it empty and the name counts as exact.
  return EndsWith(wide, found.cAlternateFileName);
}

int ResolveByWildcard(const char* name, char wildcard, bool keepDashDot, char* firstMatch,
                      size_t capacity, size_t nameStart) {
  if (firstMatch && capacity > 0) firstMatch[0] = '\0';
  const size_t length = strnlen(name, kMaxPathBytes);
  if (length >= kMaxPathBytes) return 0;
  if (nameStart > length) nameStart = length;
  // The pattern is made of the name's UTF-16 units: each unit that is not an
  // ASCII letter or digit becomes one wildcard, so a character outside ASCII
  // is matched whatever it was turned into on the way.
  std::wstring pattern = Wide(name + nameStart, static_cast<int>(length - nameStart));
  for (wchar_t& c : pattern) {
    const bool keep = IsLetterOrDigit(c) || (keepDashDot && (c == L'-' || c == L'.'));
    if (!keep) c = static_cast<wchar_t>(wildcard);
  }
  std::string patternPath = FolderPart(name, nameStart);
  patternPath += Utf8(pattern);

  FoundFile found;
  UniqueFindHandle search(FindFirstUtf8(patternPath.c_str(), &found));
  if (!search) return 0;
  if (firstMatch && capacity > 0) CopyUtf8(found.Name, firstMatch, capacity);
  int count = 1;
  while (FindNextUtf8(search.Get(), &found)) ++count;
  return count;
}

// A wildcard search resolves a name only with exactly one match: none means
// the file is missing, several that the name is ambiguous.
static bool OneMatch(int count, EntryStatus* why) {
  if (count == 1) return true;
  *why = count == 0 ? FileMissing : Unresolved;
  return false;
}

bool GetEntryFileTime(const char* name, FILETIME* lastWriteTime, EntryStatus* why,
                      size_t nameStart) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueFileHandle file(OpenForReading(name, share, FILE_FLAG_NO_BUFFERING));
  if (!file) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) {
      *why = ReadError;
      return false;
    }
    std::string match(kMaxPathBytes, '\0');
    const int count = ResolveByWildcard(name, '?', true, match.data(), match.size(), nameStart);
    if (!OneMatch(count, why)) return false;
    file.Reset(OpenForReading(MatchPath(name, nameStart, match.c_str()).c_str(), share,
                              FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) {
      *why = ReadError;
      return false;
    }
  }
  if (!GetFileTime(file.Get(), nullptr, nullptr, lastWriteTime)) {
    *why = ReadError;
    return false;
  }
  return true;
}

HANDLE OpenForHashing(const char* name, bool shellVariant, EntryStatus* why, size_t nameStart) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = OpenForReading(name, share, FILE_FLAG_NO_BUFFERING);
  if (file != INVALID_HANDLE_VALUE) return file;
  DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND) {
    *why = shellVariant ? ReadError : FileMissing;
    return INVALID_HANDLE_VALUE;
  }
  if (error != ERROR_FILE_NOT_FOUND) {
    *why = ReadError;
    return INVALID_HANDLE_VALUE;
  }
  // The match lies in the folder the name was joined to (the current folder
  // when there is none) and is opened there by its bare name.
  std::string match(kMaxPathBytes, '\0');
  if (!OneMatch(ResolveByWildcard(name, '*', false, match.data(), match.size(), nameStart), why)) {
    return INVALID_HANDLE_VALUE;
  }
  file = OpenForReading(MatchPath(name, nameStart, match.c_str()).c_str(), share,
                        shellVariant ? FILE_FLAG_NO_BUFFERING : FILE_FLAG_SEQUENTIAL_SCAN);
  if (file == INVALID_HANDLE_VALUE) *why = ReadError;
  return file;
}
