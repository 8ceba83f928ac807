#include "installer/install_plan.h"

#include <cstring>

namespace {

// The order in which the extension keys are written, as indexes into
// kTypeExtensions: ".CRC" first, then the others in the boxes' order.
constexpr int kRowOrder[kExtensionCount] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

std::string Join(const char* parent, const char* name) {
  return std::string(parent) + "\\" + name;
}

}  // namespace

std::string ClassKey(const std::string& key) {
  return std::string(kClassesKey) + "\\" + key;
}

void TakeCurrentOwners(const RegText current[kExtensionCount], InstallChoices* choices,
                       bool ownedElsewhere[kListTypeCount]) {
  for (int t = 0; t < kListTypeCount; ++t) ownedElsewhere[t] = false;
  for (int e = 0; e < kExtensionCount; ++e) {
    const bool foreign =
        !current[e].text.empty() && !EqualsIgnoringCase(current[e].text, kTypeName);
    choices->previousOwner[e] = foreign ? current[e] : RegText();
    if (foreign) ownedElsewhere[kTypeExtensions[e].type] = true;
  }
  for (int t = 0; t < kListTypeCount; ++t) choices->registerType[t] = !ownedElsewhere[t];
}

std::vector<RegistryRow> InstallRows(const InstallChoices& c) {
  const std::string& f = c.folder;
  const std::string type = ClassKey(kTypeName);
  const std::string verifier = "\"" + f + "Corvana.EXE\"";
  std::vector<RegistryRow> rows;
  rows.push_back({Join(kCompatibilityKey, kClassId), "CTXMENU_NOVERBS", "", true});
  rows.push_back({kUninstallKey, "DisplayName", "Corvana (Remove only)", false});
  // The program path is quoted so that a folder with blanks neither starts
  // another program nor splits the path; the folder argument stays as it is.
  rows.push_back(
      {kUninstallKey, "UninstallString", "\"" + f + kUninstallerName + "\" " + f, false});
  rows.push_back(
      {kUninstallKey, "QuietUninstallString", "\"" + f + kUninstallerName + "\" /S " + f, false});
  rows.push_back({kUninstallKey, "DisplayVersion", kVersionText, false});
  rows.push_back({kUninstallKey, "Publisher", kPublisher, false});
  rows.push_back({kUninstallKey, "DisplayIcon", f + "Corvana.EXE,0", false});
  rows.push_back({kUninstallKey, "InstallLocation", WithoutTrailingSlash(f), false});
  rows.push_back({kUninstallKey, "EstimatedSize", "", false, RowType::Number, c.estimatedSizeKiB});
  rows.push_back({kUninstallKey, "NoModify", "", false, RowType::Number, 1});
  rows.push_back({kUninstallKey, "NoRepair", "", false, RowType::Number, 1});
  for (int e = 0; e < kExtensionCount; ++e) {
    const RegText& owner = c.previousOwner[e];
    if (c.registerType[kTypeExtensions[e].type] && !owner.text.empty())
      rows.push_back({kPreviousOwnersKey, kTypeExtensions[e].extension, owner.text, false,
                      owner.expands ? RowType::ExpandString : RowType::String});
  }
  // An entry an earlier installation recorded leaves Path unless it is this
  // one (it may name another folder, or crvn may be declined now). This
  // installation's entry is its own when it comes in now or an earlier
  // installation here put it there; one that was there otherwise is left
  // to whoever put it there.
  const std::string entry = c.usePath ? PathEntryOf(f) : std::string();
  const bool earlierHere =
      !c.earlierPathEntry.empty() && !entry.empty() && SamePathEntry(c.earlierPathEntry, entry);
  std::string path = c.path;
  if (!c.earlierPathEntry.empty() && !earlierHere) path = PathWithout(path, c.earlierPathEntry);
  bool ours = false;
  if (!entry.empty()) {
    const std::string with = PathWith(path, entry);
    ours = earlierHere || with != path;
    path = with;
  }
  rows.push_back({kUninstallKey, kPathEntryValue, ours ? entry : std::string(), false});
  if (path != c.path)
    rows.push_back({kEnvironmentKey, kPathValue, path, false, RowType::ExpandString});
  for (int e : kRowOrder) {
    if (c.registerType[kTypeExtensions[e].type])
      rows.push_back({ClassKey(kTypeExtensions[e].extension), "", kTypeName, false});
  }
  rows.push_back({type, "", kTypeDescription, false});
  rows.push_back({type + "\\DefaultIcon", "", f + "Corvana.EXE,0", false});
  rows.push_back({type + "\\Shell", "", "open", false});
  rows.push_back({type + "\\Shell\\open", "", "&Open", false});
  rows.push_back({type + "\\Shell\\open\\command", "", verifier + " \"%1\"", false});
  rows.push_back({type + "\\Shell\\verify_all", "", "&Verify All", false});
  rows.push_back({type + "\\Shell\\verify_all\\command", "", verifier + " DOALL \"%1\"", false});
  if (c.shellExtension) {
    const std::string clsidKey = ClassKey(Join("CLSID", kClassId));
    rows.push_back({ClassKey(Join(kFolderHandlers, kHandlerName)), "", kClassId, false});
    rows.push_back({ClassKey(Join(kFileHandlers, kHandlerName)), "", kClassId, false});
    rows.push_back({ClassKey(Join(kPropertySheetHandlers, kHandlerName)), "", kClassId, false});
    rows.push_back({clsidKey, "", kHandlerName, false});
    rows.push_back({clsidKey + "\\InProcServer32", "", f + "CRVNShll.dll", false});
    rows.push_back({clsidKey + "\\InProcServer32", "ThreadingModel", "Apartment", false});
    rows.push_back({kApprovedKey, kClassId, kHandlerName, false});
  }
  return rows;
}

std::vector<KeyRemoval> ProgramKeys() {
  return {{kCompatibilityKey, kClassId},
          {kUninstallParent, "Corvana"},
          {kClassesKey, kTypeName},
          {ClassKey(kFileHandlers), kHandlerName},
          {ClassKey(kFolderHandlers), kHandlerName},
          {ClassKey(kPropertySheetHandlers), kHandlerName},
          {ClassKey("CLSID"), kClassId}};
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

bool IsDriveRoot(const std::string& folder) {
  std::string f = folder;
  for (char& ch : f) {
    if (ch == '/') ch = '\\';
  }
  if (f.compare(0, 8, "\\\\?\\UNC\\") == 0)
    f = "\\\\" + f.substr(8);
  else if (f.compare(0, 4, "\\\\?\\") == 0 || f.compare(0, 4, "\\\\.\\") == 0)
    f.erase(0, 4);
  while (!f.empty() && f.back() == '\\') f.pop_back();
  // Nothing, or "\": the root of the current drive.
  if (f.empty()) return true;
  if (f.size() == 2 && f[1] == ':') return true;
  if (f.compare(0, 2, "\\\\") == 0) {
    // "\\server\share" and no folder below it.
    const size_t server = f.find('\\', 2);
    return server == std::string::npos || f.find('\\', server + 1) == std::string::npos;
  }
  return false;
}

FolderVerdict JudgeFolder(const std::string& typed, const std::string& full,
                          const std::vector<std::string>& names) {
  if (IsDriveRoot(typed) || IsDriveRoot(full)) return FolderVerdict::DriveRoot;
  if (names.empty()) return FolderVerdict::Fine;
  bool verifier = false, uninstaller = false;
  for (const std::string& name : names) {
    if (EqualsIgnoringCase(name, "Corvana.EXE")) verifier = true;
    if (EqualsIgnoringCase(name, kUninstallerName)) uninstaller = true;
  }
  return verifier && uninstaller ? FolderVerdict::Fine : FolderVerdict::HoldsOtherFiles;
}

const char* FolderRefusalText(FolderVerdict verdict) {
  switch (verdict) {
    case FolderVerdict::DriveRoot:
      return "Corvana cannot be installed in the root of a drive. Choose a folder of its own, "
             "such as C:\\Program Files\\Corvana.";
    case FolderVerdict::HoldsOtherFiles:
      return "This folder already holds other files, and no earlier installation of Corvana. "
             "Choose a new or empty folder, or the folder of an earlier installation.";
    case FolderVerdict::Fine:
      break;
  }
  return nullptr;
}

std::string RemovableFolder(const std::string& folder) {
  return IsDriveRoot(folder) ? std::string() : WithoutTrailingSlash(folder);
}

namespace {

// A Path entry as compared: no quotes around it, no final '\'.
std::string EntryCore(const std::string& entry) {
  std::string e = entry;
  if (e.size() >= 2 && e.front() == '"' && e.back() == '"') e = e.substr(1, e.size() - 2);
  while (!e.empty() && e.back() == '\\') e.pop_back();
  return e;
}

}  // namespace

std::string PathEntryOf(const std::string& folder) {
  return WithoutTrailingSlash(folder);
}

bool SamePathEntry(const std::string& a, const std::string& b) {
  const std::string x = EntryCore(a);
  return !x.empty() && EqualsIgnoringCase(x, EntryCore(b));
}

std::string PathWith(const std::string& path, const std::string& entry) {
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find(';', at);
    if (end == std::string::npos) end = path.size();
    if (SamePathEntry(path.substr(at, end - at), entry)) return path;
    at = end + 1;
  }
  // Always a separator of its own, so that taking the entry out again
  // gives back the Path byte for byte, a final ';' included.
  return path.empty() ? entry : path + ";" + entry;
}

std::string PathWithout(const std::string& path, const std::string& entry) {
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find(';', at);
    if (end == std::string::npos) end = path.size();
    if (SamePathEntry(path.substr(at, end - at), entry)) {
      // With the separator before it, or after it when it is the first.
      if (at > 0) return path.substr(0, at - 1) + path.substr(end);
      return end < path.size() ? path.substr(end + 1) : std::string();
    }
    at = end + 1;
  }
  return path;
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
const char kAlreadyRunningText[] = "Corvana Setup is already running.";
