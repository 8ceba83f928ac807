// Reading the verifier's settings from Corvana.ini beside the executable.
#pragma once

#include "verifier/run_state.h"

// Locates the settings file from the module path into state->IniPath.
void LocateSettingsFile(VerifierState* state);

// Reads Signature (generating and writing one when it is empty), UpdateDB,
// ShowMenu, AddTag and ExpireTime, in that order. A missing or unreadable
// file gives the defaults.
void ReadRunSettings(const char* iniPath, RunSettings* settings);
