// Where the shell extension's settings live: "Corvana.ini" beside the module.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The loaded module's folder (the one its registration names) followed by
// "Corvana.ini"; without a module path, the bare "Corvana.ini".
std::string LocateSettingsFile(HINSTANCE module);

// The "Threads" setting of the [Corvana] section in `settingsPath` (null:
// the bare "Corvana.ini"), read as ParseThreadsSetting reads it; each
// command reads it when it starts.
uint32_t ReadThreadsSetting(const char* settingsPath);
