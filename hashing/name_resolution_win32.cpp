#include "hashing/name_resolution_win32.h"

#include <cstring>

#include "platform/handles_win32.h"

namespace {

// The job's name buffer holds 511 characters; a longer name cannot come from
// a list and is never turned into a pattern.
constexpr size_t kMaxName = 511;

bool IsLetterOrDigit(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// True when `name` ends with `tail` (case-insensitive).
bool EndsWith(const char* name, size_t nameLength, const char* tail) {
  size_t tailLength = strlen(tail);
  if (nameLength < tailLength) return false;
  return lstrcmpiA(name + nameLength - tailLength, tail) == 0;
}

HANDLE OpenForReading(const char* name, DWORD share, DWORD flags) {
  return CreateFileA(name, GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

}  // namespace

bool FileExistsExactly(const char* name) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(name, &found));
  if (!search) return false;
  search.Reset();
  size_t length = strlen(name);
  if (EndsWith(name, length, found.cFileName)) return true;
  // A file whose long name is itself a valid 8.3 name has no separate short
  // name: the search reports it empty and the name counts as exact.
  return EndsWith(name, length, found.cAlternateFileName);
}

int ResolveByWildcard(const char* name, char wildcard, bool keepDashDot, char* firstMatch,
                      size_t capacity) {
  if (firstMatch && capacity > 0) firstMatch[0] = '\0';
  size_t length = strnlen(name, kMaxName + 1);
  if (length > kMaxName) return 0;
  char pattern[kMaxName + 1];
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool keep = IsLetterOrDigit(c) || (keepDashDot && (c == '-' || c == '.'));
    pattern[i] = keep ? static_cast<char>(c) : wildcard;
  }
  pattern[length] = '\0';

  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(pattern, &found));
  if (!search) return 0;
  if (firstMatch && capacity > 0) {
    size_t copy = strnlen(found.cFileName, capacity - 1);
    memcpy(firstMatch, found.cFileName, copy);
    firstMatch[copy] = '\0';
  }
  int count = 1;
  while (FindNextFileA(search.Get(), &found)) ++count;
  return count;
}

// A wildcard search resolves a name only with exactly one match: none means
// the file is missing, several that the name is ambiguous.
static bool OneMatch(int count, EntryStatus* why) {
  if (count == 1) return true;
  *why = count == 0 ? FileMissing : Unresolved;
  return false;
}

bool GetEntryFileTime(const char* name, FILETIME* lastWriteTime, EntryStatus* why) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueFileHandle file(OpenForReading(name, share, FILE_FLAG_NO_BUFFERING));
  if (!file) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) {
      *why = ReadError;
      return false;
    }
    char match[MAX_PATH];
    if (!OneMatch(ResolveByWildcard(name, '?', true, match, sizeof match), why)) return false;
    file.Reset(OpenForReading(match, share, FILE_FLAG_SEQUENTIAL_SCAN));
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

HANDLE OpenForHashing(const char* name, bool shellVariant, EntryStatus* why) {
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
  // The match lies in the current folder and is opened by its bare name.
  char match[MAX_PATH];
  if (!OneMatch(ResolveByWildcard(name, '*', false, match, sizeof match), why)) {
    return INVALID_HANDLE_VALUE;
  }
  file = OpenForReading(match, share,
                        shellVariant ? FILE_FLAG_NO_BUFFERING : FILE_FLAG_SEQUENTIAL_SCAN);
  if (file == INVALID_HANDLE_VALUE) *why = ReadError;
  return file;
}
