// The installer's and the uninstaller's decisions that need no system: the
// folder proposal from an uninstall string, the folders to create, the
// version order, the rows a choice leads to, and the uninstaller's batch
// file and folder choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "installer/command_line.h"
#include "installer/install_plan.h"
#include "uninstaller/exit_batch.h"

namespace {

TEST(InstallPlan, FolderProposal) {
  struct Case {
    const char* uninstallString;
    const char* programFiles;
    const char* expected;
  };
  const Case cases[] = {
      // Earlier installations, in the older unquoted and the quoted form.
      {"C:\\Tools\\Corvana\\CRVNUNST.EXE C:\\Tools\\Corvana\\", "C:\\Program Files",
       "C:\\Tools\\Corvana\\"},
      {"C:\\Program Files\\Corvana\\CRVNUNST.EXE C:\\Program Files\\Corvana\\", "D:\\P",
       "C:\\Program Files\\Corvana\\"},
      {"\"C:\\Program Files\\Corvana\\CRVNUNST.EXE\" C:\\Program Files\\Corvana\\", "D:\\P",
       "C:\\Program Files\\Corvana\\"},
      // No earlier installation, or a string that names no folder.
      {"", "C:\\Program Files", "C:\\Program Files\\Corvana"},
      {"", "C:\\Program Files\\", "C:\\Program Files\\Corvana"},
      {"CRVNUNST.EXE C:\\x\\", "C:\\PF", "C:\\PF\\Corvana"},
      {"\"CRVNUNST.EXE\" C:\\x\\", "C:\\PF", "C:\\PF\\Corvana"},
      {"C:\\Corvana\\crvnunst.exe C:\\Corvana\\", "C:\\PF", "C:\\PF\\Corvana"},
      {"", "", "C:\\Program Files\\Corvana"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProposeFolder(c.uninstallString, c.programFiles), c.expected) << c.uninstallString;
  }
}

TEST(InstallPlan, FoldersAlongAPath) {
  struct Case {
    const char* folder;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Corvana\\", {"C:\\Program Files", "C:\\Program Files\\Corvana"}},
      {"C:\\", {}},
      {"\\\\server\\share\\apps\\Corvana\\",
       {"\\\\server\\share\\apps", "\\\\server\\share\\apps\\Corvana"}},
      {"\\\\server\\", {}},
      {"C:\\a\\\\b\\", {"C:\\a", "C:\\a\\\\b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(FoldersAlong(c.folder), c.expected) << c.folder;
}

TEST(InstallPlan, VersionOrderComparesTheHighHalfFirst) {
  struct Case {
    ProductVersion installed, carried;
    bool newer;
  };
  const Case cases[] = {
      {{0x00020021, 0}, {0x00020021, 0}, false}, {{0x00020022, 0}, {0x00020021, 0}, true},
      {{0x00020021, 1}, {0x00020021, 0}, true},  {{0x00020020, 9}, {0x00020021, 0}, false},
      {{0, 0}, {0x00020021, 0}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsNewer(c.installed, c.carried), c.newer)
        << c.installed.mostSignificant << "." << c.installed.leastSignificant;
}

TEST(InstallPlan, RowsFollowTheChoices) {
  InstallChoices c;
  c.folder = "C:\\Program Files\\Corvana\\";
  c.registerType[kMd5] = c.registerType[kSfv] = c.registerType[kCrc] = true;
  std::vector<std::string> keys;
  for (const RegistryRow& r : InstallRows(c)) keys.push_back(r.key);
  // Only the chosen extensions, ".CRC" first, after the uninstall entry
  // (its Path entry and the Path itself last in it), all in the machine's
  // classes.
  EXPECT_EQ(keys[11], kUninstallKey);
  EXPECT_EQ(keys[12], kEnvironmentKey);
  EXPECT_EQ(keys[13], "Software\\Classes\\.CRC");
  EXPECT_EQ(keys[14], "Software\\Classes\\.SFV");
  EXPECT_EQ(keys[15], "Software\\Classes\\.MD5");
  EXPECT_EQ(keys[16], "Software\\Classes\\File_Verification_Database");
  EXPECT_EQ(keys.size(), 13u + 3u + 7u + 7u);
  EXPECT_NE(std::find(keys.begin(), keys.end(),
                      "Software\\Classes\\*\\shellex\\PropertySheetHandlers\\Corvana Shell "
                      "Extension"),
            keys.end());
  // Only the compatibility row may fail.
  for (const RegistryRow& r : InstallRows(c))
    EXPECT_EQ(r.mayFail, r.valueName == "CTXMENU_NOVERBS");

  c.shellExtension = false;
  c.usePath = false;
  std::vector<RegistryRow> rows = InstallRows(c);
  EXPECT_EQ(rows.size(), 12u + 3u + 7u);
  EXPECT_EQ(rows.front().valueName, "CTXMENU_NOVERBS");
  for (const RegistryRow& r : rows) EXPECT_EQ(r.data.find("CRVNShll"), std::string::npos);

  // The digest tools' box brings its extensions, after the others, each
  // pointing to the type whose verbs start the verifier.
  c.registerType[kDigestLists] = true;
  std::vector<std::string> types;
  for (const RegistryRow& r : InstallRows(c)) {
    if (r.data == kTypeName)
      types.push_back(r.key.substr(std::string("Software\\Classes\\").size()));
  }
  EXPECT_EQ(types, (std::vector<std::string>{".CRC", ".SFV", ".MD5", ".SHA1", ".SHA256", ".SHA512",
                                             ".B3", ".XXH3", ".XXH128"}));
  // No row goes through anything but the machine's keys; only Path and a
  // previous owner of that type are expandable strings.
  for (const RegistryRow& r : InstallRows(c)) EXPECT_NE(r.key.rfind("HKEY", 0), 0u) << r.key;
}

// Each extension's default value now, in kTypeExtensions' order, decides
// how its box starts; a box of several extensions is half-checked when any
// of them belongs to another program.
TEST(InstallPlan, BoxesStartHalfCheckedWhenAnotherProgramOwnsAnyOfTheirExtensions) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, const char*>> current;  // extension index, its value
    std::vector<int> halfChecked;                      // ListType
  };
  const Case cases[] = {
      {"nothing registered", {}, {}},
      {"ours already, in any case", {{0, "file_verification_database"}, {8, kTypeName}}, {}},
      {"one foreign type", {{5, "OtherTool.md5"}}, {kMd5}},
      {"one of the four digest extensions", {{9, "Hasher.b3"}, {7, kTypeName}}, {kDigestLists}},
      {"all four foreign, and CSV",
       {{3, "Sheet.csv"}, {6, "A"}, {7, "B"}, {8, "C"}, {9, "D"}},
       {kCsv, kDigestLists}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegText current[kExtensionCount];
    for (const auto& [e, value] : c.current) current[e].text = value;
    InstallChoices choices;
    choices.previousOwner[2].text = "stale";
    bool owned[kListTypeCount];
    TakeCurrentOwners(current, &choices, owned);
    for (int t = 0; t < kListTypeCount; ++t) {
      const bool half =
          std::find(c.halfChecked.begin(), c.halfChecked.end(), t) != c.halfChecked.end();
      EXPECT_EQ(owned[t], half) << t;
      EXPECT_EQ(choices.registerType[t], !half) << t;  // the unattended choice
    }
    for (int e = 0; e < kExtensionCount; ++e) {
      const bool foreign =
          !current[e].text.empty() && !EqualsIgnoringCase(current[e].text, kTypeName);
      EXPECT_EQ(choices.previousOwner[e].text, foreign ? current[e].text : "") << e;
    }
  }
}

TEST(InstallPlan, UninstallEntryAndPreviousOwners) {
  InstallChoices c;
  c.folder =
      "C:\\Pr\xC3\xBC"
      "fung \xCE\xA9\\Corvana\\";
  c.estimatedSizeKiB = 1234;
  c.registerType[kCsv] = c.registerType[kSfv] = true;
  c.previousOwner[kCsv] = {"Sheet.csv", false};
  c.previousOwner[kPar] = {"Par.File", false};  // not taken over: not kept
  c.registerType[kDigestLists] = true;
  c.previousOwner[7] = {"%ProgramFiles%\\Hasher.sha256", true};  // kept with its type
  c.usePath = false;
  struct Expected {
    const char* name;
    std::string data;
    bool isNumber;
    uint32_t number;
  };
  const std::string f = c.folder;
  const Expected expected[] = {
      {"DisplayName", "Corvana (Remove only)", false, 0},
      {"UninstallString", "\"" + f + "CRVNUNST.EXE\" " + f, false, 0},
      {"QuietUninstallString", "\"" + f + "CRVNUNST.EXE\" /S " + f, false, 0},
      {"DisplayVersion", "2.33", false, 0},
      {"Publisher", "Corvana project", false, 0},
      {"DisplayIcon", f + "Corvana.EXE,0", false, 0},
      {"InstallLocation",
       "C:\\Pr\xC3\xBC"
       "fung \xCE\xA9\\Corvana",
       false, 0},
      {"EstimatedSize", "", true, 1234},
      {"NoModify", "", true, 1},
      {"NoRepair", "", true, 1},
      {"PathEntry", "", false, 0},
  };
  std::vector<RegistryRow> entry, owners;
  for (const RegistryRow& r : InstallRows(c)) {
    if (r.key == kUninstallKey) entry.push_back(r);
    if (r.key == kPreviousOwnersKey) owners.push_back(r);
  }
  ASSERT_EQ(entry.size(), std::size(expected));
  for (size_t i = 0; i < entry.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(entry[i].valueName, expected[i].name);
    EXPECT_EQ(entry[i].data, expected[i].data);
    EXPECT_EQ(entry[i].type == RowType::Number, expected[i].isNumber);
    EXPECT_EQ(entry[i].number, expected[i].number);
  }
  ASSERT_EQ(owners.size(), 2u);
  EXPECT_EQ(owners[0].valueName, ".CSV");
  EXPECT_EQ(owners[0].data, "Sheet.csv");
  EXPECT_EQ(owners[0].type, RowType::String);
  EXPECT_EQ(owners[1].valueName, ".SHA256");
  EXPECT_EQ(owners[1].data, "%ProgramFiles%\\Hasher.sha256");
  EXPECT_EQ(owners[1].type, RowType::ExpandString);
}

TEST(ExitBatch, TextTriesABoundedNumberOfTimesWithAPauseThenLeavesTheRestToARestart) {
  const std::string text = ExitBatchText();
  // Paths reach the interpreter through its Unicode environment only.
  for (char c : text) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  const std::string p = "\"%CRVN_UNINSTALLER%\"";
  const std::string expected =
      "@echo off\r\n"
      "set crvn_tries=0\r\n"
      ":retry\r\n"
      "if not exist " +
      p +
      " goto folder\r\n"
      "del /f /q " +
      p +
      " >nul 2>&1\r\n"
      "if not exist " +
      p +
      " goto folder\r\n"
      "set /a crvn_tries+=1\r\n"
      "if %crvn_tries% geq 10 goto later\r\n"
      "ping -n 2 127.0.0.1 >nul\r\n"
      "goto retry\r\n"
      ":later\r\n" +
      p +
      " /RESTART\r\n"
      ":folder\r\n"
      "if defined CRVN_REMOVE rd \"%CRVN_REMOVE%\" >nul 2>&1\r\n"
      "del \"%~f0\"\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(InterpreterCommandLine("C:\\WINDOWS\\system32\\cmd.exe", "C:\\WINDOWS\\"),
            "\"C:\\WINDOWS\\system32\\cmd.exe\" /C \"C:\\WINDOWS\\CRVNExit.bat\"");
}

TEST(CommandLine, ArgumentTextFollowsTheProgramName) {
  struct Case {
    const char* line;
    const char* arguments;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\Corvana\\CRVNUNST.EXE\" C:\\Program Files\\Corvana\\",
       "C:\\Program Files\\Corvana\\"},
      {"C:\\Corvana\\CRVNUNST.EXE   C:\\Corvana\\", "C:\\Corvana\\"},
      {"CRVNUNST.EXE", ""},
      {"\"C:\\x y\\CRVNUNST.EXE\"", ""},
      {"\"unclosed", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ArgumentText(c.line), c.arguments) << c.line;
}

TEST(CommandLine, InstallerAndUninstallerSwitches) {
  struct Case {
    const char* arguments;
    bool silent;
    const char* folder;
  };
  const Case cases[] = {
      {"", false, ""},
      {"/S", true, ""},
      {"/s /D=C:\\Program Files\\Corvana", true, "C:\\Program Files\\Corvana"},
      {"/D=\"C:\\x y\\\"  ", false, "C:\\x y\\"},
      {"/D=C:\\a /S", false, "C:\\a /S"},  // the folder is the rest of the line
      {"/SILENT", false, ""},
  };
  for (const Case& c : cases) {
    const InstallerOptions o = ParseInstallerArguments(c.arguments);
    EXPECT_EQ(o.silent, c.silent) << c.arguments;
    EXPECT_EQ(o.folder, c.folder) << c.arguments;
  }
  struct Uninstall {
    const char* arguments;
    bool silent;
    const char* rest;
  };
  const Uninstall uninstalls[] = {
      {"/S C:\\Corvana\\", true, "C:\\Corvana\\"},
      {"/s", true, ""},
      {"C:\\Corvana\\", false, "C:\\Corvana\\"},
      {"/Sx", false, "/Sx"},
  };
  for (const Uninstall& u : uninstalls) {
    std::string arguments = u.arguments;
    EXPECT_EQ(TakeSilentSwitch(&arguments), u.silent) << u.arguments;
    EXPECT_EQ(arguments, u.rest);
  }
}

TEST(ExitBatch, FolderIsTheArgumentOnlyWhenItNamesTheUninstallersOwn) {
  const std::string own = "C:\\Program Files\\Corvana\\";
  struct Case {
    const char* argument;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Corvana\\", "C:\\Program Files\\Corvana\\"},
      {"c:\\program files\\corvana", "c:\\program files\\corvana\\"},
      {"\"C:\\Program Files\\Corvana\\\"  ", "C:\\Program Files\\Corvana\\"},
      {"", "C:\\Program Files\\Corvana\\"},
      {"C:\\", "C:\\Program Files\\Corvana\\"},
      {"C:\\Windows\\", "C:\\Program Files\\Corvana\\"},
      // What an unquoted command line in this folder hands over.
      {"Files\\Corvana\\CRVNUNST.EXE C:\\Program Files\\Corvana\\", "C:\\Program Files\\Corvana\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseInstallFolder(c.argument, own), c.expected) << c.argument;
}

// A drive's or a share's root never takes an installation; an existing
// folder only when empty or holding an earlier one.
TEST(InstallPlan, FolderRules) {
  using V = FolderVerdict;
  struct Case {
    const char* typed;
    const char* full;
    std::vector<std::string> names;
    V verdict;
  };
  const std::vector<std::string> earlier = {"corvana.exe", "CRVNUNST.EXE", "Corvana.ini"};
  const Case cases[] = {
      {"C:\\", "C:\\", {}, V::DriveRoot},
      {"D:\\", "D:\\", {"pagefile.sys"}, V::DriveRoot},
      // "C:" alone is the current folder of drive C, wherever that is.
      {"C:", "C:\\Users\\me\\", {}, V::DriveRoot},
      {"C:/", "C:\\", {}, V::DriveRoot},
      {"\\", "C:\\", {}, V::DriveRoot},
      {"C:\\Windows\\..", "C:\\", {}, V::DriveRoot},
      {"\\\\server\\share", "\\\\server\\share\\", {}, V::DriveRoot},
      {"\\\\?\\C:\\", "\\\\?\\C:\\", {}, V::DriveRoot},
      {"\\\\?\\UNC\\server\\share\\", "\\\\?\\UNC\\server\\share\\", {}, V::DriveRoot},
      {"C:\\Corvana", "C:\\Corvana\\", {}, V::Fine},
      {"C:\\Corvana", "C:\\Corvana\\", earlier, V::Fine},
      {"\\\\server\\share\\Corvana", "\\\\server\\share\\Corvana\\", {}, V::Fine},
      {"C:\\Tools", "C:\\Tools\\", {"other.exe"}, V::HoldsOtherFiles},
      {"C:\\Tools", "C:\\Tools\\", {"Corvana.EXE", "other.dll"}, V::HoldsOtherFiles},
      {"C:\\Tools", "C:\\Tools\\", {"CRVNUNST.EXE"}, V::HoldsOtherFiles},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(JudgeFolder(c.typed, c.full, c.names), c.verdict);
    EXPECT_EQ(FolderRefusalText(c.verdict) == nullptr, c.verdict == V::Fine);
  }
  // The uninstaller never turns "C:\" into "C:" (the current folder).
  EXPECT_EQ(RemovableFolder("C:\\"), "");
  EXPECT_EQ(RemovableFolder("\\\\server\\share\\"), "");
  EXPECT_EQ(RemovableFolder("C:\\Program Files\\Corvana\\"), "C:\\Program Files\\Corvana");
}

TEST(InstallPlan, PathEntriesAreAddedOnceAndRemovedExactly) {
  const std::string e = "C:\\Program Files\\Corvana";
  struct Case {
    const char* path;
    const char* with;
    const char* without;  // of `with`
  };
  const Case cases[] = {
      {"", "C:\\Program Files\\Corvana", ""},
      {"%SystemRoot%\\system32;%SystemRoot%",
       "%SystemRoot%\\system32;%SystemRoot%;C:\\Program Files\\Corvana",
       "%SystemRoot%\\system32;%SystemRoot%"},
      {"C:\\a;", "C:\\a;;C:\\Program Files\\Corvana", "C:\\a;"},
      // Already there, in another spelling: kept once, that one removed.
      {"C:\\a;c:\\program files\\corvana\\;C:\\b", "C:\\a;c:\\program files\\corvana\\;C:\\b",
       "C:\\a;C:\\b"},
      {"\"C:\\Program Files\\Corvana\";C:\\b", "\"C:\\Program Files\\Corvana\";C:\\b", "C:\\b"},
      // Empty entries and look-alikes of others stay byte for byte.
      {"C:\\a;;C:\\Program Files\\Corvana2",
       "C:\\a;;C:\\Program Files\\Corvana2;C:\\Program Files\\Corvana",
       "C:\\a;;C:\\Program Files\\Corvana2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string with = PathWith(c.path, e);
    EXPECT_EQ(with, c.with);
    EXPECT_EQ(PathWith(with, e), with);
    EXPECT_EQ(PathWithout(with, e), c.without);
  }
  // Only the first of two is taken; a Path without it stays as it is.
  EXPECT_EQ(PathWithout("X;" + e + ";Y;" + e, e), "X;Y;" + e);
  EXPECT_EQ(PathWithout(e + ";Y", e), "Y");
  EXPECT_EQ(PathWithout("X;Y", e), "X;Y");
}

// The Path rows of an installation: the entry added and recorded, kept
// once (and still recorded) on reinstallation, a user's own entry never
// recorded, an earlier installation's entry elsewhere taken out.
TEST(InstallPlan, PathRowsFollowTheChoiceAndTheEarlierInstallation) {
  const std::string f = "C:\\Program Files\\Corvana\\";
  const std::string e = "C:\\Program Files\\Corvana";
  struct Case {
    const char* what;
    bool usePath;
    bool present;
    std::string path, earlier;
    const char* newPath;  // null: Path not written
    std::string recorded;
  };
  const Case cases[] = {
      {"first installation", true, true, "C:\\W", "", "C:\\W;C:\\Program Files\\Corvana", e},
      {"no Path at all", true, false, "", "", "C:\\Program Files\\Corvana", e},
      {"reinstallation", true, true, "C:\\W;" + e, e, nullptr, e},
      {"entry removed since", true, true, "C:\\W", e, "C:\\W;C:\\Program Files\\Corvana", e},
      {"the user's own entry", true, true, e + ";C:\\W", "", nullptr, ""},
      {"declined", false, true, "C:\\W", "", nullptr, ""},
      {"declined on reinstallation", false, true, "C:\\W;" + e, e, "C:\\W", ""},
      {"moved from D:", true, true, "D:\\Corvana;C:\\W", "D:\\Corvana",
       "C:\\W;C:\\Program Files\\Corvana", e},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallChoices choices;
    choices.folder = f;
    choices.usePath = c.usePath;
    choices.pathPresent = c.present;
    choices.path = c.path;
    choices.earlierPathEntry = c.earlier;
    const RegistryRow* path = nullptr;
    const RegistryRow* entry = nullptr;
    const std::vector<RegistryRow> rows = InstallRows(choices);
    for (const RegistryRow& r : rows) {
      if (r.key == kEnvironmentKey) path = &r;
      if (r.key == kUninstallKey && r.valueName == kPathEntryValue) entry = &r;
    }
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->data, c.recorded);
    ASSERT_EQ(path != nullptr, c.newPath != nullptr);
    if (path) {
      EXPECT_EQ(path->valueName, "Path");
      EXPECT_EQ(path->data, c.newPath);
      EXPECT_EQ(path->type, RowType::ExpandString);
    }
  }
}

}  // namespace
