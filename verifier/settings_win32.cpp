#include "verifier/settings_win32.h"

#include <windows.h>

#include "platform/file_time_win32.h"
#include "verifier/settings_words.h"

namespace {

constexpr const char* kSection = "Corvana";

}  // namespace

void LocateSettingsFile(VerifierState* state) {
  char module[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) module[0] = '\0';
  if (!IniPathFromModulePath(module, state->IniPath, sizeof state->IniPath)) {
    state->IniPath[0] = '\0';
  }
}

void ReadRunSettings(const char* iniPath, RunSettings* settings) {
  char value[512];
  ::GetPrivateProfileStringA(kSection, "Signature", "", settings->Signature,
                             sizeof settings->Signature, iniPath);
  if (settings->Signature[0] == '\0') {
    FormatSignature(SystemTimeTicks(), settings->Signature, sizeof settings->Signature);
    ::WritePrivateProfileStringA(kSection, "Signature", settings->Signature, iniPath);
  }
  ::GetPrivateProfileStringA(kSection, "UpdateDB", "1", value, sizeof value, iniPath);
  settings->UpdateDb = !IsOffWord(value);
  ::GetPrivateProfileStringA(kSection, "ShowMenu", "1", value, sizeof value, iniPath);
  settings->ShowMenu = IsOnWord(value);
  ::GetPrivateProfileStringA(kSection, "AddTag", "0", value, sizeof value, iniPath);
  settings->AddTag = IsOnWord(value);
  ::GetPrivateProfileStringA(kSection, "ExpireTime", "", value, sizeof value, iniPath);
  settings->ExpireTicks = ParseExpireTime(value);
}
