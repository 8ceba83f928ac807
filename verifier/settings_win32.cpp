#include "verifier/settings_win32.h"

#include <windows.h>

#include <string>

#include "hashing/threads_setting.h"
#include "platform/file_time_win32.h"
#include "platform/files_win32.h"
#include "platform/profile_win32.h"
#include "verifier/settings_words.h"

namespace {

constexpr const char* kSection = "Corvana";

}  // namespace

void LocateSettingsFile(VerifierState* state) {
  const std::string module = ModulePathUtf8(nullptr);
  if (!IniPathFromModulePath(module.c_str(), state->IniPath, sizeof state->IniPath)) {
    state->IniPath[0] = '\0';
  }
}

void ReadRunSettings(const char* iniPath, RunSettings* settings) {
  std::string signature = ReadProfileStringUtf8(kSection, "Signature", "", iniPath);
  if (signature.size() >= sizeof settings->Signature)
    signature.resize(sizeof settings->Signature - 1);
  signature.copy(settings->Signature, signature.size());
  settings->Signature[signature.size()] = '\0';
  if (settings->Signature[0] == '\0') {
    FormatSignature(SystemTimeTicks(), settings->Signature, sizeof settings->Signature);
    WriteProfileStringUtf8(kSection, "Signature", settings->Signature, iniPath);
  }
  settings->UpdateDb =
      !IsOffWord(ReadProfileStringUtf8(kSection, "UpdateDB", "1", iniPath).c_str());
  settings->ShowMenu = IsOnWord(ReadProfileStringUtf8(kSection, "ShowMenu", "1", iniPath).c_str());
  settings->AddTag = IsOnWord(ReadProfileStringUtf8(kSection, "AddTag", "0", iniPath).c_str());
  settings->ExpireTicks =
      ParseExpireTime(ReadProfileStringUtf8(kSection, "ExpireTime", "", iniPath).c_str());
  settings->Threads =
      ParseThreadsSetting(ReadProfileStringUtf8(kSection, "Threads", "", iniPath).c_str());
}
