#include "installer/folder_security_win32.h"

#include <aclapi.h>

#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"

namespace {

DWORD SystemRead(const std::wstring& path, std::vector<BYTE>* descriptor) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD status = ::GetNamedSecurityInfoW(
      path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
      nullptr, nullptr, nullptr, &sd);
  if (status != ERROR_SUCCESS) return status;
  const DWORD length = ::GetSecurityDescriptorLength(sd);
  const BYTE* bytes = static_cast<const BYTE*>(sd);
  descriptor->assign(bytes, bytes + length);
  ::LocalFree(sd);
  return ERROR_SUCCESS;
}

DWORD SystemWrite(const std::wstring& path, SECURITY_INFORMATION info, PSID owner, PACL dacl) {
  std::wstring copy = path;
  return ::SetNamedSecurityInfoW(copy.data(), SE_FILE_OBJECT, info, owner, nullptr, dacl, nullptr);
}

// An administrator may take the folder over whatever its access list says,
// and give a saved owner back, only with these privileges turned on.
void EnableOwnershipPrivileges() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw)) return;
  UniqueKernelHandle token(raw);
  for (const wchar_t* name : {L"SeTakeOwnershipPrivilege", L"SeRestorePrivilege"}) {
    TOKEN_PRIVILEGES p = {};
    p.PrivilegeCount = 1;
    p.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueW(nullptr, name, &p.Privileges[0].Luid))
      ::AdjustTokenPrivileges(token.Get(), FALSE, &p, 0, nullptr, nullptr);
  }
}

// The owner and access list of a self-relative descriptor, and the write
// flags that keep its protection.
bool Parts(const std::vector<BYTE>& descriptor, PSID* owner, PACL* dacl,
           SECURITY_INFORMATION* info) {
  auto* sd = const_cast<BYTE*>(descriptor.data());
  BOOL present = FALSE, defaulted = FALSE;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!::GetSecurityDescriptorOwner(sd, owner, &defaulted) ||
      !::GetSecurityDescriptorDacl(sd, &present, dacl, &defaulted) ||
      !::GetSecurityDescriptorControl(sd, &control, &revision))
    return false;
  if (!present) *dacl = nullptr;
  *info = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
          ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                         : UNPROTECTED_DACL_SECURITY_INFORMATION);
  return true;
}

}  // namespace

const SecurityCalls& SystemSecurityCalls() {
  static const SecurityCalls calls{SystemRead, SystemWrite};
  return calls;
}

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
  alignas(DWORD) BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  SECURITY_DESCRIPTOR absolute;
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
      !::InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorOwner(&absolute, administrators, FALSE) ||
      !::SetSecurityDescriptorDacl(&absolute, TRUE, reinterpret_cast<PACL>(acl), FALSE) ||
      !::SetSecurityDescriptorControl(&absolute, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    return false;
  DWORD length = 0;
  ::MakeSelfRelativeSD(&absolute, nullptr, &length);
  descriptor->assign(length, 0);
  return length > 0 && ::MakeSelfRelativeSD(&absolute, descriptor->data(), &length);
}

bool CreateSecuredFolder(const std::string& folder) {
  std::vector<BYTE> descriptor;
  if (!BuildFolderSecurity(&descriptor)) return false;
  EnableOwnershipPrivileges();
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.data(), FALSE};
  return ::CreateDirectoryW(SystemPath(folder).c_str(), &attributes) != 0;
}

bool SecureFolder(const std::string& folder, SavedFolderSecurity* earlier,
                  const SecurityCalls& calls) {
  earlier->descriptor.clear();
  std::vector<BYTE> descriptor, saved;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  SECURITY_INFORMATION info = 0;
  const std::wstring path = SystemPath(folder);
  if (!BuildFolderSecurity(&descriptor) || !Parts(descriptor, &owner, &dacl, &info)) return false;
  if (calls.read(path, &saved) != ERROR_SUCCESS || saved.empty()) return false;
  EnableOwnershipPrivileges();
  // The protected list cuts the rights inherited from the parent folder;
  // the files below take theirs from this one.
  if (calls.write(path, info, owner, dacl) != ERROR_SUCCESS) return false;
  earlier->descriptor = std::move(saved);
  return true;
}

bool RestoreFolderSecurity(const std::string& folder, const SavedFolderSecurity& earlier,
                           const SecurityCalls& calls) {
  if (earlier.descriptor.empty()) return true;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  SECURITY_INFORMATION info = 0;
  if (!Parts(earlier.descriptor, &owner, &dacl, &info)) return false;
  return calls.write(SystemPath(folder), info, owner, dacl) == ERROR_SUCCESS;
}
