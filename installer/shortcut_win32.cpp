#include "installer/shortcut_win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"

namespace {

bool SaveLink(const std::string& target, const std::string& linkPath,
              const std::string& description) {
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Put()))))
    return false;
  if (FAILED(link->SetPath(Wide(target).c_str())) ||
      FAILED(link->SetDescription(Wide(description).c_str())))
    return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()))))
    return false;
  return SUCCEEDED(file->Save(SystemPath(linkPath).c_str(), TRUE));
}

}  // namespace

bool CreateShortcut(const std::string& target, const std::string& linkPath,
                    const std::string& description) {
  HRESULT init = ::CoInitialize(nullptr);
  // The link is saved beside its place and takes it only when complete, so
  // that a failure leaves an earlier shortcut as it was. The interfaces are
  // released inside SaveLink, before the library goes.
  const std::string staged = linkPath + ".new";
  bool saved = SaveLink(target, staged, description) &&
               MoveFileUtf8(staged.c_str(), linkPath.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!saved) DeleteFileUtf8(staged.c_str());
  if (SUCCEEDED(init)) ::CoUninitialize();
  return saved;
}
