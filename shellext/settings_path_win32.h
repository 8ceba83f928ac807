// Where the shell extension's settings live: "Corvana.ini" beside the module.
#pragma once

#include <windows.h>

#include <string>

// The loaded module's folder (the one its registration names) followed by
// "Corvana.ini"; without a module path, the bare "Corvana.ini".
std::string LocateSettingsFile(HINSTANCE module);
