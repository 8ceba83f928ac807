#include "installer/shortcut_win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/handles_win32.h"

namespace {

bool SaveLink(const std::string& target, const std::string& linkPath,
              const std::string& description) {
  ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.Put()))))
    return false;
  if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetDescription(description.c_str())))
    return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()))))
    return false;
  wchar_t wide[MAX_PATH] = {};
  if (::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) == 0) return false;
  return SUCCEEDED(file->Save(wide, TRUE));
}

}  // namespace

bool CreateShortcut(const std::string& target, const std::string& linkPath,
                    const std::string& description) {
  HRESULT init = ::CoInitialize(nullptr);
  // The interfaces are released inside SaveLink, before the library goes.
  bool saved = SaveLink(target, linkPath, description);
  if (SUCCEEDED(init)) ::CoUninitialize();
  return saved;
}
