// The uninstaller's last step as text: the batch file that deletes the
// installed files once the uninstaller has ended, the command line that runs
// it, and the choice of the folder to empty.
#pragma once

#include <string>

// The text of "CRVNExit.bat" (lines end with CR LF): one retry loop per
// installed file, the uninstaller first, then the folder, then the batch file
// itself from `windowsFolder`. Both folders end with '\'; a "%" in them is
// written doubled, as the interpreter reads a literal "%".
std::string ExitBatchText(const std::string& installFolder, const std::string& windowsFolder);

// "\"<interpreter>\" /C \"<windowsFolder>CRVNExit.bat\"".
std::string InterpreterCommandLine(const std::string& interpreter,
                                   const std::string& windowsFolder);

// The folder whose files go: the argument when it names `ownFolder` (the
// folder of the running uninstaller, ending with '\'; compared without
// regard to case, quotes or a final '\'), else `ownFolder` itself, so that a
// mangled or missing argument never empties another folder.
std::string ChooseInstallFolder(const std::string& argument, const std::string& ownFolder);
