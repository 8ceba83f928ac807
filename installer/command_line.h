// The command lines of the installer and the uninstaller, as text: no
// system calls here.
#pragma once

#include <string>

// What follows the program name on a command line (the program name quoted
// or not), without the blanks after it: the argument text that WinMain would
// be handed, taken from the Unicode command line instead.
std::string ArgumentText(const std::string& commandLine);

// The installer's switches: "/S" installs without a dialog or a message box;
// "/D=folder", the last switch, names the folder (the rest of the line,
// blanks included; quotes around it are dropped).
struct InstallerOptions {
  bool silent = false;
  std::string folder;  // empty: the proposal
};
InstallerOptions ParseInstallerArguments(const std::string& arguments);

// Takes a leading "/S" (either case, followed by a blank or the end) off the
// uninstaller's argument text; true when there was one.
bool TakeSilentSwitch(std::string* arguments);
