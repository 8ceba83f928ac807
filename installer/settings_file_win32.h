// The first settings of an installation in "Corvana.ini", and the right of
// the local Users group to change that one file.
#pragma once

#include <windows.h>

#include <string>

// Writes UpdateDB = "0" when the database was turned off (an earlier "0"
// stays otherwise) and a Signature when the file has none.
void WriteFirstSettings(const std::string& iniPath, bool updateDb);

// A copy of `current` (may be null) with an entry that grants the local
// Users group (S-1-5-32-545) read, write and delete; free it with LocalFree.
// Null on failure.
PACL AclGrantingUsersModify(PACL current);

// Grants the local Users group (S-1-5-32-545) read, write and delete on the
// file, beside what its access list already holds; false when that failed.
bool GrantUsersModify(const std::string& path);
