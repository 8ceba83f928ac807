// Module entry and the two exports. Nothing happens under the loader lock
// but remembering the instance.
#include <windows.h>

#include "shellext/module_state_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ShellModule().Instance = instance;
  return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void** out) {
  if (out) *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
  return ShellModule().LiveObjects == 0 ? S_OK : S_FALSE;
}
