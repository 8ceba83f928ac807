// The command lines of the installer and the uninstaller, as text: no
// system calls here.
#pragma once

#include <string>

// What follows the program name on a command line (the program name quoted
// or not), without the blanks after it: the argument text that WinMain would
// be handed, taken from the Unicode command line instead.
std::string ArgumentText(const std::string& commandLine);
