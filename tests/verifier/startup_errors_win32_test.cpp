// The start-up errors of Corvana.exe: the "Error" box with its exact text,
// found on the desktop, answered with OK, and the exit code -1.
#include <gtest/gtest.h>

#include <string>

#include "corvana_process_win32.h"

namespace {

struct BoxResult {
  bool found = false;
  std::string text;
  DWORD exitCode = 0xDEADBEEF;  // when no process was started
};

BOOL CALLBACK FindStatic(HWND child, LPARAM out) {
  char cls[32] = {};
  ::GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    char text[1024] = {};
    ::GetWindowTextA(child, text, sizeof text);
    if (text[0] != '\0') {
      *reinterpret_cast<std::string*>(out) = text;
      return FALSE;
    }
  }
  return TRUE;
}

// Starts Corvana with `arguments`, waits for a visible box of its own whose
// caption is `caption` (any caption for nullptr), reads its message, presses
// `button` and collects the exit code.
BoxResult RunToBox(const std::string& exe, const std::string& arguments, const std::string& dir,
                   const char* caption, int button) {
  BoxResult r;
  UniqueKernelHandle process = StartCorvana(exe, arguments, dir);
  if (!process) return r;
  DWORD pid = ::GetProcessId(process.Get());
  for (int i = 0; i < 600 && !r.found; ++i) {
    HWND box = nullptr;
    while ((box = ::FindWindowExA(nullptr, box, "#32770", caption)) != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(box, &owner);
      if (owner != pid || !::IsWindowVisible(box)) continue;
      ::EnumChildWindows(box, FindStatic, reinterpret_cast<LPARAM>(&r.text));
      r.found = true;
      ::PostMessageA(box, WM_COMMAND, button, 0);
      break;
    }
    if (!r.found && ::WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0) break;
  }
  if (::WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 1);
  }
  ::GetExitCodeProcess(process.Get(), &r.exitCode);
  return r;
}

class StartupErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTestFolder("errors");
    exe_ = InstallCorvana(folder_, "[Corvana]\r\nSignature=1\r\n");
    PutFile(folder_.path + "list.sfv", "");
  }
  void TearDown() override { RemoveTestFolder(folder_); }
  TestFolder folder_;
  std::string exe_;
};

TEST_F(StartupErrors, EachShowsItsMessageAndEndsWithMinusOne) {
  struct Case {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"TYPE:crc list.sfv", "Invalid type specified for creation"},
      {"CREATE", "No name specified for new .sfv file"},
      {"missing.sfv", "Could not open file: \"\""},
  };
  for (const auto& c : cases) {
    BoxResult r = RunToBox(exe_, c.arguments, folder_.path, "Error", IDOK);
    EXPECT_TRUE(r.found) << c.arguments;
    EXPECT_EQ(r.text, c.message) << c.arguments;
    EXPECT_EQ(r.exitCode, 0xFFFFFFFFu) << c.arguments;
  }
  // TYPE:MD5 is a valid type: the list runs and the program ends normally.
  EXPECT_EQ(RunCorvana(exe_, "TYPE:MD5 list.sfv OUTPUT:out.txt", folder_.path), 0u);
  EXPECT_TRUE(FileThere(folder_.path + "out.txt"));
}

// With OUTPUT: the same errors show no box: each is the results file's only
// line after the version line, and ERRORLEVEL makes the exit code 2. A
// results file that cannot be created leaves the error to standard error;
// the run still ends at once.
TEST_F(StartupErrors, UnattendedRunsWriteTheErrorInsteadOfABox) {
  struct Case {
    std::string arguments;
    std::string message;  // "" when the results file cannot be created
  } cases[] = {
      {"TYPE:crc list.sfv OUTPUT:res.txt", "Invalid type specified for creation"},
      {"OUTPUT:res.txt CREATE", "No name specified for new .sfv file"},
      {"missing.sfv OUTPUT:res.txt", "Could not open file: \"\""},
      {"OUTPUT:res.txt", "Could not open file: \"\""},
      {"list.sfv OUTPUT:no\\such\\folder\\out.txt", ""},
  };
  for (const char* errorLevel : {"", " ERRORLEVEL"}) {
    for (const auto& c : cases) {
      const std::string arguments = c.arguments + errorLevel;
      ::DeleteFileA((folder_.path + "res.txt").c_str());
      BoxResult r = RunToBox(exe_, arguments, folder_.path, nullptr, IDOK);
      EXPECT_FALSE(r.found) << arguments << ": " << r.text;
      EXPECT_EQ(r.exitCode, errorLevel[0] ? 2u : 0xFFFFFFFFu) << arguments;
      if (c.message.empty()) {
        EXPECT_FALSE(FileThere(folder_.path + "res.txt")) << arguments;
      } else {
        EXPECT_EQ(GetFile(folder_.path + "res.txt"), "Corvana v2.33\r\n" + c.message + "\r\n")
            << arguments;
      }
    }
  }
}

// With nothing on the command line the program asks for a list with the
// open dialog; cancelling it ends the program normally.
TEST_F(StartupErrors, EmptyCommandLineOpensTheDialogAndCancelEndsWithZero) {
  BoxResult r = RunToBox(exe_, "", folder_.path, nullptr, IDCANCEL);
  EXPECT_TRUE(r.found) << "no open dialog";
  EXPECT_EQ(r.exitCode, 0u);
}

}  // namespace
