// Drives Corvana.exe through the scenes of scripts/screenshots inside a Wine
// desktop: a run in progress, a finished run, a sorted column, the popup
// menu and the About box. For each picture it writes NAME.req into the work
// folder and waits until the script has taken the picture and removed it.
//
//   results_screenshot_driver.exe CORVANA.EXE WORK_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "../verifier/corvana_process_win32.h"
#include "desktop_win32.h"
#include "hashing/md5.h"
#include "platform/files_win32.h"
#include "tests/platform/unicode_names.h"

namespace {

std::string g_work;
std::string g_exe;

void Put(const std::string& name, const std::string& bytes) {
  PutFile(g_work + name, bytes);
}

std::string Hex8(const std::string& bytes) {
  char s[9];
  std::snprintf(s, sizeof s, "%08X", Crc32Of(bytes));
  return s;
}

// Asks the script for a picture and waits until it is taken.
void Shot(const char* name) {
  ::Sleep(400);  // let the last paint reach the screen
  std::string req = g_work + name + ".req";
  Put(std::string(name) + ".req", "");
  PumpUntil([&] { return ::GetFileAttributesA(req.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000);
}

struct Corvana {
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND main = nullptr;
  HWND list = nullptr;
};

Corvana Start(const std::string& arguments) {
  Corvana c;
  c.process = StartCorvana(g_exe, arguments, g_work).Release();
  if (!c.process) return c;
  c.pid = ::GetProcessId(c.process);
  PumpUntil(
      [&] {
        c.main = FindProcessWindow(c.pid, "CRVN_MAIN");
        if (c.main && ::GetDlgItem(c.main, 501)) return true;
        c.main = nullptr;
        return ::WaitForSingleObject(c.process, 0) == WAIT_OBJECT_0;
      },
      60000);
  c.list = c.main ? ::GetDlgItem(c.main, 501) : nullptr;
  return c;
}

void Close(Corvana& c) {
  if (c.main) ::PostMessageA(c.main, WM_CLOSE, 0, 0);
  if (c.process && ::WaitForSingleObject(c.process, 20000) != WAIT_OBJECT_0) {
    ::TerminateProcess(c.process, 1);
  }
  if (c.process) ::CloseHandle(c.process);
  c = Corvana{};
}

// A click on a column title, as the header control receives it.
void ClickHeader(const Corvana& c, int x) {
  HWND header = ::GetWindow(c.list, GW_CHILD);
  ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 6));
  ::PostMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x, 6));
  ::Sleep(300);
}

void InProgress() {
  // MD5 over 16 GB: the file's percentage shows after three seconds.
  MakeSparseFile(g_work + "movie.mkv", 16000000000ll);
  std::string small = "opening credits";
  MD5_CTX ctx;
  unsigned char d[16];
  MD5Init(&ctx);
  MD5Update(&ctx, small.data(), static_cast<uint32_t>(small.size()));
  MD5Final(d, &ctx);
  char hex[33];
  for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", d[i]);
  Put("credits.txt", small);
  Put("film.md5",
      std::string(hex) + " *credits.txt\r\n" + std::string(32, '0') + " *movie.mkv\r\n");
  Corvana c = Start("film.md5");
  PumpUntil([&] { return WindowText(c.main) == "Checking movie.mkv..."; }, 60000);
  ::Sleep(4500);  // the percentage shows once the file has taken 3 s
  Shot("progress");
  ::PostMessageA(c.list, WM_CHAR, 27, 0);
  Close(c);
  ::DeleteFileA((g_work + "movie.mkv").c_str());
}

void Finished() {
  std::string a = "alpha", b(300000, 'b'), cc = "charlie", x = "x-ray";
  Put("alpha.bin", a);
  Put("bravo.iso", b);
  Put("charlie.doc", cc);
  Put("xray.jpg", x);
  std::string list = "; holiday pictures\r\n";
  list += "alpha.bin " + Hex8(a) + "\r\n";
  list += "bravo.iso " + Hex8(b) + "\r\n";
  list += "charlie.doc " + Hex8(cc) + "\r\n";
  list += "xray.jpg " + Hex8(x) + "\r\n";
  list += "delta.txt 1234ABCD\r\n";
  Put("holiday.sfv", list);
  // A first run stores the database; then one file is rewritten with the
  // same bytes (checked again, OK) and one is damaged (FAILED).
  Corvana first = Start("holiday.sfv OUTPUT:first.txt");
  ::WaitForSingleObject(first.process, 30000);
  ::CloseHandle(first.process);
  ::Sleep(1100);
  Put("charlie.doc", cc);
  Put("xray.jpg", "x-rax");

  Corvana c = Start("holiday.sfv");
  PumpUntil([&] { return WindowText(c.main) == "Finished"; }, 60000);
  ::SetForegroundWindow(c.main);
  Shot("finished");

  ClickHeader(c, 57);  // "Name": ascending
  ClickHeader(c, 57);  // descending
  Shot("sorted-name-descending");
  ClickHeader(c, 114 + 165 + 30);  // "Status": ascending
  Shot("sorted-status");

  RECT r;
  ::GetWindowRect(c.list, &r);
  ::SetCursorPos(r.left + 60, r.top + 60);
  ::PostMessageA(c.list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 60));
  ::PostMessageA(c.list, WM_RBUTTONUP, 0, MAKELPARAM(60, 60));
  PumpUntil([] { return ::FindWindowA("#32768", nullptr) != nullptr; }, 5000);
  Shot("popup");
  if (HWND menu = ::FindWindowA("#32768", nullptr)) {
    ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  }
  ::PostMessageA(c.main, WM_CANCELMODE, 0, 0);
  ::Sleep(300);

  ::PostMessageA(c.main, WM_COMMAND, 40003, 0);
  HWND about = nullptr;
  PumpUntil([&] { return (about = ::FindWindowA("#32770", "About Corvana")) != nullptr; }, 10000);
  Shot("about");
  if (about) ::PostMessageA(about, WM_COMMAND, IDOK, 0);
  ::Sleep(300);
  Close(c);
}

// The shared table's names from a UTF-8 list, as they show in the window.
void UnicodeNames() {
  std::string list;
  for (const UnicodeName& n : kUnicodeNames) {
    std::string body = std::string("the file ").append(n.Utf8);
    HANDLE f = CreateFileUtf8((g_work + n.Utf8).c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    DWORD written = 0;
    ::WriteFile(f, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    ::CloseHandle(f);
    list.append(n.Utf8).append(" ").append(Hex8(body)).append("\r\n");
  }
  Put("names.sfv", list);
  Corvana c = Start("names.sfv NODBUPDATE");
  PumpUntil([&] { return WindowText(c.main) == "Finished"; }, 60000);
  ::SetForegroundWindow(c.main);
  Shot("unicode-names");
  Close(c);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s CORVANA.EXE WORK_FOLDER\n", argv[0]);
    return 2;
  }
  g_exe = argv[1];
  g_work = argv[2];
  if (g_work.back() != '\\') g_work += '\\';
  // A roomy window for the pictures.
  Put("Corvana.ini", "[Corvana]\r\nSignature=5107\r\n");
  std::string exe = g_work + "Corvana.exe";
  ::CopyFileA(g_exe.c_str(), exe.c_str(), FALSE);
  g_exe = exe;
  InProgress();
  Finished();
  UnicodeNames();
  Put("done.flag", "");
  return 0;
}
