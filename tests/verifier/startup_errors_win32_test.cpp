// The start-up errors of Corvana.exe: the "Error" box with its exact text,
// found on the desktop, answered with OK, and the exit code -1.
#include <gtest/gtest.h>

#include <string>

#include "corvana_process_win32.h"

namespace {

struct BoxResult {
  bool found = false;
  std::string text;
  DWORD exitCode = 0;
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

// Starts Corvana with `arguments`, waits for its "Error" box, reads the
// message, presses OK and collects the exit code.
BoxResult RunToErrorBox(const std::string& exe, const std::string& arguments,
                        const std::string& dir) {
  BoxResult r;
  UniqueKernelHandle process = StartCorvana(exe, arguments, dir);
  if (!process) return r;
  DWORD pid = ::GetProcessId(process.Get());
  for (int i = 0; i < 600 && !r.found; ++i) {
    HWND box = nullptr;
    while ((box = ::FindWindowExA(nullptr, box, "#32770", "Error")) != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(box, &owner);
      if (owner != pid) continue;
      ::EnumChildWindows(box, FindStatic, reinterpret_cast<LPARAM>(&r.text));
      r.found = true;
      ::SendMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      break;
    }
    if (!r.found) {
      if (::WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0) break;
    }
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
      {"list.sfv OUTPUT:no\\such\\folder\\out.txt",
       "Could not open output file: \"no\\such\\folder\\out.txt\""},
  };
  for (const auto& c : cases) {
    BoxResult r = RunToErrorBox(exe_, c.arguments, folder_.path);
    EXPECT_TRUE(r.found) << c.arguments;
    EXPECT_EQ(r.text, c.message) << c.arguments;
    EXPECT_EQ(r.exitCode, 0xFFFFFFFFu) << c.arguments;
  }
  // TYPE:MD5 is a valid type: the list runs and the program ends normally.
  EXPECT_EQ(RunCorvana(exe_, "TYPE:MD5 list.sfv OUTPUT:out.txt", folder_.path), 0u);
  EXPECT_TRUE(FileThere(folder_.path + "out.txt"));
}

// With nothing on the command line the program asks for a list with the
// open dialog; cancelling it ends the program normally.
TEST_F(StartupErrors, EmptyCommandLineOpensTheDialogAndCancelEndsWithZero) {
  UniqueKernelHandle process = StartCorvana(exe_, "", folder_.path);
  ASSERT_TRUE(process);
  DWORD pid = ::GetProcessId(process.Get());
  bool found = false;
  for (int i = 0; i < 600 && !found; ++i) {
    HWND box = nullptr;
    while ((box = ::FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(box, &owner);
      if (owner != pid || !::IsWindowVisible(box)) continue;
      found = true;
      ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      break;
    }
    if (!found && ::WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0) break;
  }
  EXPECT_TRUE(found) << "no open dialog";
  if (::WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 1);
  }
  DWORD code = 1;
  ::GetExitCodeProcess(process.Get(), &code);
  EXPECT_EQ(code, 0u);
}

}  // namespace
