// Draws the "Checksums" page for scripts/screenshots inside a Wine desktop:
// Properties of two downloads, every digest shown, and a SHA-256 copied from
// a web page matched on opening. For the picture it writes NAME.req (the
// sheet's rectangle) into the work folder and waits until the script has
// taken it and removed the file.
//
//   shellext_page_screenshot_driver.exe WORK_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "hashing/digest.h"
#include "hashing/digest_text.h"
#include "platform/files_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/checksum_page_win32.h"
#include "tests/results/desktop_win32.h"
#include "tests/shellext/explorer_host_win32.h"

namespace {

std::string g_work;

void Put(const std::string& name, const std::string& bytes) {
  HANDLE file = CreateFileUtf8((g_work + name).c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Sha256Of(const std::string& bytes) {
  DigestContext context;
  DigestInit(&context, DigestAlgorithm::Sha256);
  DigestUpdate(&context, bytes.data(), bytes.size());
  unsigned char digest[kMaxDigestBytes];
  DigestFinal(&context, digest);
  char hex[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(digest, 32, hex, false);
  return hex;
}

// Asks for a picture of `window`'s rectangle (the request holds it as
// WIDTHxHEIGHT+X+Y) and waits until it is taken.
void Shot(const char* name, HWND window) {
  PumpUntil([] { return false; }, 400);  // let the last paint reach the screen
  RECT r;
  GetWindowRect(window, &r);
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", r.right - r.left + 16,
                r.bottom - r.top + 16, r.left - 8, r.top - 8);
  const std::string req = g_work + name + ".req";
  Put(std::string(name) + ".req", geometry);
  PumpUntil([&] { return GetFileAttributesA(req.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s WORK_FOLDER\n", argv[0]);
    return 2;
  }
  g_work = argv[1];
  if (g_work.back() != '\\') g_work += '\\';
  ComApartment apartment;
  if (InstallShellExtension(g_work).empty()) return 1;
  std::string setup(3 << 20, '\0');
  for (size_t i = 0; i < setup.size(); ++i) setup[i] = static_cast<char>((i * 7919) >> 5);
  Put("corvana-2.33-setup.exe", setup);
  Put("corvana-2.33-setup.exe.asc", "-----BEGIN PGP SIGNATURE-----\r\n");
  SetClipboardTextUtf8(nullptr, Sha256Of(setup) + "  corvana-2.33-setup.exe\r\n");
  {
    ShellHandler handler;
    ComPtr<IDataObject> data =
        SelectionOf({g_work + "corvana-2.33-setup.exe", g_work + "corvana-2.33-setup.exe.asc"});
    std::vector<HPROPSHEETPAGE> pages;
    if (handler.Create() && data && handler.Initialize(data.Get()) == S_OK &&
        handler.AddPages(&pages) == S_OK && pages.size() == 1) {
      PropertiesSheet sheet(pages, true, "corvana-2.33-setup.exe");
      SetWindowPos(sheet.Window(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      HWND page = sheet.ShowPage(0);
      PumpUntil(
          [&] { return SendDlgItemMessageW(page, kChecksumProgress, PBM_GETPOS, 0, 0) >= 1000; },
          30000);
      Shot("checksums-page", sheet.Window());
    }
  }
  UnregisterShellExtension();
  Put("done.flag", "");
  return 0;
}
