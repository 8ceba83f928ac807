// The uninstaller's last step as text: the batch file that deletes the
// installed files once the uninstaller has ended, the command line that runs
// it, and the choice of the folder to empty.
#pragma once

#include <string>

// The variables through which the batch file gets its paths: the command
// interpreter reads a batch file in the console's code page, which cannot
// hold every name, while its environment is Unicode. Each value is expanded
// once, so a "%" in a path stays a "%".
inline constexpr const char kFolderVariable[] = "CRVN_FOLDER";  // ends with '\'
inline constexpr const char kRemoveVariable[] = "CRVN_REMOVE";  // the folder, no final '\'

// The text of "CRVNExit.bat" (ASCII, lines end with CR LF): one retry loop
// per installed file, the uninstaller first, then the folder, then the batch
// file itself.
std::string ExitBatchText();

// "\"<interpreter>\" /C \"<windowsFolder>CRVNExit.bat\"".
std::string InterpreterCommandLine(const std::string& interpreter,
                                   const std::string& windowsFolder);

// The folder whose files go: the argument when it names `ownFolder` (the
// folder of the running uninstaller, ending with '\'; compared without
// regard to case, quotes or a final '\'), else `ownFolder` itself, so that a
// mangled or missing argument never empties another folder.
std::string ChooseInstallFolder(const std::string& argument, const std::string& ownFolder);
