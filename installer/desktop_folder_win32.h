// The current user's desktop folder, where the shortcut goes.
#pragma once

#include <string>

// The "Desktop" value of the user's shell folders, or the shell's desktop
// folder when that value is missing; ends with '\', empty when neither is
// known.
std::string DesktopFolder();
