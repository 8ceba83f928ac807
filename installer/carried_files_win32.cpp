#include "installer/carried_files_win32.h"

#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"

namespace {

constexpr const char kTempName[] = "Corvana.tmp";

// Writes resource `name` of type "mybin" into a new `path`; true only when
// every byte was written.
bool WriteResource(HMODULE module, const char* name, const std::string& path) {
  HRSRC found = ::FindResourceW(module, Wide(name).c_str(), L"mybin");
  if (!found) return false;
  DWORD size = ::SizeofResource(module, found);
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return false;
  UniqueFileHandle file(
      CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
}

void CreateFoldersAlong(const std::string& folder) {
  for (const std::string& f : FoldersAlong(folder)) CreateFolderUtf8(f.c_str());
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

bool CopyCarriedFiles(HMODULE module, const std::string& folder, bool withShellExtension,
                      WrittenFiles* written) {
  const std::string temp = folder + kTempName;
  for (int i = withShellExtension ? 0 : 1; i < kCarriedFileCount; ++i) {
    const CarriedFile& file = kCarriedFiles[i];
    const std::string target = folder + file.fileName;
    CreateFoldersAlong(folder);
    if (!WriteResource(module, file.resourceName, temp)) {
      DeleteFileUtf8(temp.c_str());
      return false;
    }
    ProductVersion carried;
    ReadProductVersion(temp, &carried);
    DeleteFileUtf8(temp.c_str());
    ProductVersion installed;
    if (ReadProductVersion(target, &installed) && IsNewer(installed, carried)) {
      const std::string question = NewerVersionQuestion(file.fileName);
      if (MessageBoxUtf8(nullptr, question.c_str(), "Keep newer version?", MB_YESNO) == IDYES)
        continue;
    }
    // Opening the target empties it, so it counts as written from here.
    written->written[i] = true;
    if (!WriteResource(module, file.resourceName, target)) return false;
  }
  return true;
}

void DeleteCarriedFiles(const std::string& folder, const WrittenFiles& written) {
  for (int i = 0; i < kCarriedFileCount; ++i) {
    if (written.written[i]) DeleteFileUtf8((folder + kCarriedFiles[i].fileName).c_str());
  }
  DeleteFileUtf8((folder + kTempName).c_str());
}
