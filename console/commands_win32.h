// The console program's commands. Each returns the process's exit code:
// 0 all verified, 1 a file failed, was missing or could not be read, 2 a
// list could not be read (or a command line the parser could not see was
// wrong). Ctrl+C ends the process with 3 wherever it is.
#pragma once

#include "console/command_line.h"

int RunCheck(const CrvnOptions& options);
int RunHash(const CrvnOptions& options);
int RunHashExpect(const CrvnOptions& options);
int RunCreate(const CrvnOptions& options);

// The lines sha256sum prints about a file: its name as the list gives it,
// escaped the tools' way ("\" first and "\n" for a line feed) when needed.
#include <string>
std::string ShownName(const char* name);
// The file a Ctrl+C must delete (a list being written), or "".
void SetFileToDropOnStop(const std::string& path);
