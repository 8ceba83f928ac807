// The shell extension's module state, one per process: what outlives a single
// COM object or command. Explorer calls the extension on many apartment
// threads and every command runs on a thread of its own, so the counts
// change only through interlocked operations and the flags are atomic.
#pragma once

#include <windows.h>

#include <atomic>

struct ShellModuleState {
  HINSTANCE Instance;  // kept by the module entry, nothing else done there
  // Bitmap 138 (or its larger drawing for the menu's check-mark size at the
  // system DPI), loaded by the first QueryContextMenu (user and GDI work has
  // no place under the loader lock) and freed once the module may unload.
  HBITMAP volatile MenuBitmap;
  volatile LONG LiveObjects;      // factories and handlers alive
  volatile LONG Locks;            // LockServer(TRUE) calls not yet undone
  volatile LONG RunningCommands;  // command threads that have not ended
  // Creation dialog: ".SFV"/".MD5" instead of ".sfv"/".md5". Off when the
  // module loads; an individual verification sets it from the settings.
  std::atomic<bool> UppercaseExtension;
  std::atomic<bool> CompatibilityMode;  // "WIN-SFV Compatible", kept between commands
};

ShellModuleState& ShellModule();

// The menu bitmap, loaded on first use (null when it cannot be).
HBITMAP MenuBitmap();

// True when no object lives, no lock is held and no command runs; the menu
// bitmap is then given back, since the module may go.
bool ModuleCanUnload();
