#include "uninstaller/exit_batch.h"

#include "installer/install_plan.h"

namespace {

constexpr const char* kInstalledFiles[] = {"CRVNUNST.EXE", "Corvana.EXE", "CRVNShll.dll",
                                           "history.txt", "Corvana.ini"};

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
  const std::string f = std::string("%") + kFolderVariable + "%";
  std::string text = "@echo off\r\n";
  const char* labels[] = {":hmmm", ":hmmm2", ":hmmm3", ":hmmm4", ":hmmm5"};
  for (int i = 0; i < 5; ++i) {
    const std::string path = "\"" + f + kInstalledFiles[i] + "\"";
    text += std::string(labels[i]) + "\r\n\r\n";
    text += "if EXIST " + path + " del " + path + "\r\n";
    text += "if EXIST " + path + " goto " + (labels[i] + 1) + "\r\n\r\n";
  }
  text += std::string("rd \"%") + kRemoveVariable + "%\"\r\n\r\n";
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
