// The shell extension's module state, one per process: what outlives a single
// COM object or command. Touched only on the apartment thread that Explorer
// calls the extension on.
#pragma once

#include <windows.h>

struct ShellModuleState {
  HINSTANCE Instance;
  HBITMAP MenuBitmap;  // bitmap 138, loaded at process attach, never freed
  LONG LiveObjects;    // factories and handlers alive; 0 lets the module unload
  // Creation dialog: ".SFV"/".MD5" instead of ".sfv"/".md5". Off when the
  // module loads; an individual verification sets it from the settings.
  bool UppercaseExtension;
  bool CompatibilityMode;  // "WIN-SFV Compatible", kept between commands
};

ShellModuleState& ShellModule();
