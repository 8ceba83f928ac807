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
  // Only the chosen extensions, ".CRC" first, after the uninstall entry.
  EXPECT_EQ(keys[11], ".CRC");
  EXPECT_EQ(keys[12], ".SFV");
  EXPECT_EQ(keys[13], ".MD5");
  EXPECT_EQ(keys[14], "File_Verification_Database");
  EXPECT_EQ(keys.size(), 11u + 3u + 7u + 6u);
  // Only the compatibility row may fail.
  for (const RegistryRow& r : InstallRows(c))
    EXPECT_EQ(r.mayFail, r.valueName == "CTXMENU_NOVERBS");

  c.shellExtension = false;
  std::vector<RegistryRow> rows = InstallRows(c);
  EXPECT_EQ(rows.size(), 11u + 3u + 7u);
  EXPECT_EQ(rows.front().valueName, "CTXMENU_NOVERBS");
  for (const RegistryRow& r : rows) EXPECT_EQ(r.data.find("CRVNShll"), std::string::npos);

  // The digest tools' box brings its four extensions, after the others,
  // each pointing to the type whose verbs start the verifier.
  c.registerType[kDigestLists] = true;
  std::vector<std::string> types;
  for (const RegistryRow& r : InstallRows(c)) {
    if (r.root == RegRoot::ClassesRoot && r.data == kTypeName) types.push_back(r.key);
  }
  EXPECT_EQ(types, (std::vector<std::string>{".CRC", ".SFV", ".MD5", ".SHA1", ".SHA256", ".SHA512",
                                             ".B3"}));
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
    std::string current[kExtensionCount];
    for (const auto& [e, value] : c.current) current[e] = value;
    InstallChoices choices;
    choices.previousOwner[2] = "stale";
    bool owned[kListTypeCount];
    TakeCurrentOwners(current, &choices, owned);
    for (int t = 0; t < kListTypeCount; ++t) {
      const bool half =
          std::find(c.halfChecked.begin(), c.halfChecked.end(), t) != c.halfChecked.end();
      EXPECT_EQ(owned[t], half) << t;
      EXPECT_EQ(choices.registerType[t], !half) << t;  // the unattended choice
    }
    for (int e = 0; e < kExtensionCount; ++e) {
      const bool foreign = !current[e].empty() && !EqualsIgnoringCase(current[e], kTypeName);
      EXPECT_EQ(choices.previousOwner[e], foreign ? current[e] : "") << e;
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
  c.previousOwner[kCsv] = "Sheet.csv";
  c.previousOwner[kPar] = "Par.File";  // not taken over: not kept
  c.registerType[kDigestLists] = true;
  c.previousOwner[7] = "Hasher.sha256";
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
    EXPECT_EQ(entry[i].isNumber, expected[i].isNumber);
    EXPECT_EQ(entry[i].number, expected[i].number);
  }
  ASSERT_EQ(owners.size(), 2u);
  EXPECT_EQ(owners[0].valueName, ".CSV");
  EXPECT_EQ(owners[0].data, "Sheet.csv");
  EXPECT_EQ(owners[1].valueName, ".SHA256");
  EXPECT_EQ(owners[1].data, "Hasher.sha256");
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
      "rd \"%CRVN_REMOVE%\" >nul 2>&1\r\n"
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

}  // namespace
