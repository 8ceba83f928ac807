#include "installer/settings_file_win32.h"

#include <aclapi.h>
#include <windows.h>

#include "platform/file_time_win32.h"
#include "platform/long_path_win32.h"
#include "platform/profile_win32.h"
#include "verifier/settings_words.h"

namespace {

constexpr const char kSection[] = "Corvana";

}  // namespace

void WriteFirstSettings(const std::string& iniPath, bool updateDb) {
  if (!updateDb) WriteProfileStringUtf8(kSection, "UpdateDB", "0", iniPath.c_str());
  if (ReadProfileStringUtf8(kSection, "Signature", "", iniPath.c_str()).empty()) {
    char signature[64] = {};
    FormatSignature(SystemTimeTicks(), signature, sizeof signature);
    WriteProfileStringUtf8(kSection, "Signature", signature, iniPath.c_str());
  }
}

PACL AclGrantingUsersModify(PACL current) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof sid;
  if (!::CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sid, &sidSize)) return nullptr;
  EXPLICIT_ACCESS_W access = {};
  access.grfAccessPermissions =
      FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid);
  PACL updated = nullptr;
  if (::SetEntriesInAclW(1, &access, current, &updated) != ERROR_SUCCESS) return nullptr;
  return updated;
}

bool GrantUsersModify(const std::string& path) {
  std::wstring wide = SystemPath(path);
  PACL current = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &current, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  PACL updated = AclGrantingUsersModify(current);
  bool granted =
      updated && ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, updated, nullptr) == ERROR_SUCCESS;
  if (updated) ::LocalFree(updated);
  ::LocalFree(descriptor);
  return granted;
}
