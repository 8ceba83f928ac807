#include "verifier/exact_names_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "hashing/name_resolution_win32.h"
#include "platform/handles_win32.h"

namespace {

// Short lists are answered one search at a time: a listing pays off only
// when many entries share a folder.
constexpr uint32_t kDirectTests = 32;
// A list that keeps moving between more folders than there are slots would
// take a listing for nearly every entry; once listings are more than one in
// kChecksPerLoad tests (after the first kThrashLoads listings) the rest of
// the run searches one name at a time.
constexpr uint32_t kChecksPerLoad = 8;
constexpr uint32_t kThrashLoads = 16;

void UpperCase(char* text) {
  ::CharUpperBuffA(text, static_cast<DWORD>(std::strlen(text)));
}

void AddName(FolderNames* f, const char* name) {
  if (name[0] == '\0') return;
  f->sorted.push_back(static_cast<uint32_t>(f->text.size()));
  size_t at = f->text.size();
  f->text.insert(f->text.end(), name, name + std::strlen(name) + 1);
  UpperCase(&f->text[at]);
}

void LoadFolder(FolderNames* f, const char* folder, size_t length) {
  std::memcpy(f->folder, folder, length);
  f->folder[length] = '\0';
  f->text.clear();
  f->sorted.clear();
  f->used = true;
  char pattern[sizeof f->folder + 2];
  std::memcpy(pattern, folder, length);
  std::memcpy(pattern + length, "*", 2);
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(::FindFirstFileA(pattern, &found));
  if (search) {
    do {
      AddName(f, found.cFileName);
      AddName(f, found.cAlternateFileName);
    } while (::FindNextFileA(search.Get(), &found));
  }
  const char* text = f->text.data();
  std::sort(f->sorted.begin(), f->sorted.end(),
            [text](uint32_t a, uint32_t b) { return std::strcmp(text + a, text + b) < 0; });
}

bool Contains(const FolderNames& f, const char* upperName) {
  const char* text = f.text.data();
  auto at = std::lower_bound(
      f.sorted.begin(), f.sorted.end(), upperName,
      [text](uint32_t a, const char* name) { return std::strcmp(text + a, name) < 0; });
  return at != f.sorted.end() && std::strcmp(text + *at, upperName) == 0;
}

}  // namespace

void ResetExactNames(ExactNames* names) {
  for (FolderNames& f : names->folders) {
    f.used = false;
    f.folder[0] = '\0';
    f.text.clear();
    f.sorted.clear();
  }
  names->checks = 0;
  names->next = 0;
  names->loads = 0;
}

bool ExistsExactly(ExactNames* names, const char* name) {
  ++names->checks;
  if (names->checks <= kDirectTests ||
      (names->loads > kThrashLoads && names->loads * kChecksPerLoad > names->checks)) {
    return FileExistsExactly(name);
  }
  const char* slash = std::strrchr(name, '\\');
  const char* forward = std::strrchr(name, '/');
  if (forward && (!slash || forward > slash)) slash = forward;
  const char* base = slash ? slash + 1 : name;
  size_t folderLength = static_cast<size_t>(base - name);
  char upper[MAX_PATH];
  size_t baseLength = std::strlen(base);
  // Wildcards, drive-relative names and names too long for a listing go to
  // the direct search, which refuses or finds them as it always did.
  if (folderLength + 2 > sizeof names->folders[0].folder || baseLength == 0 ||
      baseLength >= sizeof upper || std::strpbrk(base, "*?:") != nullptr) {
    return FileExistsExactly(name);
  }
  FolderNames* folder = nullptr;
  for (FolderNames& f : names->folders) {
    // Folder names are compared as the file system does, whatever the case.
    if (f.used && std::strlen(f.folder) == folderLength &&
        ::_strnicmp(f.folder, name, folderLength) == 0) {
      folder = &f;
      break;
    }
  }
  if (folder == nullptr) {
    folder = &names->folders[names->next];
    names->next = (names->next + 1) % (sizeof names->folders / sizeof names->folders[0]);
    LoadFolder(folder, name, folderLength);
    ++names->loads;
  }
  std::memcpy(upper, base, baseLength + 1);
  UpperCase(upper);
  return Contains(*folder, upper);
}
