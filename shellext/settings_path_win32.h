// Where the shell extension's settings live: "Corvana.ini" beside the module
// as its registration names it.
#pragma once

#include <cstddef>

// Reads the default value of the class's InProcServer32 key under
// HKEY_CLASSES_ROOT and replaces its file name by "Corvana.ini". Without a
// readable registration, or without a '\' in it, the bare "Corvana.ini".
void LocateSettingsFile(char* out, size_t capacity);
