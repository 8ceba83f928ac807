// The installer's three questions: the folder, the options and the file
// associations. Each returns false when the user cancels.
#pragma once

#include <windows.h>

#include <string>

#include "installer/install_names.h"

// Why the typed folder is refused (empty: it is not).
using FolderJudge = std::string (*)(const std::string& typed);
inline constexpr const char kFolderRefusedCaption[] = "Choose another folder";

// Shows `folder` and takes the confirmed text back into it (never empty);
// a folder `judge` refuses is said why in a box, and the dialog stays.
bool AskFolder(HINSTANCE instance, std::string* folder, FolderJudge judge);

// The options, each checked at start: the shell extension, the database,
// and the installation folder on the machine's Path (for crvn).
bool AskOptions(HINSTANCE instance, bool* shellExtension, bool* updateDb, bool* usePath);

// `ownedElsewhere[t]`: the type's extension is registered to another
// program, so its box starts indeterminate. `chosen[t]`: its box ended
// fully checked.
bool AskAssociations(HINSTANCE instance, const bool ownedElsewhere[kListTypeCount],
                     bool chosen[kListTypeCount]);
