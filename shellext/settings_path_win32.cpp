#include "shellext/settings_path_win32.h"

#include "hashing/threads_setting.h"
#include "platform/files_win32.h"
#include "platform/profile_win32.h"

std::string LocateSettingsFile(HINSTANCE module) {
  const std::string path = ModulePathUtf8(module);
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return "Corvana.ini";
  std::string settings = path.substr(0, slash + 1);
  settings += "Corvana.ini";
  return settings;
}

uint32_t ReadThreadsSetting(const char* settingsPath) {
  const std::string value =
      ReadProfileStringUtf8("Corvana", "Threads", "", settingsPath ? settingsPath : "Corvana.ini");
  return ParseThreadsSetting(value.c_str());
}
