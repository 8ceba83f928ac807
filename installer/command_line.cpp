#include "installer/command_line.h"

std::string ArgumentText(const std::string& commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    i = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return commandLine.substr(i);
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// True when `text` at `at` holds switch `name` (either case) ending there.
bool SwitchAt(const std::string& text, size_t at, char name) {
  if (at + 1 >= text.size() || text[at] != '/') return false;
  const char c = text[at + 1];
  if (c != name && c != name - 'A' + 'a') return false;
  return at + 2 == text.size() || IsBlank(text[at + 2]);
}

}  // namespace

InstallerOptions ParseInstallerArguments(const std::string& arguments) {
  InstallerOptions options;
  size_t i = 0;
  while (i < arguments.size()) {
    if (IsBlank(arguments[i])) {
      ++i;
      continue;
    }
    if (arguments.compare(i, 3, "/D=") == 0 || arguments.compare(i, 3, "/d=") == 0) {
      std::string folder = arguments.substr(i + 3);
      while (!folder.empty() && IsBlank(folder.back())) folder.pop_back();
      if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
        folder = folder.substr(1, folder.size() - 2);
      options.folder = folder;
      break;
    }
    if (SwitchAt(arguments, i, 'S')) options.silent = true;
    while (i < arguments.size() && !IsBlank(arguments[i])) ++i;
  }
  return options;
}

bool TakeSilentSwitch(std::string* arguments) {
  if (!SwitchAt(*arguments, 0, 'S')) return false;
  size_t i = 2;
  while (i < arguments->size() && IsBlank((*arguments)[i])) ++i;
  arguments->erase(0, i);
  return true;
}
