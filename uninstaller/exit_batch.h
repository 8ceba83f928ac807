// The uninstaller's last step as text: the batch file that deletes the
// installed files once the uninstaller has ended, the command line that runs
// it, and the choice of the folder to empty.
#pragma once

#include <string>

// The variables through which the batch file gets its paths: the command
// interpreter reads a batch file in the console's code page, which cannot
// hold every name, while its environment is Unicode. Each value is expanded
// once, so a "%" in a path stays a "%".
inline constexpr const char kUninstallerVariable[] = "CRVN_UNINSTALLER";  // the program file
// The folder, no final '\'; not defined for a drive's root, which stays.
inline constexpr const char kRemoveVariable[] = "CRVN_REMOVE";

// The switch with which the batch file starts the uninstaller it could not
// delete: the program then leaves itself and its folder to the next restart.
inline constexpr const char kAtRestartSwitch[] = "/RESTART";

// How often the batch file tries to delete the uninstaller, a second apart.
inline constexpr int kExitBatchTries = 10;

// The text of "CRVNExit.bat" (ASCII, lines end with CR LF): it deletes the
// uninstaller once that has ended, trying kExitBatchTries times with a pause
// of a second between tries (the program may take a moment to end, or
// something may hold it), else starts it with kAtRestartSwitch; then it
// removes the folder (when kRemoveVariable is defined) and deletes itself.
std::string ExitBatchText();

// "\"<interpreter>\" /C \"<windowsFolder>CRVNExit.bat\"".
std::string InterpreterCommandLine(const std::string& interpreter,
                                   const std::string& windowsFolder);

// The folder whose files go: the argument when it names `ownFolder` (the
// folder of the running uninstaller, ending with '\'; compared without
// regard to case, quotes or a final '\'), else `ownFolder` itself, so that a
// mangled or missing argument never empties another folder.
std::string ChooseInstallFolder(const std::string& argument, const std::string& ownFolder);
