// The installer's and the uninstaller's decisions that need no system: the
// folder proposal from an uninstall string, the folders to create, the
// version order, the rows a choice leads to, and the uninstaller's batch
// file and folder choice.
#include <gtest/gtest.h>

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
  // Only the chosen extensions, ".CRC" first.
  EXPECT_EQ(keys[3], ".CRC");
  EXPECT_EQ(keys[4], ".SFV");
  EXPECT_EQ(keys[5], ".MD5");
  EXPECT_EQ(keys[6], "File_Verification_Database");
  EXPECT_EQ(keys.size(), 3u + 3u + 7u + 6u);
  // Only the compatibility row may fail.
  for (const RegistryRow& r : InstallRows(c))
    EXPECT_EQ(r.mayFail, r.valueName == "CTXMENU_NOVERBS");

  c.shellExtension = false;
  std::vector<RegistryRow> rows = InstallRows(c);
  EXPECT_EQ(rows.size(), 3u + 3u + 7u);
  EXPECT_EQ(rows.front().valueName, "CTXMENU_NOVERBS");
  for (const RegistryRow& r : rows) EXPECT_EQ(r.data.find("CRVNShll"), std::string::npos);
}

TEST(ExitBatch, TextRetriesEachFileThenRemovesTheFolderAndItself) {
  const std::string text = ExitBatchText();
  // Paths reach the interpreter through its Unicode environment only.
  for (char c : text) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  const std::string f = "\"%CRVN_FOLDER%";
  std::string expected = "@echo off\r\n";
  const char* files[] = {"CRVNUNST.EXE", "Corvana.EXE", "CRVNShll.dll", "history.txt",
                         "Corvana.ini"};
  const char* labels[] = {"hmmm", "hmmm2", "hmmm3", "hmmm4", "hmmm5"};
  for (int i = 0; i < 5; ++i) {
    expected += std::string(":") + labels[i] + "\r\n\r\n";
    expected += "if EXIST " + f + files[i] + "\" del " + f + files[i] + "\"\r\n";
    expected += "if EXIST " + f + files[i] + "\" goto " + labels[i] + "\r\n\r\n";
  }
  expected += "rd \"%CRVN_REMOVE%\"\r\n\r\ndel \"%~f0\"\r\n";
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
