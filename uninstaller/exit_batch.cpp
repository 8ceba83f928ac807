#include "uninstaller/exit_batch.h"

#include "installer/install_plan.h"

namespace {

std::string Folded(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string Trimmed(const std::string& text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = text.find_last_not_of(" \t");
  std::string out = text.substr(b, e - b + 1);
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
    out = out.substr(1, out.size() - 2);
  return out;
}

}  // namespace

std::string ExitBatchText() {
  const std::string program = std::string("\"%") + kUninstallerVariable + "%\"";
  std::string text = "@echo off\r\n";
  text += "set crvn_tries=0\r\n";
  text += ":retry\r\n";
  text += "if not exist " + program + " goto folder\r\n";
  text += "del /f /q " + program + " >nul 2>&1\r\n";
  text += "if not exist " + program + " goto folder\r\n";
  text += "set /a crvn_tries+=1\r\n";
  text += "if %crvn_tries% geq " + std::to_string(kExitBatchTries) + " goto later\r\n";
  // The first echo answers at once, the second a second later.
  text += "ping -n 2 127.0.0.1 >nul\r\n";
  text += "goto retry\r\n";
  text += ":later\r\n";
  text += program + " " + kAtRestartSwitch + "\r\n";
  text += ":folder\r\n";
  text += std::string("if defined ") + kRemoveVariable + " rd \"%" + kRemoveVariable +
          "%\" >nul 2>&1\r\n";
  text += "del \"%~f0\"\r\n";
  return text;
}

std::string InterpreterCommandLine(const std::string& interpreter, const std::string& w) {
  return "\"" + interpreter + "\" /C \"" + w + "CRVNExit.bat\"";
}

std::string ChooseInstallFolder(const std::string& argument, const std::string& ownFolder) {
  std::string named = WithTrailingSlash(Trimmed(argument));
  if (Folded(named) == Folded(WithTrailingSlash(ownFolder))) return named;
  return WithTrailingSlash(ownFolder);
}
