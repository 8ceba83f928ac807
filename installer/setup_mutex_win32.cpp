#include "installer/setup_mutex_win32.h"

#include <windows.h>

#include "installer/install_names.h"
#include "platform/text_win32.h"

UniqueKernelHandle TakeSetupMutex() {
  // Owned at creation: a run that finds it is the second whether the first
  // created it or merely holds it.
  UniqueKernelHandle mutex(::CreateMutexW(nullptr, TRUE, Wide(kSetupMutexName).c_str()));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return UniqueKernelHandle();
  return mutex;
}
