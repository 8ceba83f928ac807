#include "verifier/entry_paths_win32.h"

#include <windows.h>

#include <cstring>

#include "platform/ansi_codepage.h"
#include "platform/files_win32.h"
#include "platform/path_bytes.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"
#include "platform/windows_path.h"

std::string FullPathOf(const char* path) {
  if (IsAbsolutePath(path) || IsExtendedOrDevicePath(path)) return path;
  const std::wstring w = Wide(path);
  const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD got = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return path;
  full.resize(got);
  return Utf8(full);
}

std::string ListFolderOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  size_t length = slash == std::string::npos ? 0 : slash;
  if (length == 2 && path[1] == ':') length = 3;  // "C:\" stays a root
  return path.substr(0, length);
}

bool StandsAlone(const char* name) {
  return name[0] == '\\' || name[0] == '/' || (name[0] != '\0' && name[1] == ':');
}

EntryRoute EntryPath(const std::string& folder, const std::string& name, std::string* path,
                     uint32_t* nameStart) {
  if (!ListNamePath(folder, name, path, nameStart)) return EntryRoute::NotOpened;
  return path->size() < kMaxPathBytes ? EntryRoute::Open : EntryRoute::TooLong;
}

namespace {

// Names outside ASCII found under their UTF-8 reading that make a list UTF-8
// beyond doubt.
constexpr uint32_t kUtf8Confirmations = 32;

}  // namespace

void TakeAnsiReadingWhenItExists(ListReader* reader, uint32_t* confirmed, const std::string& folder,
                                 ListEntry* entry) {
  if (reader->Encoding != TextEncoding::Utf8 || *confirmed >= kUtf8Confirmations) return;
  const size_t length = std::strlen(entry->FileName);
  if (IsAsciiText(entry->FileName, length)) return;
  // Both readings are looked for where the entry would be opened.
  std::string path;
  uint32_t nameStart = 0;
  if (EntryPath(folder, entry->FileName, &path, &nameStart) != EntryRoute::Open) return;
  if (GetFileAttributesUtf8(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    ++*confirmed;
    return;
  }
  std::string ansi;
  if (!AppendAnsiAsUtf8(entry->FileName, length, &ansi)) return;
  if (EntryPath(folder, ansi, &path, &nameStart) != EntryRoute::Open ||
      GetFileAttributesUtf8(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  if (ansi.size() >= sizeof entry->FileName) return;  // never a cut name
  std::memcpy(entry->FileName, ansi.c_str(), ansi.size() + 1);
  reader->Encoding = TextEncoding::Ansi;
}
