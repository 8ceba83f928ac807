// A counting semaphore for the threads of one process: its waits and releases
// stay in user space while no thread has to sleep, and a quit wakes every
// thread that sleeps on it.
//
// Under Wine every call on a kernel semaphore is a round trip to the
// wineserver, tens of microseconds each (33 to 55 us measured here), and the
// file hasher's reader and worker make four such calls per block. This semaphore
// keeps its count in the record instead: a wait that finds a unit takes it
// with one interlocked operation, and a release makes a system call only when
// a thread is asleep on the semaphore. Threads sleep on the platform's address
// waits (WaitOnAddress, Windows 8 and later), which Wine serves with futexes
// outside the server; where those are missing they sleep on a kernel
// semaphore beside the quit event, as a plain semaphore wait would.
//
// Contract:
//   - Create before any thread uses it, Close after every such thread ended.
//     A zero-filled record is "not created"; Close on it does nothing.
//   - Release(n) adds n units, or fails and changes nothing when the count
//     would pass the maximum (as ReleaseSemaphore does).
//   - Wait takes one unit and returns true, or returns false once the quit
//     event is set and WakeForQuit was called. A quit seen before the wait
//     takes precedence over a unit that is available.
//   - After a quit the semaphore's count means nothing; close it.
#pragma once

#include <windows.h>

#include <cstdint>

enum class SemaphoreSleep : uint32_t {
  AddressWait = 0,      // address waits when the platform has them, else a kernel semaphore
  KernelSemaphore = 1,  // always a kernel semaphore (tests, benchmarks)
};

struct CountingSemaphore {
  // Units not yet taken, less the sleepers still owed one (negative while a
  // thread sleeps); never above Maximum.
  volatile LONG Count;
  // Address waits: units handed to sleepers and not yet taken; the quit bit
  // is added by WakeForQuit.
  volatile LONG Wakes;
  volatile LONG Quitting;  // set by WakeForQuit
  LONG Maximum;
  HANDLE QuitEvent;  // not owned: the hasher's manual-reset quit event
  HANDLE Kernel;     // kernel semaphore sleepers wait on, or null with address waits
  BOOL(WINAPI* WaitOnAddress)(volatile void* address, void* compare, SIZE_T size, DWORD ms);
  void(WINAPI* WakeByAddressSingle)(void* address);
  void(WINAPI* WakeByAddressAll)(void* address);
};

// Initial count 0. Returns false when the kernel semaphore it needs cannot be
// created (then nothing is left open).
bool CreateCountingSemaphore(CountingSemaphore* semaphore, LONG maximum, HANDLE quitEvent,
                             SemaphoreSleep sleep);
void CloseCountingSemaphore(CountingSemaphore* semaphore);
bool ReleaseCountingSemaphore(CountingSemaphore* semaphore, LONG count);
bool WaitCountingSemaphore(CountingSemaphore* semaphore);
// Call after setting the quit event: wakes the sleepers, and makes every later
// wait return false.
void WakeCountingSemaphoreForQuit(CountingSemaphore* semaphore);
// True when the semaphore sleeps on address waits (diagnostics, tests).
bool UsesAddressWaits(const CountingSemaphore* semaphore);
