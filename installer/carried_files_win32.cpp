#include "installer/carried_files_win32.h"

#include "installer/file_removal_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"

namespace {

HRSRC FindCarried(HMODULE module, const char* name) {
  return ::FindResourceW(module, Wide(name).c_str(), L"mybin");
}

// How many names beside a target are tried for its new copy.
constexpr int kStagedNames = 100;

// Writes resource `name` of type "mybin" into a file this call creates
// beside `target` (`target` + ".new", else ".1.new", ...): a name that
// exists is never written or taken. `*staged` is the file created (empty
// when none was); true only when every byte was written.
bool WriteResource(HMODULE module, const char* name, const std::string& target,
                   std::string* staged) {
  staged->clear();
  HRSRC found = FindCarried(module, name);
  if (!found) return false;
  DWORD size = ::SizeofResource(module, found);
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return false;
  UniqueFileHandle file;
  for (int n = 0; n < kStagedNames && !file; ++n) {
    const std::string path = n == 0 ? target + ".new" : target + "." + std::to_string(n) + ".new";
    file.Reset(
        CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN));
    if (file)
      *staged = path;
    else if (::GetLastError() != ERROR_FILE_EXISTS)
      return false;
  }
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
}

std::string Target(const CarriedFiles& files, int i) {
  return files.folder + kCarriedFiles[i].fileName;
}

}  // namespace

bool ReadProductVersion(const std::string& path, ProductVersion* version) {
  *version = ProductVersion{};
  const std::wstring wide = SystemPath(path);
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return false;
  std::string block(size, '\0');
  if (!::GetFileVersionInfoW(wide.c_str(), 0, size, block.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof *info)
    return false;
  version->mostSignificant = info->dwProductVersionMS;
  version->leastSignificant = info->dwProductVersionLS;
  return true;
}

uint32_t CarriedSizeKiB(HMODULE module, bool withShellExtension) {
  uint64_t bytes = 0;
  for (int i = withShellExtension ? 0 : 1; i < kCarriedFileCount; ++i) {
    if (HRSRC found = FindCarried(module, kCarriedFiles[i].resourceName))
      bytes += ::SizeofResource(module, found);
  }
  return static_cast<uint32_t>((bytes + 1023) / 1024);
}

bool StageCarriedFiles(HMODULE module, bool withShellExtension, bool ask, CarriedFiles* files) {
  for (int i = withShellExtension ? 0 : 1; i < kCarriedFileCount; ++i) {
    // A build without the console program carries no copy of it.
    if (kCarriedFiles[i].optional && !FindCarried(module, kCarriedFiles[i].resourceName)) continue;
    std::string& staged = files->files[i].staged;
    if (!WriteResource(module, kCarriedFiles[i].resourceName, Target(*files, i), &staged)) {
      RestoreCarriedFiles(files);
      return false;
    }
    ProductVersion carried, installed;
    ReadProductVersion(staged, &carried);
    if (ReadProductVersion(Target(*files, i), &installed) && IsNewer(installed, carried)) {
      const std::string question = NewerVersionQuestion(kCarriedFiles[i].fileName);
      if (!ask ||
          MessageBoxUtf8(nullptr, question.c_str(), "Keep newer version?", MB_YESNO) == IDYES) {
        DeleteFileUtf8(staged.c_str());
        staged.clear();
      }
    }
  }
  return true;
}

bool PlaceCarriedFiles(CarriedFiles* files) {
  for (int i = 0; i < kCarriedFileCount; ++i) {
    CarriedState& state = files->files[i];
    if (state.staged.empty()) continue;
    const std::string target = Target(*files, i);
    if (GetFileAttributesUtf8(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      const std::string aside = FreeAsideName(target);
      if (!MoveFileUtf8(target.c_str(), aside.c_str(), 0)) return false;
      state.aside = aside;
    }
    if (!MoveFileUtf8(state.staged.c_str(), target.c_str(), 0)) return false;
    state.staged.clear();
    state.placed = true;
  }
  return true;
}

void RestoreCarriedFiles(CarriedFiles* files) {
  for (int i = kCarriedFileCount - 1; i >= 0; --i) {
    CarriedState& state = files->files[i];
    const std::string target = Target(*files, i);
    if (state.placed) {
      // The new copy is nobody's yet; should it be held all the same, it is
      // moved out of the way.
      if (!DeleteFileUtf8(target.c_str())) RemoveOrScheduleFile(target);
    }
    if (!state.aside.empty()) MoveFileUtf8(state.aside.c_str(), target.c_str(), 0);
    if (!state.staged.empty()) DeleteFileUtf8(state.staged.c_str());
    state = CarriedState{};
  }
}

bool FinishCarriedFiles(const CarriedFiles& files) {
  bool all = true;
  for (const CarriedState& state : files.files) {
    if (!state.aside.empty() && !RemoveOrScheduleFile(state.aside)) all = false;
  }
  return all;
}
