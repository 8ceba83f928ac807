#include "installer/install_plan.h"

#include <cstring>

namespace {

// The order in which the extension keys are written, as indexes into
// kTypeExtensions: ".CRC" first, then the others in the boxes' order.
constexpr int kRowOrder[kExtensionCount] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9};

std::string Join(const char* parent, const char* name) {
  return std::string(parent) + "\\" + name;
}

}  // namespace

void TakeCurrentOwners(const std::string current[kExtensionCount], InstallChoices* choices,
                       bool ownedElsewhere[kListTypeCount]) {
  for (int t = 0; t < kListTypeCount; ++t) ownedElsewhere[t] = false;
  for (int e = 0; e < kExtensionCount; ++e) {
    const bool foreign = !current[e].empty() && !EqualsIgnoringCase(current[e], kTypeName);
    choices->previousOwner[e] = foreign ? current[e] : std::string();
    if (foreign) ownedElsewhere[kTypeExtensions[e].type] = true;
  }
  for (int t = 0; t < kListTypeCount; ++t) choices->registerType[t] = !ownedElsewhere[t];
}

std::vector<RegistryRow> InstallRows(const InstallChoices& c) {
  const std::string& f = c.folder;
  const std::string type = kTypeName;
  const std::string verifier = "\"" + f + "Corvana.EXE\"";
  std::vector<RegistryRow> rows;
  rows.push_back(
      {RegRoot::LocalMachine, Join(kCompatibilityKey, kClassId), "CTXMENU_NOVERBS", "", true});
  rows.push_back(
      {RegRoot::LocalMachine, kUninstallKey, "DisplayName", "Corvana (Remove only)", false});
  // The program path is quoted so that a folder with blanks neither starts
  // another program nor splits the path; the folder argument stays as it is.
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "UninstallString",
                  "\"" + f + kUninstallerName + "\" " + f, false});
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "QuietUninstallString",
                  "\"" + f + kUninstallerName + "\" /S " + f, false});
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "DisplayVersion", kVersionText, false});
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "Publisher", kPublisher, false});
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "DisplayIcon", f + "Corvana.EXE,0", false});
  rows.push_back(
      {RegRoot::LocalMachine, kUninstallKey, "InstallLocation", WithoutTrailingSlash(f), false});
  rows.push_back(
      {RegRoot::LocalMachine, kUninstallKey, "EstimatedSize", "", false, true, c.estimatedSizeKiB});
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "NoModify", "", false, true, 1});
  rows.push_back({RegRoot::LocalMachine, kUninstallKey, "NoRepair", "", false, true, 1});
  for (int e = 0; e < kExtensionCount; ++e) {
    if (c.registerType[kTypeExtensions[e].type] && !c.previousOwner[e].empty())
      rows.push_back({RegRoot::LocalMachine, kPreviousOwnersKey, kTypeExtensions[e].extension,
                      c.previousOwner[e], false});
  }
  for (int e : kRowOrder) {
    if (c.registerType[kTypeExtensions[e].type])
      rows.push_back({RegRoot::ClassesRoot, kTypeExtensions[e].extension, "", type, false});
  }
  rows.push_back({RegRoot::ClassesRoot, type, "", kTypeDescription, false});
  rows.push_back({RegRoot::ClassesRoot, type + "\\DefaultIcon", "", f + "Corvana.EXE,0", false});
  rows.push_back({RegRoot::ClassesRoot, type + "\\Shell", "", "open", false});
  rows.push_back({RegRoot::ClassesRoot, type + "\\Shell\\open", "", "&Open", false});
  rows.push_back(
      {RegRoot::ClassesRoot, type + "\\Shell\\open\\command", "", verifier + " \"%1\"", false});
  rows.push_back({RegRoot::ClassesRoot, type + "\\Shell\\verify_all", "", "&Verify All", false});
  rows.push_back({RegRoot::ClassesRoot, type + "\\Shell\\verify_all\\command", "",
                  verifier + " DOALL \"%1\"", false});
  if (c.shellExtension) {
    const std::string clsidKey = Join("CLSID", kClassId);
    rows.push_back(
        {RegRoot::ClassesRoot, Join(kFolderHandlers, kHandlerName), "", kClassId, false});
    rows.push_back({RegRoot::ClassesRoot, Join(kFileHandlers, kHandlerName), "", kClassId, false});
    rows.push_back({RegRoot::ClassesRoot, clsidKey, "", kHandlerName, false});
    rows.push_back(
        {RegRoot::ClassesRoot, clsidKey + "\\InProcServer32", "", f + "CRVNShll.dll", false});
    rows.push_back({RegRoot::ClassesRoot, clsidKey + "\\InProcServer32", "ThreadingModel",
                    "Apartment", false});
    rows.push_back({RegRoot::LocalMachine, kApprovedKey, kClassId, kHandlerName, false});
  }
  return rows;
}

std::vector<KeyRemoval> ProgramKeys() {
  return {{RegRoot::LocalMachine, kCompatibilityKey, kClassId},
          {RegRoot::LocalMachine, kUninstallParent, "Corvana"},
          {RegRoot::ClassesRoot, "", kTypeName},
          {RegRoot::ClassesRoot, kFileHandlers, kHandlerName},
          {RegRoot::ClassesRoot, kFolderHandlers, kHandlerName},
          {RegRoot::ClassesRoot, "CLSID", kClassId}};
}

std::string ProposeFolder(const std::string& uninstallString, const std::string& programFiles) {
  // "C:\Corvana\CRVNUNST.EXE C:\Corvana\" (older) or
  // "\"C:\Program Files\Corvana\CRVNUNST.EXE\" C:\Program Files\Corvana\".
  for (const char* marker : {"CRVNUNST.EXE\" ", "CRVNUNST.EXE "}) {
    size_t at = uninstallString.find(marker);
    if (at == std::string::npos) continue;
    std::string folder = uninstallString.substr(0, at);
    if (!folder.empty() && folder[0] == '"') folder.erase(0, 1);
    if (!folder.empty() && folder.back() == '\\') return folder;
  }
  std::string base = programFiles.empty() ? std::string("C:\\Program Files") : programFiles;
  return WithTrailingSlash(base) + "Corvana";
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string WithTrailingSlash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

std::string WithoutTrailingSlash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

std::vector<std::string> FoldersAlong(const std::string& folder) {
  size_t start = 0;
  if (folder.compare(0, 2, "\\\\") == 0) {
    // Past "\\server\share\".
    size_t server = folder.find('\\', 2);
    size_t share = server == std::string::npos ? server : folder.find('\\', server + 1);
    if (share == std::string::npos) return {};
    start = share + 1;
  } else if (folder.size() >= 2 && folder[1] == ':') {
    start = folder.size() > 2 && folder[2] == '\\' ? 3 : 2;
  } else if (!folder.empty() && folder[0] == '\\') {
    start = 1;
  }
  std::vector<std::string> out;
  for (size_t i = start; i < folder.size(); ++i) {
    if (folder[i] == '\\' && i > start && folder[i - 1] != '\\') out.push_back(folder.substr(0, i));
  }
  return out;
}

bool IsNewer(ProductVersion installed, ProductVersion carried) {
  if (installed.mostSignificant != carried.mostSignificant)
    return installed.mostSignificant > carried.mostSignificant;
  return installed.leastSignificant > carried.leastSignificant;
}

std::string NewerVersionQuestion(const char* fileName) {
  return std::string("A newer version of ") + fileName +
         " exists on your system.  It is recommended you keep this newer version.\r\n\r\n"
         "Do you want to keep the newer version?";
}

const char kSuccessText[] =
    "Corvana v2.33 has been installed.  (Yes, really!  Why do other install programs have to "
    "take so bloody long!)\r\n\r\n"
    "Use it by double-clicking on a .SFV, .CKZ, .CRC, .CSV, .PAR or .MD5 file or by "
    "double-clicking on its icon.\r\n\r\n"
    "Corvana is free to use. If it saves you time, show your appreciation with a contribution "
    "to the Corvana project: see https://corvana.example.org/ or write to corvana@example.org.";

const char kCopyFailedText[] =
    "Corvana was not installed.  Error: Could not copy files.\r\n\r\nOne of the files may be in "
    "use.  Exit all Corvana and Explorer windows, wait a few minutes, then try again.";
const char kAssociationFailedText[] =
    "Corvana was not installed.  Error: Could not create file associations.";
const char kShortcutFailedText[] = "Corvana was not installed.  Error: Could not create shortcut.";
const char kUseOtherInstallerText[] =
    "This is the installer for 32-bit Windows. This Windows is 64-bit: its Explorer loads only "
    "64-bit shell extensions, so run the 64-bit installer (CRVNINST-2.33-x86_64.exe) instead. "
    "Nothing was installed.";
