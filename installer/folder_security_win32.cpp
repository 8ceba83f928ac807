#include "installer/folder_security_win32.h"

#include <aclapi.h>

#include "platform/long_path_win32.h"

bool BuildFolderSecurity(std::vector<BYTE>* descriptor) {
  struct Entry {
    WELL_KNOWN_SID_TYPE sid;
    DWORD access;
  };
  const Entry entries[] = {{WinLocalSystemSid, FILE_ALL_ACCESS},
                           {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                           {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
  alignas(DWORD) BYTE acl[512];
  if (!::InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION)) return false;
  for (const Entry& e : entries) {
    alignas(DWORD) BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    if (!::CreateWellKnownSid(e.sid, nullptr, sid, &size) ||
        !::AddAccessAllowedAceEx(reinterpret_cast<PACL>(acl), ACL_REVISION,
                                 OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, e.access, sid))
      return false;
  }
  SECURITY_DESCRIPTOR absolute;
  if (!::InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&absolute, TRUE, reinterpret_cast<PACL>(acl), FALSE) ||
      !::SetSecurityDescriptorControl(&absolute, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    return false;
  DWORD length = 0;
  ::MakeSelfRelativeSD(&absolute, nullptr, &length);
  descriptor->assign(length, 0);
  return length > 0 && ::MakeSelfRelativeSD(&absolute, descriptor->data(), &length);
}

bool SecureFolder(const std::string& folder) {
  std::vector<BYTE> descriptor;
  if (!BuildFolderSecurity(&descriptor)) return false;
  BOOL present = FALSE, defaulted = FALSE;
  PACL acl = nullptr;
  if (!::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !acl)
    return false;
  std::wstring path = SystemPath(folder);
  // The protected list cuts the rights inherited from the parent folder;
  // the files below take theirs from this one.
  return ::SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
}
