#include "platform/counting_semaphore_win32.h"

#include <cstring>

namespace {

// Added to Wakes by a quit: far above any number of units handed to sleepers.
constexpr LONG kQuitWake = 0x40000000;

// The address waits live in kernelbase.dll from Windows 8 on; they are looked
// up rather than imported so that the programs still load where they are
// missing.
void FindAddressWaits(CountingSemaphore* s) {
  HMODULE kernelbase = GetModuleHandleA("kernelbase.dll");
  if (!kernelbase) return;
  FARPROC wait = GetProcAddress(kernelbase, "WaitOnAddress");
  FARPROC single = GetProcAddress(kernelbase, "WakeByAddressSingle");
  FARPROC all = GetProcAddress(kernelbase, "WakeByAddressAll");
  if (!wait || !single || !all) return;
  // FARPROC is a generic function pointer; these are the functions' real types.
  memcpy(&s->WaitOnAddress, &wait, sizeof wait);
  memcpy(&s->WakeByAddressSingle, &single, sizeof single);
  memcpy(&s->WakeByAddressAll, &all, sizeof all);
}

// Sleeps until a released unit is handed over (true) or a quit (false).
bool SleepForUnit(CountingSemaphore* s) {
  if (s->Kernel) {
    const HANDLE waits[2] = {s->QuitEvent, s->Kernel};
    return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
  }
  for (;;) {
    LONG wakes = s->Wakes;
    if (wakes >= kQuitWake) return false;
    if (wakes > 0) {
      if (InterlockedCompareExchange(&s->Wakes, wakes - 1, wakes) == wakes) return true;
      continue;
    }
    // Returns at once when Wakes no longer holds `wakes`; a wake-up may also
    // be spurious, so the loop looks again either way.
    s->WaitOnAddress(&s->Wakes, &wakes, sizeof wakes, INFINITE);
  }
}

}  // namespace

bool CreateCountingSemaphore(CountingSemaphore* s, LONG maximum, HANDLE quitEvent,
                             SemaphoreSleep sleep) {
  memset(s, 0, sizeof *s);
  s->Maximum = maximum;
  s->QuitEvent = quitEvent;
  if (sleep == SemaphoreSleep::AddressWait) FindAddressWaits(s);
  if (!s->WaitOnAddress) {
    // Each sleeper is owed at most one unit, so the kernel count never
    // passes the number of threads; the maximum only has to be large.
    s->Kernel = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
    if (!s->Kernel) return false;
  }
  return true;
}

void CloseCountingSemaphore(CountingSemaphore* s) {
  if (s->Kernel) CloseHandle(s->Kernel);
  memset(s, 0, sizeof *s);
}

bool ReleaseCountingSemaphore(CountingSemaphore* s, LONG count) {
  if (count <= 0) return false;
  LONG before = s->Count;
  for (;;) {
    if (before > s->Maximum - count) return false;
    const LONG seen = InterlockedCompareExchange(&s->Count, before + count, before);
    if (seen == before) break;
    before = seen;
  }
  // A negative count before the release is the number of sleepers still owed
  // a unit; they get theirs from this release.
  const LONG owed = before < 0 ? (-before < count ? -before : count) : 0;
  if (owed == 0) return true;
  if (s->Kernel) {
    ReleaseSemaphore(s->Kernel, owed, nullptr);
    return true;
  }
  InterlockedExchangeAdd(&s->Wakes, owed);
  if (owed == 1) {
    s->WakeByAddressSingle(const_cast<LONG*>(&s->Wakes));
  } else {
    s->WakeByAddressAll(const_cast<LONG*>(&s->Wakes));
  }
  return true;
}

bool WaitCountingSemaphore(CountingSemaphore* s) {
  if (s->Quitting) return false;
  // Taking a unit that is not there yet leaves the count negative: the next
  // release sees a sleeper owed one and hands it over.
  if (InterlockedDecrement(&s->Count) >= 0) return true;
  return SleepForUnit(s);
}

void WakeCountingSemaphoreForQuit(CountingSemaphore* s) {
  InterlockedExchange(&s->Quitting, 1);
  if (s->Kernel) return;  // its sleepers wait on the quit event as well
  InterlockedExchangeAdd(&s->Wakes, kQuitWake);
  s->WakeByAddressAll(const_cast<LONG*>(&s->Wakes));
}

bool UsesAddressWaits(const CountingSemaphore* s) {
  return s->Kernel == nullptr && s->WaitOnAddress != nullptr;
}
