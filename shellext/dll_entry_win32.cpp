// Module entry and the two exports. Under the loader lock the entry only
// remembers the instance: no thread, no file, no registry, no window or GDI
// object.
#include <windows.h>

#include <new>

#include "shellext/class_id_win32.h"
#include "shellext/com_objects_win32.h"
#include "shellext/module_state_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ShellModule().Instance = instance;
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
  return ModuleCanUnload() ? S_OK : S_FALSE;
}
