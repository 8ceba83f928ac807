// Module entry and the two exports. Under the loader lock the entry only
// remembers the instance and loads the menu bitmap: no thread, no file, no
// registry.
#include <windows.h>

#include <new>

#include "shellext/class_id_win32.h"
#include "shellext/com_objects_win32.h"
#include "shellext/module_state_win32.h"

namespace {
constexpr int kMenuBitmapId = 138;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    ShellModuleState& module = ShellModule();
    module.Instance = instance;
    module.MenuBitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(kMenuBitmapId));
  }
  return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(classId, kShellExtensionClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  ContextMenuHandlerFactory* factory = new (std::nothrow) ContextMenuHandlerFactory;
  if (!factory) return E_OUTOFMEMORY;
  factory->AddRef();
  HRESULT result = factory->QueryInterface(iid, out);
  factory->Release();
  return result;
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
  return ShellModule().LiveObjects == 0 ? S_OK : S_FALSE;
}
