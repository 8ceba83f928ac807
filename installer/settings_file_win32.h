// The first settings of an installation in "Corvana.ini", and the right of
// the local Users group to change that one file.
#pragma once

#include <string>

// Writes UpdateDB = "0" when the database was turned off (an earlier "0"
// stays otherwise) and a Signature when the file has none.
void WriteFirstSettings(const std::string& iniPath, bool updateDb);

// Grants the local Users group (S-1-5-32-545) read, write and delete on the
// file, beside what its access list already holds; false when that failed.
bool GrantUsersModify(const std::string& path);
