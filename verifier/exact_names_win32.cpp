#include "verifier/exact_names_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "hashing/name_resolution_win32.h"
#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"

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

// The UTF-8 form of a name upper-cased by the system's Unicode rules.
std::string UpperCase(std::wstring name) {
  ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  return Utf8(name);
}

void AddName(FolderNames* f, const wchar_t* name) {
  if (name[0] == L'\0') return;
  const std::string upper = UpperCase(name);
  f->sorted.push_back(static_cast<uint32_t>(f->text.size()));
  f->text.insert(f->text.end(), upper.c_str(), upper.c_str() + upper.size() + 1);
}

void LoadFolder(FolderNames* f, const char* folder, size_t length) {
  f->folder.assign(folder, length);
  f->text.clear();
  f->sorted.clear();
  f->used = true;
  const std::string pattern = f->folder + "*";
  WIN32_FIND_DATAW found;
  UniqueFindHandle search(::FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoStandard,
                                             &found, FindExSearchNameMatch, nullptr, 0));
  if (search) {
    do {
      AddName(f, found.cFileName);
      AddName(f, found.cAlternateFileName);
    } while (::FindNextFileW(search.Get(), &found));
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
    f.folder.clear();
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
  size_t baseLength = std::strlen(base);
  // Wildcards, drive-relative names and names ending in a dot or a blank
  // (which the listing and the search may tell apart differently) go to the
  // direct search, which refuses or finds them as it always did.
  if (baseLength == 0 || std::strpbrk(base, "*?:") != nullptr || base[baseLength - 1] == '.' ||
      base[baseLength - 1] == ' ') {
    return FileExistsExactly(name);
  }
  FolderNames* folder = nullptr;
  for (FolderNames& f : names->folders) {
    // Folder names are compared as the file system does, whatever the case
    // (the same bytes first: the common case costs no conversion).
    if (f.used && f.folder.size() == folderLength &&
        (f.folder.compare(0, folderLength, name, folderLength) == 0 ||
         ::lstrcmpiW(Wide(f.folder).c_str(), Wide(name, static_cast<int>(folderLength)).c_str()) ==
             0)) {
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
  return Contains(*folder, UpperCase(Wide(base, static_cast<int>(baseLength))).c_str());
}
