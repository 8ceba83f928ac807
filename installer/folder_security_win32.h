// The rights of the installation folder: those of Program Files, with the
// Administrators group as owner, so that only administrators can replace
// the shell extension that every user's Explorer loads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A self-relative security descriptor owned by the Administrators group
// whose access list, protected from the parent's, gives SYSTEM and the
// Administrators group full control and the Users group read and execute,
// each inherited by files and subfolders. False when the system could not
// build it.
bool BuildFolderSecurity(std::vector<BYTE>* descriptor);

// How a folder's security is read and written: the system's calls, or a
// test's, which sees what is handed to the system (Wine keeps no access
// list that is set).
struct SecurityCalls {
  // `*descriptor`: self-relative, with the owner and the access list.
  DWORD (*read)(const std::wstring& path, std::vector<BYTE>* descriptor);
  // `info` holds OWNER_ and DACL_SECURITY_INFORMATION and one of
  // PROTECTED_ and UNPROTECTED_DACL_SECURITY_INFORMATION.
  DWORD (*write)(const std::wstring& path, SECURITY_INFORMATION info, PSID owner, PACL dacl);
};
const SecurityCalls& SystemSecurityCalls();

// Creates `folder` (ending with '\' or not) with that descriptor, so that it
// never exists with inherited rights; false when it could not be created
// (also when it exists).
bool CreateSecuredFolder(const std::string& folder);

// An existing folder's owner and access list before the installer changed
// them.
struct SavedFolderSecurity {
  std::vector<BYTE> descriptor;  // self-relative; empty: nothing was changed
};

// Gives an existing `folder` that owner and access list, first saving what
// it has into `*earlier`; false when the system refused either.
bool SecureFolder(const std::string& folder, SavedFolderSecurity* earlier,
                  const SecurityCalls& calls = SystemSecurityCalls());

// Puts the saved owner and access list back exactly, protected from the
// parent's or not as it was; nothing when nothing was saved.
bool RestoreFolderSecurity(const std::string& folder, const SavedFolderSecurity& earlier,
                           const SecurityCalls& calls = SystemSecurityCalls());
