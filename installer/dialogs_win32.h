// The installer's three questions: the folder, the options and the file
// associations. Each returns false when the user cancels.
#pragma once

#include <windows.h>

#include <string>

#include "installer/install_names.h"

// Shows `folder` and takes the confirmed text back into it (never empty).
bool AskFolder(HINSTANCE instance, std::string* folder);

bool AskOptions(HINSTANCE instance, bool* shellExtension, bool* updateDb);

// `ownedElsewhere[t]`: the type's extension is registered to another
// program, so its box starts indeterminate. `chosen[t]`: its box ended
// fully checked.
bool AskAssociations(HINSTANCE instance, const bool ownedElsewhere[kListTypeCount],
                     bool chosen[kListTypeCount]);
