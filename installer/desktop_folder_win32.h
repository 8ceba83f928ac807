// The desktop folder where the shortcut goes.
#pragma once

#include <string>

// The desktop that every user of this computer sees (the public desktop,
// from the known-folder API): the installation is the machine's, and an
// installer that runs with an administrator's credentials would otherwise
// put the shortcut on that administrator's desktop instead of the user's.
// Ends with '\'; empty when the system does not know it.
std::string DesktopFolder();
